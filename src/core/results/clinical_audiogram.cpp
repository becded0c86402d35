#include "core/results/clinical_audiogram.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/results/hearing_levels.h"
#include "core/results/hearing_number.h"
#include "core/settings/interface_texts.h"

namespace kelvor::results {

using settings::Text;
using settings::text_in;

namespace {

constexpr Rgb right_red{208, 0, 0};
constexpr Rgb left_blue{0, 0, 208};
constexpr Rgb grid_grey{160, 160, 160};
constexpr Rgb mid_octave_grey{208, 208, 208};
// Two faint tints in turn, so that each grade's band stands apart from its neighbours; normal hearing
// stays white.
constexpr Rgb band_tints[2] = {{242, 242, 242}, {228, 228, 228}};

// Device units at 300 dots per inch.
constexpr int units_per_inch = 300;
constexpr int heading_points = 8, label_points = 7, small_points = 6;
constexpr int level_labels_width = 150; // left of the plot
constexpr int band_labels_width = 520;  // right of the plot, clear of the symbols at its edge
constexpr int band_labels_gap = 80;
constexpr int heading_height = 70; // the heading, then the frequency labels above the plot
constexpr int labels_height = 70;
constexpr int legend_height = 150; // two rows below the plot
constexpr int db_per_octave_width = 20;
constexpr int symbol_radius = 24;
constexpr int grid_pen = 2, frame_pen = 4, curve_pen = 5;

int font_units(int points) {
    return points * units_per_inch / 72;
}

// The canvas cannot measure a text: DejaVu Sans Condensed, the printout's face, averages a little over
// half its size per letter (digits 0.57).
int text_width(const std::string& text, int points) {
    int letters = 0;
    for (const unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++letters;
    return letters * font_units(points) * 57 / 100;
}

int round_to_int(double v) {
    return static_cast<int>(std::lround(v));
}

int floor_to_10(int v) {
    return v >= 0 ? v / 10 * 10 : -((-v + 9) / 10 * 10);
}

int ceil_to_10(int v) {
    return -floor_to_10(-v);
}

struct Plot {
    AudiogramScale scale;
    int left = 0, top = 0, octave_width = 0;

    int x(double freq_hz) const {
        return left + round_to_int(std::log2(freq_hz / scale.f_low_hz) * octave_width);
    }
    int y(double db_hl) const {
        return top + round_to_int((db_hl - scale.db_top) * octave_width / db_per_octave_width);
    }
    int right() const { return x(scale.f_high_hz); }
    int bottom() const { return y(scale.db_bottom); }
};

void write(chart::Canvas& canvas, int x, int y, int points, const std::string& text) {
    canvas.set_font_size(points);
    canvas.text(x, y, text);
}

void box(chart::Canvas& canvas, int x1, int y1, int x2, int y2, Rgb colour) {
    canvas.set_pen_colour(colour);
    canvas.set_fill_colour(colour);
    canvas.set_pen_width(1);
    canvas.rectangle(x1, y1, x2, y2);
}

void bands(const Plot& plot, bool german, chart::Canvas& canvas) {
    int upper = plot.scale.db_top;
    // A band per grade from normal to complete, each down to the next grade's edge.
    for (std::size_t band = 0; band <= grade_lower_edges_db_hl.size(); ++band) {
        const int lower =
            band < grade_lower_edges_db_hl.size() ? grade_lower_edges_db_hl[band] : plot.scale.db_bottom;
        const Rgb tint = band == 0 ? colours::white : band_tints[(band - 1) % 2];
        const int y1 = plot.y(std::max(upper, plot.scale.db_top));
        const int y2 = plot.y(std::min(lower, plot.scale.db_bottom));
        if (band > 0) box(canvas, plot.left, y1, plot.right(), y2, tint);
        canvas.set_fill_colour(colours::white);
        write(canvas, plot.right() + band_labels_gap, (y1 + y2 - font_units(small_points)) / 2, small_points,
              text_in(grade_name(static_cast<Grade>(band)), german));
        upper = lower;
    }
}

void grid(const Plot& plot, chart::Canvas& canvas) {
    canvas.set_pen_width(grid_pen);
    canvas.set_fill_colour(colours::white);
    for (int octave = 0; octave <= plot.scale.octaves(); ++octave) {
        const double freq = plot.scale.f_low_hz * std::pow(2.0, octave);
        const int x = plot.x(freq);
        if (octave < plot.scale.octaves() && freq >= 500) {
            // 750, 1500, 3000, 6000 Hz and 12000 Hz, the tests' frequencies between the octaves: fainter,
            // labelled smaller.
            const int mid = plot.x(freq * 1.5);
            canvas.set_pen_colour(mid_octave_grey);
            canvas.line(mid, plot.top, mid, plot.bottom());
            const std::string label = std::to_string(std::lround(freq * 1.5));
            write(canvas, mid - text_width(label, small_points) / 2, plot.top - labels_height + 10,
                  small_points, label);
        }
        canvas.set_pen_colour(grid_grey);
        canvas.line(x, plot.top, x, plot.bottom());
        const std::string label = std::to_string(std::lround(freq));
        write(canvas, x - text_width(label, label_points) / 2, plot.top - labels_height, label_points, label);
    }
    for (int db = plot.scale.db_top; db <= plot.scale.db_bottom; db += 10) {
        const int y = plot.y(db);
        canvas.set_pen_colour(db == 0 ? colours::black : grid_grey);
        canvas.line(plot.left, y, plot.right(), y);
        const std::string label = std::to_string(db);
        write(canvas, plot.left - 20 - text_width(label, label_points), y - font_units(label_points) / 2,
              label_points, label);
    }
    canvas.set_pen_colour(colours::black);
    canvas.set_pen_width(frame_pen);
    canvas.line(plot.left, plot.top, plot.right(), plot.top);
    canvas.line(plot.right(), plot.top, plot.right(), plot.bottom());
    canvas.line(plot.right(), plot.bottom(), plot.left, plot.bottom());
    canvas.line(plot.left, plot.bottom(), plot.left, plot.top);
}

void circle(chart::Canvas& canvas, int x, int y) {
    canvas.set_pen_colour(right_red);
    canvas.set_fill_colour(colours::white);
    canvas.set_pen_width(curve_pen);
    canvas.ellipse(x - symbol_radius, y - symbol_radius, x + symbol_radius, y + symbol_radius);
}

void cross(chart::Canvas& canvas, int x, int y) {
    canvas.set_pen_colour(left_blue);
    canvas.set_pen_width(curve_pen);
    canvas.line(x - symbol_radius, y - symbol_radius, x + symbol_radius, y + symbol_radius);
    canvas.line(x - symbol_radius, y + symbol_radius, x + symbol_radius, y - symbol_radius);
}

// From the symbol's lower corner, down and away from the other ear's side (the right ear's to the left),
// with an open head.
void arrow(chart::Canvas& canvas, int x, int y, int outward) {
    const int start = symbol_radius * 3 / 4;
    const int tip = symbol_radius * 5 / 2;
    const int head = symbol_radius * 4 / 5;
    const int tx = x + outward * tip, ty = y + tip;
    canvas.line(x + outward * start, y + start, tx, ty);
    canvas.line(tx, ty, tx - outward * head, ty);
    canvas.line(tx, ty, tx, ty - head);
}

void ear(const Plot& plot, const std::vector<AudiogramPoint>& points, bool right, chart::Canvas& canvas) {
    canvas.set_pen_colour(right ? right_red : left_blue);
    canvas.set_pen_width(curve_pen);
    // A threshold not reached is no threshold: no line leads to it.
    for (std::size_t i = 1; i < points.size(); ++i) {
        const AudiogramPoint& a = points[i - 1];
        const AudiogramPoint& b = points[i];
        if (!a.not_reached && !b.not_reached)
            canvas.line(plot.x(a.freq_hz), plot.y(a.db_hl), plot.x(b.freq_hz), plot.y(b.db_hl));
    }
    for (const AudiogramPoint& p : points) {
        const int x = plot.x(p.freq_hz), y = plot.y(p.db_hl);
        right ? circle(canvas, x, y) : cross(canvas, x, y);
        if (p.not_reached) arrow(canvas, x, y, right ? -1 : 1);
    }
}

void legend(const Plot& plot, bool german, chart::Canvas& canvas) {
    const int row_height = legend_height / 2;
    const int first = plot.bottom() + row_height / 2 + 10;
    const int sample = 3 * symbol_radius;
    int x = plot.left;
    auto label = [&](int row_y, const std::string& text) {
        canvas.set_fill_colour(colours::white);
        write(canvas, x + sample + 30, row_y - font_units(label_points) / 2, label_points, text);
        x += sample + 60 + text_width(text, label_points) + 80;
    };
    for (const bool right : {true, false}) {
        canvas.set_pen_colour(right ? right_red : left_blue);
        canvas.set_pen_width(curve_pen);
        canvas.line(x, first, x + sample, first);
        right ? circle(canvas, x + sample / 2, first) : cross(canvas, x + sample / 2, first);
        label(first, text_in(right ? Text::ear_right_word : Text::ear_left_word, german));
    }
    const int second = first + row_height;
    x = plot.left;
    canvas.set_pen_colour(colours::black);
    canvas.set_pen_width(curve_pen);
    arrow(canvas, x, second - symbol_radius, 1);
    label(second, text_in(Text::audiogram_not_reached, german));
    box(canvas, x, second - symbol_radius, x + sample, second + symbol_radius, band_tints[1]);
    label(second, text_in(Text::audiogram_bands, german));
}

} // namespace

int AudiogramScale::octaves() const {
    return round_to_int(std::log2(f_high_hz / f_low_hz));
}

std::vector<AudiogramPoint> audiogram_points(const hearing::TestState& state, std::int8_t ear) {
    const hearing::TEarResult& results = ear == hearing::ear_left ? state.results_li : state.results_re;
    std::vector<AudiogramPoint> points;
    for (const HearingLevelRow& row : hearing_level_rows(state, ear, hearing::freq_to_index(state.f_max))) {
        if (!row.calibrated) continue;
        const bool not_reached = results.entries[row.index].level >= hearing::level_max_db;
        points.insert(points.begin(), {hearing::index_to_freq(row.index), row.level_db_hl, not_reached});
    }
    return points;
}

AudiogramScale audiogram_scale(const std::vector<AudiogramPoint>& left,
                               const std::vector<AudiogramPoint>& right) {
    AudiogramScale scale;
    for (const auto* points : {&left, &right})
        for (const AudiogramPoint& p : *points) {
            while (p.freq_hz < scale.f_low_hz)
                scale.f_low_hz /= 2;
            while (p.freq_hz > scale.f_high_hz)
                scale.f_high_hz *= 2;
            scale.db_top = std::min(scale.db_top, floor_to_10(p.db_hl));
            // An arrow reaches about 10 dB below its symbol.
            scale.db_bottom = std::max(scale.db_bottom, ceil_to_10(p.db_hl + (p.not_reached ? 10 : 0)));
        }
    return scale;
}

void draw_audiogram(const hearing::TestState& state, const host::PrintRect& area, bool german,
                    chart::Canvas& canvas) {
    const std::vector<AudiogramPoint> left = audiogram_points(state, hearing::ear_left);
    const std::vector<AudiogramPoint> right = audiogram_points(state, hearing::ear_right);
    Plot plot;
    plot.scale = audiogram_scale(left, right);
    const int plot_width = area.right - area.left - level_labels_width - band_labels_width;
    const int plot_height = area.bottom - area.top - heading_height - labels_height - legend_height;
    const int range_db = plot.scale.db_bottom - plot.scale.db_top;
    plot.octave_width = std::max(
        1, std::min(plot_width / plot.scale.octaves(), plot_height * db_per_octave_width / range_db));
    plot.left = area.left + level_labels_width;
    plot.top = area.top + heading_height + labels_height;

    canvas.set_fill_colour(colours::white);
    write(canvas, area.left, area.top, heading_points, text_in(Text::audiogram_heading, german));
    bands(plot, german, canvas);
    grid(plot, canvas);
    canvas.set_fill_colour(colours::white);
    const std::string frequency = text_in(Text::audiogram_frequency, german);
    write(canvas, plot.right() - text_width(frequency, label_points), area.top, label_points, frequency);
    ear(plot, right, true, canvas);
    ear(plot, left, false, canvas);
    legend(plot, german, canvas);
}

} // namespace kelvor::results
