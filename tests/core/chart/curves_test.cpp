#include "core/chart/curves.h"

#include <array>
#include <gtest/gtest.h>

#include "chart_rig.h"

namespace kelvor::chart {
namespace {

using hearing::ear_left;
using hearing::ear_right;
using testing::CanvasOp;

struct Point {
    int index;
    double level;
};

using Line = std::array<Px, 4>; // x1, y1, x2, y2

Line line_of(const TOhrGraph& g, Point a, Point b) {
    return {g.x_pos(a.index), g.y_pos(a.level), g.x_pos(b.index), g.y_pos(b.level)};
}

std::vector<Line> lines_in(const std::vector<CanvasOp>& ops, std::size_t from, Rgb colour) {
    std::vector<Line> out;
    for (std::size_t i = from; i < ops.size(); ++i) {
        const CanvasOp& op = ops[i];
        if (op.kind == CanvasOp::line && op.pen == colour) {
            EXPECT_EQ(op.pen_width, 2);
            out.push_back({op.x1, op.y1, op.x2, op.y2});
        }
    }
    return out;
}

struct CurveCase {
    const char* what;
    bool extended;
    std::vector<Point> entries;
    std::vector<std::pair<Point, Point>> segments;
};

TEST(Curves, MeasuredCurveJoinsFilledEntriesInsideTheRange) {
    const CurveCase cases[] = {
        {"bridges 750..1500 Hz", false, {{6, 10}, {14, 30}}, {{{6, 10}, {14, 30}}}},
        {"single entry draws nothing", false, {{10, 20}}, {}},
        {"empty record draws nothing", false, {}, {}},
        {"75 Hz and 9 kHz lie outside the normal range",
         false,
         {{1, 40}, {2, 30}, {10, 20}, {22, 10}, {23, 0}},
         {{{2, 30}, {10, 20}}, {{10, 20}, {22, 10}}}},
        {"only one entry inside the range", false, {{22, 10}, {23, 0}}, {}},
        {"18 and 20 kHz never appear", true, {{1, 40}, {28, 15}, {29, 0}, {30, 5}}, {{{1, 40}, {28, 15}}}},
        {"levels from a damaged file run far off the chart",
         false,
         {{10, 0}, {12, 65535}, {14, -200}},
         {{{10, 0}, {12, 65535}}, {{12, 65535}, {14, -200}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ChartRig rig(624, 416, 2.6, c.extended);
        rig.charts.clear_Chart_li();
        for (const auto& p : c.entries)
            hearing::set_result_entry(rig.test.results_li, static_cast<std::uint8_t>(p.index),
                                      hearing::index_to_freq(static_cast<std::uint8_t>(p.index)), p.level);
        const std::size_t before = rig.ops(ear_left).size();
        rig.charts.Messwerte_zeichnen();
        std::vector<Line> expected;
        for (const auto& [a, b] : c.segments)
            expected.push_back(line_of(rig.charts.Ohr_li_graph, a, b));
        EXPECT_EQ(lines_in(rig.ops(ear_left), before, colours::blue), expected);
        EXPECT_EQ(rig.ops(ear_right).size(), 0u); // each ear's curve only on its own chart
    }
}

TEST(Curves, NormalCurveSpansTheRange) {
    for (bool ext : {false, true}) {
        ChartRig rig(240, 160, 1.0, ext);
        rig.charts.clear_Chart_re();
        const auto lines = lines_in(rig.ops(ear_right), 0, colours::normal_green);
        const TOhrGraph& g = rig.charts.Ohr_re_graph;
        ASSERT_EQ(lines.size(), ext ? 27u : 20u);
        const Point first = ext ? Point{1, 47} : Point{2, 35};
        const Point last = ext ? Point{28, 22} : Point{22, 5};
        EXPECT_EQ((Line{lines.front()[0], lines.front()[1]}),
                  (Line{g.x_pos(first.index), g.y_pos(first.level)}));
        EXPECT_EQ((Line{lines.back()[2], lines.back()[3]}), (Line{g.x_pos(last.index), g.y_pos(last.level)}));
    }
}

TEST(Curves, NormalValuesCoverEveryScalePosition) {
    hearing::TEarResult norm;
    build_norm_values(norm);
    EXPECT_EQ(norm.name, "Ohr STD Werte");
    EXPECT_EQ(norm.entries[0].flag, -1);
    for (std::uint8_t i = 1; i <= hearing::freq_index_count; ++i) {
        EXPECT_EQ(norm.entries[i].flag, 1) << int(i);
        EXPECT_EQ(norm.entries[i].freq, hearing::index_to_freq(i)) << int(i);
    }
    const std::pair<int, double> spots[] = {{1, 47},  {2, 35}, {9, 0},   {12, 0},
                                            {17, -9}, {22, 5}, {28, 22}, {30, 26}};
    for (auto [index, level] : spots)
        EXPECT_EQ(norm.entries[index].level, level) << index;
}

struct MarkOp {
    CanvasOp::Kind kind;
    int dx1, dy1, dx2, dy2; // relative to the mark's centre
    Rgb pen;
    int width;
};

TEST(Curves, MarkCentreAndEraseSequences) {
    const MarkOp ring_blue[] = {{CanvasOp::ellipse, -3, -3, 3, 3, colours::blue, 1},
                                {CanvasOp::ellipse, -2, -2, 2, 2, colours::blue, 1},
                                {CanvasOp::ellipse, -1, -1, 1, 1, colours::blue, 1}};
    const MarkOp centre[] = {{CanvasOp::ellipse, -1, -1, 1, 1, colours::white, 1}};
    const MarkOp erase[] = {{CanvasOp::ellipse, -3, -3, 3, 3, colours::plot_yellow, 1},
                            {CanvasOp::ellipse, -2, -2, 2, 2, colours::plot_yellow, 1},
                            {CanvasOp::ellipse, -1, -1, 1, 1, colours::plot_yellow, 1},
                            {CanvasOp::line, -3, 0, 3, 0, colours::black, 1},
                            {CanvasOp::line, 0, -3, 0, 3, colours::black, 1}};
    const struct {
        void (*draw)(TOhrGraph&, std::uint8_t);
        const MarkOp* ops;
        std::size_t count;
        Rgb pen_after;
    } steps[] = {{draw_mark, ring_blue, 3, colours::blue},
                 {draw_mark_centre, centre, 1, colours::white},
                 {erase_mark, erase, 5, colours::plot_yellow}};

    ChartRig rig(240, 160, 1.0);
    rig.charts.clear_Chart_li();
    const int x = 141, y = 120; // 1000 Hz on the 40 dB line
    for (const auto& step : steps) {
        const std::size_t before = rig.ops(ear_left).size();
        step.draw(rig.charts.Ohr_li_graph, 10);
        const auto& ops = rig.ops(ear_left);
        ASSERT_EQ(ops.size() - before, step.count);
        for (std::size_t i = 0; i < step.count; ++i) {
            const CanvasOp& op = ops[before + i];
            const MarkOp& want = step.ops[i];
            EXPECT_EQ(op.kind, want.kind) << i;
            EXPECT_EQ(std::tuple(op.x1, op.y1, op.x2, op.y2),
                      std::tuple(x + want.dx1, y + want.dy1, x + want.dx2, y + want.dy2))
                << i;
            EXPECT_EQ(op.pen, want.pen) << i;
            EXPECT_EQ(op.pen_width, want.width) << i;
            if (op.kind == CanvasOp::ellipse) {
                EXPECT_EQ(op.fill, colours::margin_grey) << i;
            }
        }
        // Marks keep the outline colour they set; a curve drawn next still restores to it.
        EXPECT_EQ(rig.li.canvas().pen_colour(), step.pen_after);
    }
}

TEST(Curves, ManualMarksStayUnderTheCurveDrawnOnRequest) {
    ChartRig rig(240, 160, 1.0);
    rig.test.auto_mode = false;
    rig.charts.clear_Chart_li();
    const std::size_t frame = rig.ops(ear_left).size();
    hearing::set_result_entry(rig.test.results_li, 10, 1000, 20);
    rig.charts.draw_mark(ear_left, 10);
    hearing::set_result_entry(rig.test.results_li, 14, 2000, 30);
    rig.charts.draw_mark(ear_left, 14);
    EXPECT_TRUE(lines_in(rig.ops(ear_left), frame, colours::blue).empty());
    rig.charts.Messwerte_zeichnen();
    const auto& ops = rig.ops(ear_left);
    ASSERT_EQ(ops.size(), frame + 7);
    EXPECT_EQ(ops[frame + 1].y1, 118); // marks on the 40 dB line, whatever the level
    EXPECT_EQ((Line{ops.back().x1, ops.back().y1, ops.back().x2, ops.back().y2}), (Line{141, 88, 167, 104}));
}

TEST(Curves, NothingIsDrawnOnAChartNeverInitialised) {
    ChartRig rig(240, 160, 1.0);
    rig.charts.draw_mark(ear_left, 10);
    rig.charts.erase_mark(ear_right, 10);
    rig.charts.Messwerte_zeichnen();
    EXPECT_TRUE(rig.ops(ear_left).empty());
    EXPECT_TRUE(rig.ops(ear_right).empty());
}

} // namespace
} // namespace kelvor::chart
