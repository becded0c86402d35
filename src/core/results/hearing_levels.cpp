#include "core/results/hearing_levels.h"

#include "core/common/text_format.h"
#include "core/settings/interface_texts.h"

namespace kelvor::results {

std::vector<HearingLevelRow> hearing_level_rows(const hearing::TestState& state, std::int8_t ear,
                                                std::uint8_t top_index) {
    std::vector<HearingLevelRow> rows;
    const bool left = ear == hearing::ear_left;
    const hearing::TEarResult& results = left ? state.results_li : state.results_re;
    const hearing::EarNormals& normals = left ? state.normals.left : state.normals.right;
    for (std::uint8_t index = top_index; index >= 1; --index) {
        if (results.entries[index].flag != 1) continue;
        HearingLevelRow row;
        row.index = index;
        if (const auto level = hearing::hearing_level(state.normals, normals, results, index)) {
            row.calibrated = true;
            row.level_db_hl = static_cast<int>(round_half_even(*level));
        }
        rows.push_back(row);
    }
    return rows;
}

std::string hearing_level_line(const HearingLevelRow& row) {
    const std::string freq = number_text(hearing::index_to_freq(row.index), 4) + " Hz  ";
    return freq + (row.calibrated ? number_text(row.level_db_hl, 3) + " dB HL"
                                  : std::string(settings::text_in(settings::Text::not_calibrated, false)));
}

} // namespace kelvor::results
