#pragma once
// Text forms shared by the displays, logs, results file and reports.
#include <cstdint>
#include <string>

namespace kelvor {

// A real value as its integer part (cut toward zero), right-aligned with blanks to at least `width`
// characters; a longer number keeps all its digits.
std::string number_text(double value, int width);

// The number texts the program stores, exports and logs never follow the C library's locale (Qt sets it
// from the desktop's at start, and a German desktop's decimal comma would make our own files unreadable).

// A real value with exactly `decimals` digits after a decimal point: "14.25", "-3.50".
std::string fixed_text(double value, int decimals);

// The shortest decimal text that reads back as the same value; whole values without a fraction ("14",
// "14.25", "0.1").
std::string shortest_text(double value);

// A port in the program's hexadecimal notation: "$0388".
std::string port_text(std::uint16_t port);

// "$0388 : 255", "$0220 :   6": the port as port_text, value in decimal with two extra blanks in front of
// a value below 10.
std::string port_value_text(std::uint16_t port, std::uint8_t value);

// Rounding to the nearest whole number with halves to the even neighbour.
double round_half_even(double value);

} // namespace kelvor
