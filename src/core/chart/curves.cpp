#include "core/chart/curves.h"

#include <algorithm>
#include <array>

namespace kelvor::chart {

namespace {

constexpr double mark_level_db = 40;

struct NormPoint {
    double freq_hz;
    double level_db;
};

// Index 1..30 in order.
constexpr std::array<NormPoint, hearing::freq_index_count> norm_points{{
    {75, 47},    {125, 35},   {175, 28},   {250, 20},   {375, 12},   {500, 6},    {625, 3},   {750, 1},
    {875, 0},    {1000, 0},   {1250, 0},   {1500, 0},   {1750, -1},  {2000, -2},  {2500, -5}, {3000, -8},
    {3500, -9},  {4000, -8},  {5000, -5},  {6000, -2},  {7000, 2},   {8000, 5},   {9000, 8},  {10000, 11},
    {11000, 13}, {12000, 15}, {14000, 18}, {16000, 22}, {18000, 25}, {20000, 26},
}};

// The three concentric rings of a mark, outer first, in the current outline and fill colours.
void mark_rings(TOhrGraph& graph, Px x, Px y) {
    Canvas& c = graph.canvas();
    for (Px r = 3; r >= 1; --r)
        c.ellipse(x - r, y - r, x + r, y + r);
}

} // namespace

void build_norm_values(hearing::TEarResult& norm_values) {
    hearing::reset_result(norm_values, hearing::norm_values_name);
    for (std::size_t i = 0; i < norm_points.size(); ++i)
        hearing::set_result_entry(norm_values, static_cast<std::uint8_t>(i + 1), norm_points[i].freq_hz,
                                  norm_points[i].level_db);
}

void draw_line(TOhrGraph& graph, const hearing::TEarResult& record, Rgb colour, std::uint16_t f_min,
               std::uint16_t f_max) {
    const int lo = hearing::freq_to_index(f_min);
    const int hi = hearing::freq_to_index(f_max);
    // One past the range end never draws; the bound only keeps the index inside the record.
    const int last = std::min(hi + 1, static_cast<int>(hearing::freq_index_count));
    int prev = 0;
    double prev_level = 0;
    for (int i = 1; i <= last; ++i) {
        const hearing::TEarEntry& entry = record.entries[static_cast<std::size_t>(i)];
        const bool filled = entry.flag == 1;
        if (prev > 0 && filled && lo <= i && i <= hi)
            graph.line_val(2, colour, prev, i, prev_level, entry.level);
        if (filled && i >= lo) {
            prev = i;
            prev_level = entry.level;
        }
    }
}

void draw_mark(TOhrGraph& graph, std::uint8_t index) {
    graph.canvas().set_pen_colour(colours::blue);
    mark_rings(graph, graph.x_pos(index), graph.y_pos(mark_level_db));
}

void draw_mark_centre(TOhrGraph& graph, std::uint8_t index) {
    const Px x = graph.x_pos(index);
    const Px y = graph.y_pos(mark_level_db);
    graph.canvas().set_pen_colour(colours::white);
    graph.canvas().ellipse(x - 1, y - 1, x + 1, y + 1);
}

void erase_mark(TOhrGraph& graph, std::uint8_t index) {
    const Px x = graph.x_pos(index);
    const Px y = graph.y_pos(mark_level_db);
    graph.canvas().set_pen_colour(colours::plot_yellow);
    mark_rings(graph, x, y);
    // Also at odd indices, which have no vertical grid line: a short stroke is left there.
    graph.line_px(x - 3, x + 3, y, y, 1, colours::black);
    graph.line_px(x, x, y - 3, y + 3, 1, colours::black);
}

} // namespace kelvor::chart
