#include "core/chart/ohr_graph.h"

#include <array>
#include <cmath>

#include "core/common/text_format.h"
#include "core/hearing/frequency_scale.h"

namespace kelvor::chart {

namespace {

// Far beyond any surface, yet leaves room for the offsets added to a pixel afterwards.
constexpr double px_limit = 1.0e9;

// Integer division truncating toward zero.
Px div(Px a, Px b) {
    return a / b;
}

struct LevelLabel {
    const char* text;
    double level;
};

constexpr std::array<LevelLabel, 7> level_labels{{
    {" -10", -10},
    {"   0", 0},
    {"  10", 10},
    {"  20", 20},
    {"  30", 30},
    {"  40", 40},
    {"  50", 50},
}};

struct FreqLabel {
    const char* text;
    double position;
};

constexpr std::array<FreqLabel, 8> freq_labels{{
    {"125", 2},
    {"250", 4},
    {"500", 6},
    {"1K", 10},
    {"2K", 14},
    {"4K", 18},
    {"8K", 22},
    {"16K", 28},
}};

} // namespace

Px to_px(double value) {
    if (std::isnan(value)) return 0;
    if (value > px_limit) value = px_limit;
    if (value < -px_limit) value = -px_limit;
    return static_cast<Px>(round_half_even(value));
}

void TOhrGraph::init(ImageControl& image, const std::string& ear_name, double x_lo, double x_hi, double y_lo,
                     double y_hi) {
    img = &image;
    name = ear_name;
    x_min = x_lo;
    x_max = x_hi;
    y_min = y_lo;
    y_max = y_hi;
    marg_left = 25;
    marg_right = 8;
    marg_top = 25;
    marg_bottom = 15;
    const double w = image.width();
    const double h = image.height();
    Px_min = round_half_even(marg_left * w * 0.01);
    Px_max = round_half_even((100 - marg_right) * w * 0.01);
    Py_min = round_half_even(marg_top * h * 0.01);
    Py_max = round_half_even((100 - marg_bottom) * h * 0.01);
}

Px TOhrGraph::x_pos(double position) const {
    if (position > 0) {
        // Indices are placed by their stored three-decimal logarithms, the axis ends by the exact ones.
        const double index = round_half_even(position);
        const auto on_scale = static_cast<std::uint8_t>(index > hearing::freq_index_count ? 0 : index);
        const double ln_freq = hearing::index_ln_freq(on_scale);
        return to_px(Px_min + (ln_freq - state_->ln_f_min) * (Px_max - Px_min) /
                                  (state_->ln_f_max - state_->ln_f_min));
    }
    return to_px(Px_min + (position - x_min) * (Px_max - Px_min) / (x_max - x_min));
}

Px TOhrGraph::y_pos(double level) const {
    return to_px(Py_min + (level - y_min) * (Py_max - Py_min) / (y_max - y_min));
}

void TOhrGraph::line_px(Px x1, Px x2, Px y1, Px y2, std::uint8_t width, Rgb colour) {
    Canvas& c = canvas();
    const Rgb saved_colour = c.pen_colour();
    const int saved_width = c.pen_width();
    c.set_pen_colour(colour);
    c.set_pen_width(width);
    c.line(x1, y1, x2, y2);
    c.set_pen_colour(saved_colour);
    c.set_pen_width(saved_width);
}

void TOhrGraph::line_val(std::uint8_t width, Rgb colour, double x1, double x2, double y1, double y2) {
    line_px(x_pos(x1), x_pos(x2), y_pos(y1), y_pos(y2), width, colour);
}

void TOhrGraph::text_px(Px x, Px y, const std::string& text) {
    // An empty text (no language table yet) leaves its place untouched.
    if (!text.empty()) canvas().text(x, y, text);
}

void TOhrGraph::x_Grid_line(double x1, double x2, double level) {
    line_val(1, colours::black, x1, x2, level, level);
}

void TOhrGraph::y_Grid_line(double x, double level1, double level2) {
    line_val(1, colours::black, x, x, level1, level2);
}

void TOhrGraph::Skale_x_label(const std::string& text, double position) {
    const Px x = x_pos(position);
    line_px(x, x, to_px(Py_min * 5 * (1.0 / 6)), to_px(Py_min), 1, colours::black);
    const double scale = state_->Chart_scale;
    text_px(x - to_px(scale * 9), div(to_px(10 * Py_max), 100), text);
}

void TOhrGraph::Skale_y_label(const std::string& text, double level) {
    const Px y = y_pos(level);
    line_px(to_px(Px_min * 5 * (1.0 / 6)), to_px(Px_min), y, y, 1, colours::black);
    text_px(div(to_px(11 * Px_max), 100), y - 7, text);
}

void TOhrGraph::draw_border() {
    const Px w = state_->Ohr_img.Width;
    const Px h = state_->Ohr_img.Height;
    line_px(1, w - 1, 1, 1, 2, colours::black);
    line_px(w - 1, w - 1, 1, h - 1, 2, colours::black);
    line_px(w - 1, 1, h - 1, h - 1, 2, colours::black);
    line_px(1, 1, h - 1, 1, 2, colours::black);
}

void TOhrGraph::draw_chart(const FrameInputs& inputs) {
    if (img == nullptr) return;
    Canvas& c = canvas();
    const Px w = state_->Ohr_img.Width;
    const Px h = state_->Ohr_img.Height;
    const double scale = state_->Chart_scale;
    const double index_f_max = hearing::freq_to_index(inputs.f_max);

    c.set_font_size(to_px(8 * scale));

    c.set_fill_colour(colours::plot_yellow);
    c.rectangle(0, 0, w, h);

    draw_border();

    for (const auto& label : level_labels)
        x_Grid_line(0, inputs.track_max_li, label.level);

    for (int position = 0; position <= 22; position += 2)
        y_Grid_line(position, -10, 50);
    if (inputs.f_extended_checked) {
        y_Grid_line(hearing::freq_to_index(10000), -10, 50);
        y_Grid_line(hearing::freq_to_index(12000), -10, 50);
    }
    y_Grid_line(index_f_max, -10, 50);

    // The outermost grid lines close the plot area, so the fill stays in the ring around it.
    c.set_fill_colour(colours::margin_grey);
    c.flood_fill(5, 100, colours::black);

    for (const auto& label : level_labels)
        Skale_y_label(label.text, label.level);
    for (const auto& label : freq_labels)
        Skale_x_label(label.text, label.position);

    text_px(x_pos(-6), y_pos(-28), inputs.title);
    text_px(div(3 * img->width(), 100), y_pos(15) - 7, "dB");

    // Longer and opaque, the range label hides the "8K" or "16K" label drawn at the same spot.
    Skale_x_label(std::to_string(inputs.f_max / 1000) + "kHz", index_f_max);

    text_px(div(w, 2), h - to_px(20 * scale), name);

    draw_border();
}

} // namespace kelvor::chart
