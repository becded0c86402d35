// The printout's audiogram on a recording canvas: where each ear's symbols land, the arrow and the missing
// line of a threshold not reached, the grade bands, and that only the profile's page draws it.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/results/clinical_audiogram.h"
#include "results_rig.h"

namespace kelvor::results {
namespace {

using testing::CanvasOp;

constexpr Rgb red{208, 0, 0}, blue{0, 0, 208};

// Every reference 0: a level is its own hearing level; 48 dB is the top level.
void zero_profile(hearing::TestState& state) {
    state.normals.profile_name = "HD";
    for (hearing::EarNormals* ear : {&state.normals.left, &state.normals.right}) {
        ear->calibrated.fill(true);
        for (std::uint8_t i = 1; i <= hearing::freq_index_count; ++i)
            ear->norm.entries[i] = {1, double(hearing::index_to_freq(i)), 0};
    }
}

bool has(const std::vector<CanvasOp>& ops, CanvasOp::Kind kind, Rgb pen, int x1, int y1, int x2, int y2) {
    return std::any_of(ops.begin(), ops.end(), [&](const CanvasOp& op) {
        return op.kind == kind && op.pen == pen && op.x1 == x1 && op.y1 == y1 && op.x2 == x2 && op.y2 == y2;
    });
}

// In the box below an octave is 100 units wide from 125 Hz at x 150, and 10 dB are 50 units high from
// -10 dB HL at y 140; symbols have a radius of 24, an arrow runs from 18 to 60 units down and outwards.
TEST(ClinicalAudiogram, SymbolsArrowsLinesAndBands) {
    hearing::TestState state;
    zero_profile(state);
    const struct {
        bool right;
        std::uint16_t freq;
        double level;
        int x, y;
    } points[] = {{true, 1000, 0, 450, 190},  {true, 2000, 48, 550, 430},  {true, 4000, 40, 650, 390},
                  {false, 500, 20, 350, 290}, {false, 1000, 25, 450, 315}, {false, 250, -5, 250, 165}};
    for (const auto& p : points)
        hearing::set_result_entry(p.right ? state.results_re : state.results_li,
                                  hearing::freq_to_index(p.freq), p.freq, p.level);
    testing::RecordingCanvas canvas;
    draw_audiogram(state, {0, 0, 1270, 1690}, false, canvas);
    const auto& ops = canvas.ops;

    for (const auto& p : points) {
        SCOPED_TRACE(p.freq);
        if (p.right)
            EXPECT_TRUE(has(ops, CanvasOp::ellipse, red, p.x - 24, p.y - 24, p.x + 24, p.y + 24));
        else
            EXPECT_TRUE(has(ops, CanvasOp::line, blue, p.x - 24, p.y - 24, p.x + 24, p.y + 24));
        const bool arrow = p.level >= hearing::level_max_db;
        EXPECT_EQ(has(ops, CanvasOp::line, red, p.x - 18, p.y + 18, p.x - 60, p.y + 60), arrow);
    }
    // The left ear's curve runs through its points; no line leads to or from 2000 Hz not reached.
    EXPECT_TRUE(has(ops, CanvasOp::line, blue, 250, 165, 350, 290));
    EXPECT_TRUE(has(ops, CanvasOp::line, blue, 350, 290, 450, 315));
    EXPECT_FALSE(has(ops, CanvasOp::line, red, 450, 190, 550, 430));
    EXPECT_FALSE(has(ops, CanvasOp::line, red, 550, 430, 650, 390));

    // Mild from 20 to 35 dB HL, then alternating tints down to 120 at the bottom (y 790).
    std::vector<std::pair<int, int>> bands;
    for (const CanvasOp& op : ops)
        if (op.kind == CanvasOp::rectangle && op.x1 == 150 && op.x2 == 750) bands.push_back({op.y1, op.y2});
    EXPECT_EQ(bands, (std::vector<std::pair<int, int>>{
                         {290, 365}, {365, 440}, {440, 515}, {515, 590}, {590, 665}, {665, 790}}));
    EXPECT_TRUE(canvas.find_text("moderate hearing loss"));
    EXPECT_TRUE(canvas.find_text("8000"));
}

TEST(ClinicalAudiogram, OnlyTheProfilesPageDrawsItAndTheAxisWidensForTheData) {
    testing::ResultsRig rig;
    testing::RecordingCanvas canvas;
    rig.printer.shapes = &canvas;
    rig.measure(rig.state.results_li, 1000, 30);
    rig.r.drucken1Click();
    EXPECT_TRUE(canvas.ops.empty());

    zero_profile(rig.state);
    rig.state.f_max = hearing::f_max_extended;
    rig.measure(rig.state.results_re, 12000, 48);
    rig.measure(rig.state.results_re, 1000, -15);
    rig.r.drucken1Click();
    EXPECT_EQ(rig.printer.documents.size(), 3u); // then the report's page and the profile's page
    EXPECT_TRUE(canvas.find_text("16000"));
    EXPECT_TRUE(canvas.find_text("-20"));
}

} // namespace
} // namespace kelvor::results
