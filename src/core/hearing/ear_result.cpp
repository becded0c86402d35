#include "core/hearing/ear_result.h"

#include "core/common/text_format.h"
#include "core/host/print_job.h"

namespace kelvor::hearing {

void reset_result(TEarResult& record, const std::string& name) {
    record.name = name;
    record.entries.fill(TEarEntry{});
}

void set_result_entry(TEarResult& record, std::uint8_t index, double freq, double level) {
    if (index == 0 || index > freq_to_index(f_limit)) return;
    if (freq == 0) {
        record.entries[index] = TEarEntry{};
        return;
    }
    record.entries[index] = TEarEntry{1, freq, level};
}

std::string result_line(const TEarEntry& entry) {
    std::string freq_part = entry.freq != 0 ? number_text(entry.freq, 4) + " Hz" : std::string();
    return freq_part + "  " + number_text(entry.level, 2) + "  dB";
}

void print_result(const TEarResult& record, std::uint16_t x, std::uint16_t y, std::uint16_t f_max,
                  host::PrintJob& printer) {
    constexpr int line_spacing = 60;
    int offset = 0;
    for (int index = freq_to_index(f_max); index >= 1; --index) {
        const TEarEntry& entry = record.entries[index];
        if (entry.flag < 0) continue;
        if (entry.flag > 0) printer.text_out(x, y + offset, result_line(entry));
        offset += line_spacing;
    }
}

std::int8_t relative_to_norm(const TEarResult& source, TEarResult& destination, bool with_frequencies,
                             const TEarResult& norm) {
    double sum = 0;
    int count = 0;
    for (int index = freq_index_count; index >= 1; --index) {
        if (source.entries[index].flag != 1) continue;
        ++count;
        sum += source.entries[index].level - norm.entries[index].level;
    }
    const double offset = count == 0 ? 0.0 : round_half_even(sum / count);
    for (int index = freq_index_count; index >= 1; --index) {
        const TEarEntry& from = source.entries[index];
        TEarEntry& to = destination.entries[index];
        if (from.flag == 1) {
            to.flag = 1;
            to.level = norm.entries[index].level - (from.level - offset);
            to.freq = with_frequencies ? index_to_freq(static_cast<std::uint8_t>(index)) : 0.0;
        } else {
            to = TEarEntry{};
        }
    }
    // Levels read from a file can be far outside the scale; keep the conversion defined.
    const double result = -offset;
    if (!(result >= -128.0)) return -128;
    if (result > 127.0) return 127;
    return static_cast<std::int8_t>(result);
}

} // namespace kelvor::hearing
