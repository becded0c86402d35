#pragma once
// Ear result records: one entry per scale position holding the threshold recorded there.
#include <array>
#include <cstdint>
#include <string>

#include "core/hearing/frequency_scale.h"

namespace kelvor::host {
class PrintJob;
}

namespace kelvor::hearing {

struct TEarEntry {
    std::int8_t flag = -1; // 1 = holds a result, -1 = empty, 0 = blank row (print copies only)
    double freq = 0;       // Hz
    double level = 0;      // dB
};

struct TEarResult {
    std::string name;
    std::array<TEarEntry, freq_index_count + 1> entries{}; // indexed by frequency index; 0 never filled
};

inline constexpr const char* results_li_name = "MessWerte li";
inline constexpr const char* results_re_name = "MessWerte re";
inline constexpr const char* norm_values_name = "Ohr STD Werte";

void reset_result(TEarResult& record, const std::string& name);
// Stores one entry; index 0 and indices above 30 are ignored, freq 0 deletes the entry.
void set_result_entry(TEarResult& record, std::uint8_t index, double freq, double level);
// Writes the filled entries from the index of f_max down, one line of 60 units each, at (x, y).
void print_result(const TEarResult& record, std::uint16_t x, std::uint16_t y, std::uint16_t f_max,
                  host::PrintJob& printer);
// The printed line of one filled entry, e.g. "1000 Hz  20  dB".
std::string result_line(const TEarEntry& entry);
// Deviation of `source` from `norm` into `destination`; returns the negated mean offset.
std::int8_t relative_to_norm(const TEarResult& source, TEarResult& destination, bool with_frequencies,
                             const TEarResult& norm);

} // namespace kelvor::hearing
