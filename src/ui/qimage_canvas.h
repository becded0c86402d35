#pragma once
// A chart surface on a QImage: 96 dots per inch and no antialiasing, so that the margin fill stops at
// clean black pixels and a point size gives the same pixels on every machine.
#include <QImage>
#include <QPainter>
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
    // What a screen at `display_scale` device pixels per logical pixel shows: the same drawing done again
    // at that resolution, so lines and labels are as sharp as the window's own text. The chart itself
    // (what is printed, captured and tested) stays the 1:1 image above. At scale 1, that image.
    const QImage& display_image() const { return scale_ > 1 ? display_ : image_; }
    // Taken before the first drawing (the surface keeps its resolution for good, as its size).
    void set_display_scale(int scale) {
        if (image_.isNull()) scale_ = scale < 1 ? 1 : scale;
    }

    void line(chart::Px x1, chart::Px y1, chart::Px x2, chart::Px y2) override;
    void rectangle(chart::Px x1, chart::Px y1, chart::Px x2, chart::Px y2) override;
    void ellipse(chart::Px x1, chart::Px y1, chart::Px x2, chart::Px y2) override;
    void flood_fill(chart::Px x, chart::Px y, Rgb border) override;
    void text(chart::Px x, chart::Px y, const std::string& text) override;

  private:
    bool ensure_surface();
    void done();
    // Runs `draw` on the chart image with logical coordinates, then on the display image.
    void paint_both(const std::function<void(QPainter&)>& draw);
    void fill_from(QImage& image, int x, int y, Rgb border);

    std::function<QSize()> surface_size_;
    std::function<void()> changed_;
    QImage image_;
    QImage display_; // only at scales above 1
    int scale_ = 1;
};

} // namespace kelvor::ui
