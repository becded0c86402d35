#pragma once
// One ear's audiogram chart: the mapping of frequency and level to pixels, the empty frame (background,
// border, grid, margin, scale labels) and the drawing primitives the curves and marks are built on.
#include <cstdint>
#include <string>

#include "core/chart/canvas.h"

namespace kelvor::chart {

struct ImageSize {
    std::uint16_t Width = 0;
    std::uint16_t Height = 0;
};

// Shared by both charts for the whole run.
struct ChartState {
    double Chart_scale = 1.0; // text size and offsets relative to the smallest layout
    ImageSize Ohr_img;        // chart size in pixels, the same for both charts
    double ln_f_min = 0;      // logarithms of the frequency range ends: the ends of the frequency axis
    double ln_f_max = 0;
};

// What the empty frame reads from outside the chart besides the chart state.
struct FrameInputs {
    std::uint16_t f_max = 8000; // right end of the frequency range, Hz
    int track_max_li = 22;      // maximum of the left frequency track bar (index of f_max)
    bool f_extended_checked = false;
    std::string title; // "Ohr" / "Ear"
};

// Rounds half to even to a pixel; values beyond any surface saturate instead of overflowing.
Px to_px(double value);

class TOhrGraph {
  public:
    explicit TOhrGraph(const ChartState& state) : state_(&state) {}

    ImageControl* img = nullptr;
    double marg_left = 25;
    double marg_right = 8;
    double marg_top = 25;
    double marg_bottom = 15;
    double x_min = 0;
    double x_max = 0;
    double y_min = 0;
    double y_max = 0;
    double Px_min = 0;
    double Px_max = 0;
    double Py_min = 0;
    double Py_max = 0;
    std::string name;

    // Takes over control, name and axis ranges and computes the plot rectangle from the control's
    // current size. Draws nothing.
    void init(ImageControl& image, const std::string& ear_name, double x_lo, double x_hi, double y_lo,
              double y_hi);

    Px x_pos(double position) const;
    Px y_pos(double level) const;

    void draw_chart(const FrameInputs& inputs);
    void draw_border();
    // Draws with the given width and colour and leaves the surface's outline as it found it.
    void line_px(Px x1, Px x2, Px y1, Px y2, std::uint8_t width, Rgb colour);
    void line_val(std::uint8_t width, Rgb colour, double x1, double x2, double y1, double y2);
    void text_px(Px x, Px y, const std::string& text);
    void x_Grid_line(double x1, double x2, double level);
    void y_Grid_line(double x, double level1, double level2);
    void Skale_x_label(const std::string& text, double position);
    void Skale_y_label(const std::string& text, double level);

    // The surface of the control; only valid after init.
    Canvas& canvas() { return img->canvas(); }

  private:
    const ChartState* state_;
};

} // namespace kelvor::chart
