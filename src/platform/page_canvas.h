#pragma once
// The print jobs' shapes: a canvas on the painter of an open page, in its device units, drawn smooth
// (paper and PDF readers show what a chart image's crisp pixels are not needed for). Every operation
// leaves the painter as it found it, so the report's texts keep their font and pen.
#include <QFont>

#include "core/chart/canvas.h"

class QPainter;

namespace kelvor::platform {

class PageCanvas final : public chart::Canvas {
  public:
    // `font` is the face of the canvas's texts, at the canvas's font size.
    explicit PageCanvas(QFont font) : font_(std::move(font)) {}
    // The page drawn on; null: nothing is drawn.
    void draw_on(QPainter* painter) { painter_ = painter; }

    void line(chart::Px x1, chart::Px y1, chart::Px x2, chart::Px y2) override;
    void rectangle(chart::Px x1, chart::Px y1, chart::Px x2, chart::Px y2) override;
    void ellipse(chart::Px x1, chart::Px y1, chart::Px x2, chart::Px y2) override;
    // A page has no pixels to flood.
    void flood_fill(chart::Px, chart::Px, Rgb) override {}
    void text(chart::Px x, chart::Px y, const std::string& text) override;

  private:
    QPainter* painter_ = nullptr;
    QFont font_;
};

} // namespace kelvor::platform
