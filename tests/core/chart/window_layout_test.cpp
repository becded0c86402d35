// The main window's layout at the client sizes a user reaches by resizing: the charts' size and place, the
// track bars above them, the tone panel between them and the command panel below.
#include "core/chart/window_layout.h"

#include <gtest/gtest.h>

#include "support/fake_test_seams.h"

namespace kelvor::chart {
namespace {

struct LayoutRow {
    int cw, ch;
    double chart_scale;
    int gap;
    int w, h, top;
    int li_left, re_left;
    int track_top, track_width, track_height, track_li, track_re;
    int tm_left, tm_top;
    int bot_left, bot_top;
};

TEST(WindowLayout, ResizeGivesEveryControlItsPlace) {
    const LayoutRow rows[] = {
        {624, 414, 1.0, 10, 240, 160, 54, 28, 356, 10, 185, 34, 76, 404, 279, 3, 1, 221},
        {600, 360, 1.0, 10, 240, 160, 54, 28, 356, 10, 185, 34, 76, 404, 279, 3, 1, 221},
        {800, 550, 800.0 / 624, 13, 308, 205, 70, 48, 444, 13, 237, 44, 109, 505, 367, 55, 89, 324},
        {1248, 828, 2.0, 20, 480, 320, 108, 100, 668, 20, 370, 68, 196, 764, 591, 208, 313, 540},
        {1700, 1000, 2.6, 27, 624, 416, 142, 182, 894, 27, 481, 88, 306, 1018, 817, 338, 539, 691},
        {1000, 414, 1000.0 / 624, 16, 385, 256, 86, 71, 544, 16, 296, 54, 148, 621, 467, 122, 189, 221},
        // Scale 1.25: gap 12.5, track bar height 42.5 and so the chart top round half to even.
        {780, 414, 1.25, 12, 300, 200, 66, 46, 434, 12, 231, 42, 106, 494, 357, 46, 79, 221},
    };
    for (const LayoutRow& r : rows) {
        SCOPED_TRACE(std::to_string(r.cw) + " x " + std::to_string(r.ch));
        WindowLayout layout;
        layout.Form_ready = true;
        hearing::MessungControls c;
        testing::FakeChart charts;
        hearing::TestState test;
        layout.FormResize(r.cw, r.ch, c, charts, test);

        EXPECT_NEAR(charts.scale, r.chart_scale, 1e-9);
        EXPECT_EQ(layout.Win_gap, r.gap);
        EXPECT_EQ(c.Ohr_li_img.bounds, (Bounds{r.li_left, r.top, r.w, r.h}));
        EXPECT_EQ(c.Ohr_re_img.bounds, (Bounds{r.re_left, r.top, r.w, r.h}));
        EXPECT_EQ(c.F_Leiste_li.bounds, (Bounds{r.track_li, r.track_top, r.track_width, r.track_height}));
        EXPECT_EQ(c.F_Leiste_re.bounds, (Bounds{r.track_re, r.track_top, r.track_width, r.track_height}));
        EXPECT_EQ(c.Panel_TM.bounds, (Bounds{r.tm_left, r.tm_top, 66, 220}));
        EXPECT_EQ(c.Panel_bot.bounds, (Bounds{r.bot_left, r.bot_top, 622, 176}));
        EXPECT_EQ(c.Memo1_D.bounds, c.Ohr_re_img.bounds);
        EXPECT_EQ(c.Memo1_E.bounds, c.Ohr_re_img.bounds);
        EXPECT_EQ(c.PortData.bounds, c.Ohr_re_img.bounds); // the left ear is under test
        EXPECT_EQ(charts.log->take(), (std::vector<std::string>{
                                          "set_chart_size " + std::to_string(r.w) + "x" + std::to_string(r.h),
                                          "init_Graph_var", "clear_chart L 22", "clear_chart R 22",
                                          "draw_line L MessWerte li", "draw_line R MessWerte re"}));
    }
}

TEST(WindowLayout, StartUpRunsAtTheLargestScaleAndResizesWaitForIt) {
    WindowLayout layout;
    hearing::MessungControls c;
    testing::FakeChart charts;
    hearing::TestState test;
    // The window's first client area is smaller than the smallest layout: the charts still get 624 x 416,
    // the left one far outside the client area until the first resize.
    layout.set_Ohr_WindowData(623, 404, false, charts);
    layout.assignPPos(c);
    EXPECT_EQ(charts.log->take(), std::vector<std::string>{"set_chart_size 624x416"});
    EXPECT_EQ(c.Ohr_li_img.bounds, (Bounds{312 - 44 - 624, 140, 624, 416}));

    layout.FormResize(800, 550, c, charts, test);
    EXPECT_TRUE(charts.log->take().empty());
    EXPECT_EQ(c.Ohr_li_img.bounds.width, 624);
}

TEST(WindowLayout, PortLogCoversTheChartOfTheEarNotUnderTest) {
    WindowLayout layout;
    layout.Form_ready = true;
    hearing::MessungControls c;
    testing::FakeChart charts;
    hearing::TestState test;
    test.cur_ear = hearing::ear_right;
    layout.FormResize(800, 550, c, charts, test);
    EXPECT_EQ(c.PortData.bounds, c.Ohr_li_img.bounds);
}

} // namespace
} // namespace kelvor::chart
