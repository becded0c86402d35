#pragma once
// The audiogram a clinician reads, for the hearing level page of the printout: both ears on one chart of
// hearing levels in dB HL (-10 at the top, losses downwards) over an octave axis, the right ear as red
// circles and the left ear as blue crosses joined by lines of their colour, a threshold the test did not
// reach at its top level as its symbol with an arrow pointing down and away from it (joined to nothing),
// and the WHO 2021 grades as faint bands behind the curves.
#include <cstdint>
#include <vector>

#include "core/chart/canvas.h"
#include "core/hearing/test_state.h"
#include "core/host/print_job.h"

namespace kelvor::results {

struct AudiogramPoint {
    std::uint16_t freq_hz = 0;
    int db_hl = 0;            // rounded as the table rounds
    bool not_reached = false; // the test went to its top level without a press: more than db_hl
};

// One ear's calibrated results up to the test's highest frequency, by rising frequency.
std::vector<AudiogramPoint> audiogram_points(const hearing::TestState& state, std::int8_t ear);

// What the chart spans: octaves from 125 to 8000 Hz and -10 to 120 dB HL, wider where the points need it.
struct AudiogramScale {
    double f_low_hz = 125;
    double f_high_hz = 8000;
    int db_top = -10;
    int db_bottom = 120;

    int octaves() const;
};
AudiogramScale audiogram_scale(const std::vector<AudiogramPoint>& left,
                               const std::vector<AudiogramPoint>& right);

// The smallest box (device units at 300 dots per inch) the chart with its labels and legend is drawn in.
inline constexpr int audiogram_min_height = 1000;

// Draws the chart, its labels and its legend inside `box`, as large as fits at the usual proportion
// (an octave as wide as 20 dB is high). Texts in English or German.
void draw_audiogram(const hearing::TestState& state, const host::PrintRect& box, bool german,
                    chart::Canvas& canvas);

} // namespace kelvor::results
