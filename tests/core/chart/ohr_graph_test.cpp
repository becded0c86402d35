#include "core/chart/ohr_graph.h"

#include <gtest/gtest.h>
#include <limits>

#include "chart_rig.h"

namespace kelvor::chart {
namespace {

using hearing::ear_left;
using hearing::ear_right;
using testing::CanvasOp;

struct PlotRect {
    int w, h;
    double px_min, px_max, py_min, py_max;
};

TEST(OhrGraph, PlotRectangleFollowsTheControlSize) {
    const PlotRect rows[] = {
        {240, 160, 60, 221, 40, 136},
        {480, 320, 120, 442, 80, 272},
        {624, 416, 156, 574, 104, 354},
        {308, 206, 77, 283, 52, 175}, // a quarter of 206 is 51.5: halves go to the even neighbour
    };
    for (const auto& row : rows) {
        ChartRig rig(row.w, row.h, 1.0);
        rig.charts.clear_Chart_li();
        const TOhrGraph& g = rig.charts.Ohr_li_graph;
        EXPECT_EQ(g.Px_min, row.px_min) << row.w;
        EXPECT_EQ(g.Px_max, row.px_max) << row.w;
        EXPECT_EQ(g.Py_min, row.py_min) << row.h;
        EXPECT_EQ(g.Py_max, row.py_max) << row.h;
    }
}

TEST(OhrGraph, FrequencyPositionsInBothRanges) {
    const int indices[] = {1, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28};
    const int normal[] = {40, 60, 87, 114, 129, 141, 156, 167, 183, 194, 210, 221, 230, 237, 248};
    const int extended[] = {60, 75, 96, 117, 129, 138, 150, 159, 171, 179, 192, 200, 207, 212, 221};
    for (bool ext : {false, true}) {
        ChartRig rig(240, 160, 1.0, ext);
        rig.charts.clear_Chart_li();
        for (std::size_t i = 0; i < std::size(indices); ++i)
            EXPECT_EQ(rig.charts.Ohr_li_graph.x_pos(indices[i]), ext ? extended[i] : normal[i])
                << "index " << indices[i] << (ext ? " extended" : " normal");
        // Position 0 is the left edge in both ranges; an index off the scale lands on 500 Hz.
        EXPECT_EQ(rig.charts.Ohr_li_graph.x_pos(0), 60);
        EXPECT_EQ(rig.charts.Ohr_li_graph.x_pos(31), rig.charts.Ohr_li_graph.x_pos(6));
    }
}

TEST(OhrGraph, LevelPositionsStayDefinedFarOutsideTheAxis) {
    ChartRig rig(240, 160, 1.0);
    rig.charts.clear_Chart_li();
    const TOhrGraph& g = rig.charts.Ohr_li_graph;
    const int expected[] = {40, 56, 72, 88, 104, 120, 136};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(g.y_pos(-10 + 10 * i), expected[i]);
    // A level read from a damaged file: far below the chart, never wrapped around to its top.
    EXPECT_EQ(g.y_pos(65535), 104912);
    EXPECT_EQ(g.y_pos(-65535), 40 - 65525 * 16 / 10);
}

TEST(OhrGraph, PixelConversionSaturatesAndRoundsHalfToEven) {
    const struct {
        double in;
        Px out;
    } rows[] = {{2.5, 2},
                {3.5, 4},
                {-2.5, -2},
                {1e300, 1000000000},
                {-1e300, -1000000000},
                {std::numeric_limits<double>::infinity(), 1000000000},
                {std::numeric_limits<double>::quiet_NaN(), 0}};
    for (const auto& row : rows)
        EXPECT_EQ(to_px(row.in), row.out) << row.in;
}

struct LabelRow {
    int w, h;
    double scale;
    int font, level_x, level_tick_x, freq_y, shift, freq_tick_y, db_x, db_y, title_x, title_x_ext, title_y,
        ear_x, ear_y;
};

TEST(OhrGraph, LabelPositionsAtThreeSizes) {
    const LabelRow rows[] = {
        {240, 160, 1.0, 8, 24, 50, 13, 9, 33, 7, 73, 16, 26, 11, 120, 140},
        {480, 320, 2.0, 16, 48, 100, 27, 18, 67, 14, 153, 32, 51, 22, 240, 280},
        {624, 416, 2.6, 21, 63, 130, 35, 23, 87, 18, 201, 42, 66, 29, 312, 364},
    };
    for (const auto& row : rows) {
        for (bool ext : {false, true}) {
            ChartRig rig(row.w, row.h, row.scale, ext);
            rig.charts.clear_Chart_li();
            const TOhrGraph& g = rig.charts.Ohr_li_graph;
            const auto& canvas = rig.li.recording();
            SCOPED_TRACE(::testing::Message() << row.w << "x" << row.h << (ext ? " extended" : " normal"));

            const CanvasOp* top = canvas.find_text(" -10");
            ASSERT_NE(top, nullptr);
            EXPECT_EQ(top->x1, row.level_x);
            EXPECT_EQ(top->y1, g.y_pos(-10) - 7);
            EXPECT_EQ(top->font_size, row.font);
            EXPECT_EQ(top->fill, colours::margin_grey);

            const CanvasOp* f125 = canvas.find_text("125");
            ASSERT_NE(f125, nullptr);
            EXPECT_EQ(f125->x1, g.x_pos(2) - row.shift);
            EXPECT_EQ(f125->y1, row.freq_y);

            bool level_tick = false, freq_tick = false;
            for (const auto& op : canvas.ops) {
                if (op.kind != CanvasOp::line || op.pen_width != 1 || !(op.pen == colours::black)) continue;
                level_tick |=
                    op.x1 == row.level_tick_x && op.x2 == g.Px_min && op.y1 == g.y_pos(50) && op.y2 == op.y1;
                freq_tick |=
                    op.x1 == g.x_pos(10) && op.x2 == op.x1 && op.y1 == row.freq_tick_y && op.y2 == g.Py_min;
            }
            EXPECT_TRUE(level_tick);
            EXPECT_TRUE(freq_tick);

            const CanvasOp* db = canvas.find_text("dB");
            ASSERT_NE(db, nullptr);
            EXPECT_EQ(std::pair(db->x1, db->y1), std::pair(row.db_x, row.db_y));
            const CanvasOp* title = canvas.find_text("Ear");
            ASSERT_NE(title, nullptr);
            EXPECT_EQ(std::pair(title->x1, title->y1),
                      std::pair(ext ? row.title_x_ext : row.title_x, row.title_y));
            const CanvasOp* ear = canvas.find_text("left");
            ASSERT_NE(ear, nullptr);
            EXPECT_EQ(std::pair(ear->x1, ear->y1), std::pair(row.ear_x, row.ear_y));
        }
    }
}

std::vector<int> vertical_grid_x(const std::vector<CanvasOp>& ops, const TOhrGraph& g) {
    std::vector<int> xs;
    for (const auto& op : ops)
        if (op.kind == CanvasOp::line && op.x1 == op.x2 && op.y1 == g.Py_min && op.y2 == g.Py_max)
            xs.push_back(op.x1);
    return xs;
}

TEST(OhrGraph, FrameIsPaintedInOrderAndClosesThePlotArea) {
    ChartRig rig(240, 160, 1.0);
    rig.charts.clear_Chart_re();
    const auto& ops = rig.ops(ear_right);
    const TOhrGraph& g = rig.charts.Ohr_re_graph;

    ASSERT_GE(ops.size(), 5u);
    EXPECT_EQ(ops[0].kind, CanvasOp::rectangle);
    EXPECT_EQ(std::tuple(ops[0].x1, ops[0].y1, ops[0].x2, ops[0].y2), std::tuple(0, 0, 240, 160));
    EXPECT_EQ(ops[0].fill, colours::plot_yellow);
    const int border[4][4] = {{1, 1, 239, 1}, {239, 1, 239, 159}, {239, 159, 1, 159}, {1, 159, 1, 1}};
    for (int i = 0; i < 4; ++i) {
        const CanvasOp& op = ops[1 + i];
        EXPECT_EQ(std::tuple(op.x1, op.y1, op.x2, op.y2),
                  std::tuple(border[i][0], border[i][1], border[i][2], border[i][3]));
        EXPECT_EQ(op.pen_width, 2);
    }

    // The margin is filled after the whole grid and before any label.
    std::size_t fill_at = 0, first_text = 0, last_grid = 0;
    for (std::size_t i = 0; i < ops.size(); ++i) {
        if (ops[i].kind == CanvasOp::flood) fill_at = i;
        if (ops[i].kind == CanvasOp::write && first_text == 0) first_text = i;
        if (ops[i].kind == CanvasOp::line && ops[i].y1 == g.Py_min && ops[i].y2 == g.Py_max) last_grid = i;
    }
    EXPECT_EQ(std::tuple(ops[fill_at].x1, ops[fill_at].y1), std::tuple(5, 100));
    EXPECT_EQ(ops[fill_at].border, colours::black);
    EXPECT_EQ(ops[fill_at].fill, colours::margin_grey);
    EXPECT_LT(last_grid, fill_at);
    EXPECT_LT(fill_at, first_text);

    // Seven level lines across the plot width; vertical lines at the even indices and at f_max.
    int level_lines = 0;
    for (const auto& op : ops)
        level_lines += op.kind == CanvasOp::line && op.y1 == op.y2 && op.x1 == g.Px_min && op.x2 == g.Px_max;
    EXPECT_EQ(level_lines, 7);
    EXPECT_EQ(vertical_grid_x(ops, g),
              (std::vector<int>{60, 60, 87, 114, 129, 141, 156, 167, 183, 194, 210, 221, 221}));

    // The range label lands on the "8K" label and is painted after it; "16K" falls right of the plot.
    const CanvasOp* k8 = rig.re.recording().find_text("8K");
    const CanvasOp* khz = rig.re.recording().find_text("8kHz");
    ASSERT_TRUE(k8 && khz);
    EXPECT_EQ(std::pair(k8->x1, k8->y1), std::pair(khz->x1, khz->y1));
    EXPECT_LT(k8, khz);
    const CanvasOp* k16 = rig.re.recording().find_text("16K");
    ASSERT_NE(k16, nullptr);
    EXPECT_EQ(k16->x1, 239);
    EXPECT_EQ(rig.re.recording().find_text("right")->x1, 120);
}

TEST(OhrGraph, ExtendedBoxAddsTheGridLinesAt10And12kHz) {
    ChartRig rig(240, 160, 1.0, true);
    rig.charts.clear_Chart_li();
    EXPECT_EQ(vertical_grid_x(rig.ops(ear_left), rig.charts.Ohr_li_graph),
              (std::vector<int>{60, 75, 96, 117, 129, 138, 150, 159, 171, 179, 192, 200, 207, 212, 221}));
    EXPECT_NE(rig.li.recording().find_text("16kHz"), nullptr);

    // The range can be extended while the box stays unchecked: no lines at 10 and 12 kHz then.
    rig.controls.extended = false;
    rig.li.recording().ops.clear();
    rig.charts.clear_Chart_li();
    EXPECT_EQ(vertical_grid_x(rig.ops(ear_left), rig.charts.Ohr_li_graph),
              (std::vector<int>{60, 75, 96, 117, 129, 138, 150, 159, 171, 179, 192, 200, 221}));
}

TEST(OhrGraph, LinesLeaveTheOutlineAsTheyFoundIt) {
    ChartRig rig(240, 160, 1.0);
    rig.li.canvas().set_pen_colour(colours::blue); // as a mark leaves it
    rig.charts.clear_Chart_li();
    const auto& ops = rig.ops(ear_left);
    EXPECT_EQ(ops[0].pen, colours::blue); // the background's outline, hidden under the border
    for (const auto& op : ops)
        if (op.kind == CanvasOp::line) {
            EXPECT_NE(op.pen, colours::blue);
        }
    EXPECT_EQ(rig.li.canvas().pen_colour(), colours::blue);
    EXPECT_EQ(rig.li.canvas().pen_width(), 1);
    EXPECT_EQ(rig.li.canvas().fill_colour(), colours::margin_grey);
    // The frame ends with the border once more, over labels that reach into it; the normal curve follows.
    std::size_t curve = 0;
    while (curve < ops.size() && !(ops[curve].pen == colours::normal_green))
        ++curve;
    ASSERT_GT(curve, 4u);
    const CanvasOp& last = ops[curve - 1];
    EXPECT_EQ(std::tuple(last.x1, last.y1, last.x2, last.y2, last.pen_width), std::tuple(1, 159, 1, 1, 2));
}

TEST(OhrGraph, NoTextTableLeavesTitleAndEarWordUnwritten) {
    ChartRig rig(240, 160, 1.0);
    rig.charts.use_texts(nullptr);
    rig.charts.clear_Chart_li();
    int texts = 0;
    for (const auto& op : rig.ops(ear_left))
        texts += op.kind == CanvasOp::write;
    EXPECT_EQ(texts, 7 + 8 + 1 + 1); // level labels, frequency labels, "dB", range label
    EXPECT_EQ(rig.li.recording().find_text("Ear"), nullptr);

    rig.languages.use_german();
    rig.charts.use_texts(&rig.languages.current());
    rig.charts.clear_Chart_li();
    EXPECT_NE(rig.li.recording().find_text("Ohr"), nullptr);
    EXPECT_NE(rig.li.recording().find_text("links"), nullptr);
}

} // namespace
} // namespace kelvor::chart
