#include "core/chart/charts.h"

#include <gtest/gtest.h>

#include "chart_rig.h"

namespace kelvor::chart {
namespace {

using hearing::ear_left;
using hearing::ear_right;

TEST(Charts, AxisEndsFollowTheRangeAndTheCaller) {
    ChartRig rig(240, 160, 1.0);
    rig.charts.clear_Chart_li();
    EXPECT_EQ(rig.charts.Ohr_li_graph.x_pos(22), 221);
    // Range switching sets the axis itself; the next chart places 8 kHz inside the plot.
    rig.charts.set_freq_axis(hearing::ln_series(75), hearing::ln_series(16000));
    rig.test.f_min = 75;
    rig.test.f_max = 16000;
    rig.charts.clear_chart(ear_left, 28);
    EXPECT_EQ(rig.charts.Ohr_li_graph.x_max, 28);
    EXPECT_EQ(rig.charts.Ohr_li_graph.x_pos(22), 200);
    EXPECT_EQ(rig.charts.Ohr_li_graph.x_pos(-6), 26);
    rig.charts.init_Graph_var();
    EXPECT_NEAR(rig.charts.state().ln_f_max, 9.680, 0.001);
}

TEST(Charts, RedrawFollowsTheControlSize) {
    ChartRig rig(624, 416, 2.6);
    rig.charts.redraw_Chart_re();
    EXPECT_EQ(rig.charts.Ohr_re_graph.Px_max, 574);
    rig.re.resize(240, 160);
    rig.charts.state().Ohr_img = {240, 160};
    rig.charts.redraw_Chart_re();
    EXPECT_EQ(rig.charts.Ohr_re_graph.Px_max, 221);
    EXPECT_EQ(rig.charts.Ohr_re_graph.name, "right");
}

TEST(Charts, SegmentsAreClippedKeepingTheirSlope) {
    const struct {
        Segment in;
        bool visible;
        Segment out;
    } rows[] = {
        {{10, 10, 20, 20}, true, {10, 10, 20, 20}},   // inside
        {{-50, 50, 150, 50}, true, {0, 50, 100, 50}}, // through both sides
        {{50, 50, 50, 1e9}, true, {50, 50, 50, 100}}, // far below
        {{200, 200, 300, 300}, false, {}},            // outside
        {{-10, 50, 50, -10}, true, {0, 40, 40, 0}},   // across a corner
        {{150, 0, 150, 100}, false, {}},              // parallel, outside
    };
    for (const auto& row : rows) {
        Segment s = row.in;
        ASSERT_EQ(clip_segment(s, 0, 0, 100, 100), row.visible) << row.in.x1 << "," << row.in.y1;
        if (!row.visible) continue;
        EXPECT_DOUBLE_EQ(s.x1, row.out.x1);
        EXPECT_DOUBLE_EQ(s.y1, row.out.y1);
        EXPECT_DOUBLE_EQ(s.x2, row.out.x2);
        EXPECT_DOUBLE_EQ(s.y2, row.out.y2);
    }
}

} // namespace
} // namespace kelvor::chart
