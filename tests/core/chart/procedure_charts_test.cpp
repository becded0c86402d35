// The test procedure drawing through the real charts: what it records must appear on the surfaces.
#include <gtest/gtest.h>

#include "core/chart/charts.h"
#include "core/diagnostics/log_buffer.h"
#include "core/hearing/messung.h"
#include "support/fake_test_seams.h"
#include "support/messung_rig.h"
#include "support/recording_canvas.h"

namespace kelvor::chart {
namespace {

using hearing::ear_left;
using testing::CanvasOp;

struct ProcedureRig : testing::MessungFakes {
    testing::RecordingImage li{240, 160};
    testing::RecordingImage re{240, 160};
    Charts charts{li, re, state};
    hearing::TMessung m{services({.chart = &charts})};
    MessungFrameControls frame{m.controls()};

    ProcedureRig() {
        charts.use_controls(&frame);
        charts.use_texts(&languages.current());
        m.controls().F_Leiste_li.set_maximum(hearing::track_max_normal);
        m.controls().F_Leiste_re.set_maximum(hearing::track_max_normal);
        build_norm_values(state.norm_values);
        charts.init_Graph_var();
        charts.state().Ohr_img = {240, 160};
    }

    std::vector<CanvasOp> take(testing::RecordingImage& image) {
        return std::exchange(image.recording().ops, {});
    }
};

int count(const std::vector<CanvasOp>& ops, CanvasOp::Kind kind, Rgb pen) {
    int n = 0;
    for (const auto& op : ops)
        n += op.kind == kind && op.pen == pen;
    return n;
}

TEST(ProcedureCharts, ManualRecordingsShowAsMarksUntilTheCurveIsRequested) {
    ProcedureRig rig;
    rig.m.Messung_liClick();
    rig.m.zeichnenman1Click();
    rig.take(rig.li);
    rig.take(rig.re);

    rig.m.set_test_freq(1000);
    rig.m.set_test_level(20);
    rig.m.db_select(); // heard: recorded, marked
    rig.m.db_select(); // continue: the mark gets its centre
    rig.m.set_test_freq(2000);
    rig.m.set_test_level(30);
    rig.m.db_select();
    auto ops = rig.take(rig.li);
    EXPECT_EQ(count(ops, CanvasOp::ellipse, colours::blue), 6);
    EXPECT_EQ(count(ops, CanvasOp::ellipse, colours::white), 1);
    EXPECT_EQ(count(ops, CanvasOp::line, colours::blue), 0);
    EXPECT_EQ(std::pair(ops.front().x1, ops.front().y1), std::pair(141 - 3, 120 - 3));

    rig.m.Ohr_gif_liClick();
    ops = rig.take(rig.li);
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(std::tuple(ops[0].x1, ops[0].y1, ops[0].x2, ops[0].y2), std::tuple(141, 88, 167, 104));
    EXPECT_TRUE(rig.take(rig.re).empty());
}

TEST(ProcedureCharts, ExtendingTheRangeRedrawsBothChartsOnTheWiderAxis) {
    ProcedureRig rig;
    rig.m.controls().f_extended.checked = true;
    rig.m.f_extendedClick();
    for (auto* image : {&rig.li, &rig.re}) {
        const auto& canvas = image->recording();
        ASSERT_NE(canvas.find_text("16kHz"), nullptr);
        EXPECT_EQ(count(canvas.ops, CanvasOp::line, colours::normal_green), 27);
    }
    EXPECT_EQ(rig.charts.Ohr_re_graph.x_pos(22), 200);
}

} // namespace
} // namespace kelvor::chart
