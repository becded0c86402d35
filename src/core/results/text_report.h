#pragma once
// The text report "Kelvor.txt": a header line and four blocks (left and right measured values, then each
// ear's deviation from the normal values with its offset), lines ending with CR LF.
#include <cstdint>
#include <string>

#include "core/hearing/test_state.h"

namespace kelvor::results {

constexpr const char* report_file_name = "Kelvor.txt";
constexpr const char* program_line = "Programm: Kelvor 1.40";

struct ReportOffsets {
    std::int8_t left = 0;
    std::int8_t right = 0;
};

// Fills delta_li and delta_re (with frequencies) and returns the report's text and the two offsets.
std::string text_report(hearing::TestState& state, ReportOffsets& offsets);

} // namespace kelvor::results
