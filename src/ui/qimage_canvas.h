#pragma once
// A chart surface on a QImage: 96 dots per inch and no antialiasing, so that the margin fill stops at
// clean black pixels and a point size gives the same pixels on every machine.
#include <QImage>
#include <QSize>
#include <functional>

#include "core/chart/canvas.h"

namespace kelvor::ui {

class QImageCanvas : public chart::Canvas {
  public:
    // The image is created at the first drawing with the size `surface_size` gives then, and keeps that
    // size for good. `changed` is called after every drawing.
    explicit QImageCanvas(std::function<QSize()> surface_size, std::function<void()> changed = {});

    // Null until the first drawing.
    const QImage& image() const { return image_; }

    void line(chart::Px x1, chart::Px y1, chart::Px x2, chart::Px y2) override;
    void rectangle(chart::Px x1, chart::Px y1, chart::Px x2, chart::Px y2) override;
    void ellipse(chart::Px x1, chart::Px y1, chart::Px x2, chart::Px y2) override;
    void flood_fill(chart::Px x, chart::Px y, Rgb border) override;
    void text(chart::Px x, chart::Px y, const std::string& text) override;

  private:
    bool ensure_surface();
    void done();

    std::function<QSize()> surface_size_;
    std::function<void()> changed_;
    QImage image_;
};

} // namespace kelvor::ui
