#pragma once
// The results file "Kelvor.dat": one text line per measured entry, left ear first, each ear from the
// highest frequency index down, e.g. "(; la; 1000; 25; ); " followed by CR LF. Nothing else is stored.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/hearing/ear_result.h"

namespace kelvor::results {

constexpr const char* tag_left = "la";
constexpr const char* tag_right = "ra";
constexpr const char* line_end = "\r\n";

// The line of one entry, without its line end.
std::string results_file_line(const char* tag, const hearing::TEarEntry& entry);
// The whole file: every filled entry of both records; empty when neither holds one.
std::string results_file_text(const hearing::TEarResult& left, const hearing::TEarResult& right);

// The value of a number field: leading blanks skipped, then an optional sign and decimal digits, or "$"
// and hexadecimal digits, up to the first other character; no digits give 0. A leading "-" counts only
// when the digits end the text. The value wraps into 16 bits (-5 gives 65531).
std::uint16_t number_value(std::string_view text);

struct ResultsFields {
    std::string_view tag; // blanks included: the tag test looks for the letters anywhere in it
    std::uint16_t freq = 0;
    std::uint16_t level = 0;
    bool level_minus = false; // the level was written with a minus sign before its digits
};
// The fields of a line: the part before its first ");", split at ";" into opening, tag, frequency and
// level (missing pieces are empty). None when the line has no ");" or no ";" before it.
std::optional<ResultsFields> take_fields(std::string_view line);

// Whether a number field holds a minus sign directly before digits that end the field ("-5", " -5"; not
// "- 5", "-5x", "-$5"): the only case in which the reading above takes the sign.
bool minus_written(std::string_view text);

// A level as the records keep it. A level written with a minus sign keeps it ("-5" is -5 dB, drawn and
// saved as -5), the digits taken modulo 65536; every other level is the 16 bits as they were read, so
// "45783", "65535" and "$FFFF" are saved back as 45783, 65535 and 65535, as any results file was always read.
double stored_level(std::uint16_t level_bits, bool minus);

// Stores what one line holds: in the left record when the tag contains "la", in the right one when it
// contains "ra" (both for "lara"). A frequency off the scale, or a line without fields, changes nothing.
void read_results_line(std::string_view line, hearing::TEarResult& left, hearing::TEarResult& right);

} // namespace kelvor::results
