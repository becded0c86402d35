#pragma once
// Text forms shared by the displays, logs, results file and reports.
#include <cstdint>
#include <string>

namespace kelvor {

// A real value as its integer part (cut toward zero), right-aligned with blanks to at least `width`
// characters; a longer number keeps all its digits.
std::string number_text(double value, int width);

// "$0388 : 255", "$0220 :   6": port as four upper-case hex digits, value in decimal with two extra
// blanks in front of a value below 10.
std::string port_value_text(std::uint16_t port, std::uint8_t value);

// Rounding to the nearest whole number with halves to the even neighbour.
double round_half_even(double value);

} // namespace kelvor
