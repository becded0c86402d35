#include "core/results/room_report.h"

#include "core/common/text_format.h"
#include "core/settings/interface_texts.h"

namespace kelvor::results {

using settings::Text;
using settings::text_in;

std::string room_heading(const hearing::RoomRecord& room) {
    return text_in(room.profile_baseline ? Text::room_heading_profile : Text::room_heading_own, false,
                   {shortest_text(room.limit_db)});
}

std::string room_not_watched(const hearing::RoomRecord& room) {
    if (room.lost.empty()) return {};
    std::string from = text_in(Text::room_not_watched_start, false);
    if (room.lost_ear != 0)
        from = std::string(text_in(
                   room.lost_ear == hearing::ear_left ? Text::ear_left_word : Text::ear_right_word, false)) +
               " " + std::to_string(room.lost_freq_hz) + " Hz";
    return text_in(Text::room_not_watched, false, {from, room.lost});
}

std::string room_value(const hearing::RoomRecord& room, const hearing::RoomAtThreshold& at) {
    if (!at.measured) return "not watched";
    std::string text = (at.over_db >= 0 ? "+" : "") + fixed_text(at.over_db, 1) + " dB";
    if (room.noisy(at)) text += std::string(" ") + text_in(Text::room_noisy, false);
    return text;
}

std::vector<std::string> room_lines(const hearing::TestState& state) {
    if (!state.room) return {};
    const hearing::RoomRecord& room = *state.room;
    std::vector<std::string> lines{room_heading(room)};
    for (const bool left : {true, false}) {
        const hearing::TEarResult& results = left ? state.results_li : state.results_re;
        for (int index = hearing::freq_index_count; index >= 1; --index) {
            if (results.entries[index].flag != 1 || !room.ear(left)[index].measured) continue;
            lines.push_back(std::string(left ? "left  " : "right ") +
                            number_text(hearing::index_to_freq(static_cast<std::uint8_t>(index)), 5) +
                            " Hz: " + room_value(room, room.ear(left)[index]));
        }
    }
    if (const std::string note = room_not_watched(room); !note.empty()) lines.push_back(note);
    return lines;
}

} // namespace kelvor::results
