#include "core/results/results_file.h"

#include "core/common/text_format.h"

namespace kelvor::results {

namespace {

constexpr int freq_width = 4;
constexpr int level_width = 2;

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void append_lines(std::string& out, const char* tag, const hearing::TEarResult& record) {
    for (int index = hearing::freq_index_count; index >= 1; --index) {
        const hearing::TEarEntry& entry = record.entries[index];
        if (entry.flag != 1) continue;
        out += results_file_line(tag, entry);
        out += line_end;
    }
}

} // namespace

std::string results_file_line(const char* tag, const hearing::TEarEntry& entry) {
    return std::string("(; ") + tag + "; " + number_text(entry.freq, freq_width) + "; " +
           number_text(entry.level, level_width) + "; ); ";
}

std::string results_file_text(const hearing::TEarResult& left, const hearing::TEarResult& right) {
    std::string out;
    append_lines(out, tag_left, left);
    append_lines(out, tag_right, right);
    return out;
}

std::uint16_t number_value(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    // Unsigned arithmetic wraps modulo 2^16 at every step, which gives the value modulo 65536 however
    // many digits there are.
    std::uint16_t value = 0;
    if (i < text.size() && text[i] == '$') {
        ++i;
        for (int d; i < text.size() && (d = hex_digit(text[i])) >= 0; ++i)
            value = static_cast<std::uint16_t>(value * 16u + static_cast<unsigned>(d));
        return value;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = static_cast<std::uint16_t>(value * 10u + static_cast<unsigned>(text[i] - '0'));
    if (negative && i == text.size()) value = static_cast<std::uint16_t>(0u - value);
    return value;
}

bool minus_written(std::string_view text) {
    std::size_t i = text.find_first_not_of(' ');
    if (i == std::string_view::npos || text[i] != '-') return false;
    const std::size_t digits = i + 1;
    for (i = digits; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    }
    return i > digits && i == text.size();
}

std::optional<ResultsFields> take_fields(std::string_view line) {
    const std::size_t close = line.find(");");
    if (close == std::string_view::npos) return std::nullopt;
    std::string_view part = line.substr(0, close);
    if (part.find(';') == std::string_view::npos) return std::nullopt;

    std::string_view pieces[4];
    for (std::string_view& piece : pieces) {
        const std::size_t semicolon = part.find(';');
        piece = part.substr(0, semicolon);
        if (semicolon == std::string_view::npos) {
            part = {};
            break;
        }
        part.remove_prefix(semicolon + 1);
    }
    return ResultsFields{pieces[1], number_value(pieces[2]), number_value(pieces[3]), minus_written(pieces[3])};
}

double stored_level(std::uint16_t level_bits, bool minus) {
    // The bits hold the written value modulo 65536; with a minus sign that is 65536 minus the digits' value.
    if (minus && level_bits != 0) return -static_cast<double>(static_cast<std::uint16_t>(0u - level_bits));
    return level_bits;
}

void read_results_line(std::string_view line, hearing::TEarResult& left, hearing::TEarResult& right) {
    const std::optional<ResultsFields> fields = take_fields(line);
    if (!fields) return;
    const std::uint8_t index = hearing::freq_to_index(fields->freq);
    const double level = stored_level(fields->level, fields->level_minus);
    if (fields->tag.find(tag_left) != std::string_view::npos)
        hearing::set_result_entry(left, index, fields->freq, level);
    if (fields->tag.find(tag_right) != std::string_view::npos)
        hearing::set_result_entry(right, index, fields->freq, level);
}

} // namespace kelvor::results
