#include "core/chart/charts.h"

#include <gtest/gtest.h>

#include "chart_rig.h"

namespace kelvor::chart {
namespace {

using hearing::ear_left;
using hearing::ear_right;

// Records the chart calls as short words: "clear li 22", "erase re 18", "line li MessWerte li".
struct ChartCallRecorder : hearing::ChartControl {
    std::vector<std::string> calls;
    static std::string side(std::int8_t ear) { return ear == ear_left ? "li" : "re"; }
    void clear_chart(std::int8_t ear, int index_max) override {
        calls.push_back("clear " + side(ear) + " " + std::to_string(index_max));
    }
    void draw_line(std::int8_t ear, const hearing::TEarResult& record, Rgb colour) override {
        calls.push_back("line " + side(ear) + " " + record.name + (colour == colours::blue ? "" : " ?"));
    }
    void draw_mark(std::int8_t ear, std::uint8_t index) override {
        calls.push_back("mark " + side(ear) + " " + std::to_string(index));
    }
    void draw_mark_centre(std::int8_t ear, std::uint8_t index) override {
        calls.push_back("centre " + side(ear) + " " + std::to_string(index));
    }
    void erase_mark(std::int8_t ear, std::uint8_t index) override {
        calls.push_back("erase " + side(ear) + " " + std::to_string(index));
    }
    void set_freq_axis(double, double) override { calls.push_back("axis"); }
};

TEST(Charts, EarChangeRefreshesTheOtherChartFirst) {
    hearing::TestState test;
    hearing::reset_result(test.results_li, hearing::results_li_name);
    hearing::reset_result(test.results_re, hearing::results_re_name);
    for (std::uint8_t i : {2, 10, 22, 24}) { // 10 kHz lies beyond f_max: never erased
        hearing::set_result_entry(test.results_li, i, hearing::index_to_freq(i), 20);
        hearing::set_result_entry(test.results_re, i, hearing::index_to_freq(i), 20);
    }
    const struct {
        std::int8_t selected;
        bool auto_mode;
        std::vector<std::string> calls;
    } cases[] = {
        {ear_left, true, {"clear re 22", "erase re 22", "erase re 10", "erase re 2", "line re MessWerte re",
                          "clear li 22", "line li MessWerte li"}},
        {ear_left, false, {"clear re 22", "erase re 22", "erase re 10", "erase re 2", "line re MessWerte re",
                           "clear li 22", "line li MessWerte li"}},
        {ear_right, true, {"clear li 22", "line li MessWerte li", "clear re 22", "line re MessWerte re"}},
        {ear_right, false, {"clear li 22", "erase li 22", "erase li 10", "erase li 2", "line li MessWerte li",
                            "clear re 22", "line re MessWerte re"}},
    };
    for (const auto& c : cases) {
        test.auto_mode = c.auto_mode;
        ChartCallRecorder recorder;
        ear_change_refresh(recorder, test, c.selected, 22, 22);
        EXPECT_EQ(recorder.calls, c.calls) << (c.selected == ear_left ? "left" : "right") << c.auto_mode;
    }
}

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
        {{10, 10, 20, 20}, true, {10, 10, 20, 20}},        // inside
        {{-50, 50, 150, 50}, true, {0, 50, 100, 50}},      // through both sides
        {{50, 50, 50, 1e9}, true, {50, 50, 50, 100}},      // far below
        {{200, 200, 300, 300}, false, {}},                 // outside
        {{-10, 50, 50, -10}, true, {0, 40, 40, 0}},        // across a corner
        {{150, 0, 150, 100}, false, {}},                   // parallel, outside
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
