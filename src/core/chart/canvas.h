#pragma once
// The drawing surface of a chart image. The surface keeps its drawing state between operations, as the
// chart drawing relies on it: later operations pick up whatever fill colour, outline and font size an
// earlier one left behind.
#include <cstdint>
#include <string>

#include "core/common/colour.h"

namespace kelvor::host {
struct PrintPicture;
}

namespace kelvor::chart {

// Pixel coordinate on a surface: x to the right, y downwards from the top-left corner. Signed and wide,
// because levels read from a file can put curves far beyond either edge; the surface clips.
using Px = int;

class Canvas {
  public:
    virtual ~Canvas() = default;

    Rgb fill_colour() const { return fill_colour_; }
    void set_fill_colour(Rgb colour) { fill_colour_ = colour; }
    Rgb pen_colour() const { return pen_colour_; }
    void set_pen_colour(Rgb colour) { pen_colour_ = colour; }
    int pen_width() const { return pen_width_; }
    void set_pen_width(int width) { pen_width_ = width; }
    int font_size() const { return font_size_; }
    void set_font_size(int points) { font_size_ = points; }

    // Straight line in the outline colour and width.
    virtual void line(Px x1, Px y1, Px x2, Px y2) = 0;
    // Box from (x1, y1) up to but excluding (x2, y2): outlined with the pen, filled with the fill colour.
    virtual void rectangle(Px x1, Px y1, Px x2, Px y2) = 0;
    // Ellipse inscribed in the box (x1, y1)..(x2, y2): outlined with the pen, filled with the fill colour.
    virtual void ellipse(Px x1, Px y1, Px x2, Px y2) = 0;
    // Fills, in the fill colour, every pixel connected to (x, y) that is not `border`.
    virtual void flood_fill(Px x, Px y, Rgb border) = 0;
    // Text in black with its cell's top-left corner at (x, y), on an opaque background in the fill colour.
    virtual void text(Px x, Px y, const std::string& text) = 0;

  private:
    Rgb fill_colour_ = colours::white;
    Rgb pen_colour_ = colours::black;
    int pen_width_ = 1;
    int font_size_ = 8;
};

struct Segment {
    double x1, y1, x2, y2;
};

// Cuts the segment to the box [left, right] x [top, bottom], keeping its direction; false when no part of
// it lies inside. Surfaces use it so that a line to a far-away point keeps its slope where it is visible.
bool clip_segment(Segment& segment, double left, double top, double right, double bottom);

// The image control a chart is drawn on: its current size sets the plot area.
class ImageControl {
  public:
    virtual ~ImageControl() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
    virtual Canvas& canvas() = 0;
    // The whole drawing surface as a picture the printer can take; null before the first drawing (and
    // where a surface has no picture, as in recording fakes).
    virtual const host::PrintPicture* picture() const { return nullptr; }
};

} // namespace kelvor::chart
