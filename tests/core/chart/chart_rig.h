#pragma once
// Both charts on recording surfaces, drawn by the real chart module at a chosen size.
#include "support/chart_rig_base.h"
#include "support/recording_canvas.h"

namespace kelvor::chart {

struct ChartRig : testing::ChartRigBase<testing::RecordingImage> {
    ChartRig(int w, int h, double scale, bool extended = false) : ChartRigBase(extended, scale, w, h, w, h) {}

    std::vector<testing::CanvasOp>& ops(std::int8_t ear) {
        return (ear == hearing::ear_left ? li : re).recording().ops;
    }
};

} // namespace kelvor::chart
