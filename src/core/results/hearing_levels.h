#pragma once
// The hearing levels in dB HL of both ears while a profile is chosen, in the forms the window, the text
// report and the printout show them.
#include <cstdint>
#include <string>
#include <vector>

#include "core/hearing/test_state.h"

namespace kelvor::results {

// One measured scale position of one ear.
struct HearingLevelRow {
    std::uint8_t index = 0;
    bool calibrated = false;
    int level_db_hl = 0; // rounded to whole dB (halves to even); only when calibrated
};

// The ear's measured positions from `top_index` down to 1.
std::vector<HearingLevelRow> hearing_level_rows(const hearing::TestState& state, std::int8_t ear,
                                                std::uint8_t top_index = hearing::freq_index_count);

// "1000 Hz  12 dB HL", " 750 Hz  not calibrated": the line of the report and the printout, the same in
// either language (the report is a file that others read).
std::string hearing_level_line(const HearingLevelRow& row);

} // namespace kelvor::results
