#include "core/results/text_report.h"

#include "core/common/text_format.h"
#include "core/results/hearing_levels.h"
#include "core/results/hearing_number.h"
#include "core/results/results_file.h"
#include "core/results/room_report.h"

namespace kelvor::results {

namespace {

constexpr int offset_width = 2;

void add_line(std::string& out, const std::string& line) {
    out += line;
    out += line_end;
}

// Title, empty line, the filled entries from the highest index down, empty line.
void add_block(std::string& out, const std::string& title, const hearing::TEarResult& record) {
    add_line(out, title);
    add_line(out, "");
    for (int index = hearing::freq_index_count; index >= 1; --index)
        if (record.entries[index].flag == 1) add_line(out, hearing::result_line(record.entries[index]));
    add_line(out, "");
}

} // namespace

std::string text_report(hearing::TestState& state, ReportOffsets& offsets) {
    std::string out;
    add_line(out, program_line);
    add_line(out, "");
    add_block(out, "Messwerte links:", state.results_li);
    add_block(out, "Messwerte rechts:", state.results_re);
    offsets.left =
        hearing::relative_to_norm(state.results_li, state.delta_li, true, state.norm_of(hearing::ear_left));
    add_block(out, "Delta li  Offset: " + number_text(offsets.left, offset_width), state.delta_li);
    offsets.right =
        hearing::relative_to_norm(state.results_re, state.delta_re, true, state.norm_of(hearing::ear_right));
    add_block(out, "Delta re  Offset: " + number_text(offsets.right, offset_width), state.delta_re);
    if (state.normals.profile_chosen()) {
        // Hearing levels only with a profile: without one the levels are not in dB HL.
        for (const std::int8_t ear : {hearing::ear_left, hearing::ear_right}) {
            add_line(out, std::string(ear == hearing::ear_left ? "dB HL li" : "dB HL re") +
                              "  Profil: " + state.normals.profile_name);
            add_line(out, "");
            for (const auto& row : hearing_level_rows(state, ear))
                add_line(out, hearing_level_line(row));
            add_line(out, "");
        }
        const auto number = hearing_number(state);
        if (number && hearing_number_tested(state)) {
            for (const std::string& line : hearing_number_lines(*number, false))
                add_line(out, line);
            add_line(out, "");
        }
    }
    // Only a run with the confirmed threshold says how reliable it was.
    for (const std::int8_t ear : {hearing::ear_left, hearing::ear_right})
        if (const auto& r = ear == hearing::ear_left ? state.reliability_li : state.reliability_re)
            add_line(out, hearing::verdict_text(*r, ear == hearing::ear_left, false));
    if (state.reliability_li || state.reliability_re) add_line(out, "");
    // Only a run with the room watch says what the room was like.
    const std::vector<std::string> room = room_lines(state);
    for (const std::string& line : room)
        add_line(out, line);
    if (!room.empty()) add_line(out, "");
    return out;
}

} // namespace kelvor::results
