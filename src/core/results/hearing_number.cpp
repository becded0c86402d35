#include "core/results/hearing_number.h"

#include "core/common/text_format.h"
#include "core/settings/interface_texts.h"

namespace kelvor::results {

using settings::Text;
using settings::text_in;

namespace {

constexpr double unilateral_worse_db_hl = 35;

EarNumber ear_number(const hearing::TestState& state, const hearing::NormalsInUse& in_use, std::int8_t ear) {
    const bool left = ear == hearing::ear_left;
    const hearing::TEarResult& results = left ? state.results_li : state.results_re;
    const hearing::EarNormals& normals = left ? in_use.left : in_use.right;
    EarNumber out;
    double sum = 0;
    for (const std::uint16_t freq : hearing_number_freqs) {
        const std::uint8_t index = hearing::freq_to_index(freq);
        const auto level = hearing::hearing_level(in_use, normals, results, index);
        if (!level) {
            out.missing.push_back(freq);
            continue;
        }
        sum += *level;
        if (results.entries[index].level >= hearing::level_max_db)
            out.not_reached.push_back({freq, static_cast<int>(round_half_even(*level))});
    }
    if (out.known()) out.db_hl = static_cast<int>(round_half_even(sum / hearing_number_freqs.size()));
    return out;
}

Text grade_plain(Grade grade) {
    constexpr Text plain[] = {Text::grade_normal_plain,   Text::grade_mild_plain,
                              Text::grade_moderate_plain, Text::grade_moderately_severe_plain,
                              Text::grade_severe_plain,   Text::grade_profound_plain,
                              Text::grade_complete_plain, Text::grade_unilateral_plain};
    return plain[static_cast<int>(grade)];
}

std::string ear_line(const EarNumber& ear, bool left, bool german) {
    const char* word = text_in(left ? Text::ear_left_word : Text::ear_right_word, german);
    if (!ear.known()) {
        std::string freqs;
        for (const std::uint16_t freq : ear.missing)
            freqs += (freqs.empty() ? "" : ", ") + std::to_string(freq);
        return text_in(Text::number_missing, german, {word, freqs});
    }
    const std::string value = std::to_string(ear.db_hl);
    std::string line =
        text_in(Text::number_ear, german,
                {word, ear.more_than() ? text_in(Text::number_more_than, german, {value}) : value});
    for (const NotReached& n : ear.not_reached)
        line += "; " + text_in(Text::number_not_reached, german,
                               {std::to_string(n.freq_hz), std::to_string(n.more_than_db_hl)});
    return line;
}

} // namespace

Text grade_name(Grade grade) {
    constexpr Text names[] = {
        Text::grade_normal, Text::grade_mild,     Text::grade_moderate, Text::grade_moderately_severe,
        Text::grade_severe, Text::grade_profound, Text::grade_complete, Text::grade_unilateral};
    return names[static_cast<int>(grade)];
}

Grade who_grade(double db_hl) {
    int grade = 0;
    for (const int edge : grade_lower_edges_db_hl)
        if (db_hl >= edge) ++grade;
    return static_cast<Grade>(grade);
}

bool hearing_number_tested(const hearing::TestState& state) {
    auto all = [](const hearing::TEarResult& record) {
        for (const std::uint16_t freq : hearing_number_freqs)
            if (record.entries[hearing::freq_to_index(freq)].flag != 1) return false;
        return true;
    };
    return all(state.results_li) || all(state.results_re);
}

std::optional<HearingNumber> hearing_number(const hearing::TestState& state,
                                            const hearing::NormalsInUse& normals) {
    if (!normals.profile_chosen()) return std::nullopt;
    HearingNumber out;
    out.left = ear_number(state, normals, hearing::ear_left);
    out.right = ear_number(state, normals, hearing::ear_right);
    if (state.reliability_li) {
        out.uncertain_left = state.reliability_li->uncertain;
        out.unreliable_left = state.reliability_li->verdict() == hearing::Verdict::unreliable;
    }
    if (state.reliability_re) {
        out.uncertain_right = state.reliability_re->uncertain;
        out.unreliable_right = state.reliability_re->verdict() == hearing::Verdict::unreliable;
    }
    if (!out.left.known() || !out.right.known()) return out;
    // The better ear is certain only when an exact number is no higher than the other's (lower) bound.
    const EarNumber& l = out.left;
    const EarNumber& r = out.right;
    const bool left_better = l.db_hl <= r.db_hl;
    const EarNumber& better = left_better ? l : r;
    const EarNumber& worse = left_better ? r : l;
    const bool exact = (!l.more_than() && l.db_hl <= r.db_hl) || (!r.more_than() && r.db_hl <= l.db_hl);
    out.at_least = !exact;
    out.grade = who_grade(better.db_hl);
    if (exact && *out.grade == Grade::normal && worse.db_hl >= unilateral_worse_db_hl)
        out.grade = Grade::unilateral;
    return out;
}

std::string grade_text(const HearingNumber& number, bool german) {
    if (!number.grade) return {};
    const char* name = text_in(grade_name(*number.grade), german);
    return number.at_least ? text_in(Text::number_at_least, german, {name}) : std::string(name);
}

std::vector<std::string> hearing_number_lines(const HearingNumber& number, bool german) {
    std::vector<std::string> lines{text_in(Text::number_heading, german), ear_line(number.left, true, german),
                                   ear_line(number.right, false, german)};
    if (!number.grade) {
        lines.push_back(text_in(Text::number_no_grade, german));
        return lines;
    }
    lines.push_back(text_in(Text::number_grade, german,
                            {grade_text(number, german), text_in(grade_plain(*number.grade), german)}));
    std::string beside;
    auto add = [&](const std::string& item) { beside += (beside.empty() ? "" : "; ") + item; };
    const char* left = text_in(Text::ear_left_word, german);
    const char* right = text_in(Text::ear_right_word, german);
    if (number.uncertain_left > 0)
        add(text_in(Text::number_uncertain, german, {left, std::to_string(number.uncertain_left)}));
    if (number.unreliable_left) add(text_in(Text::number_unreliable, german, {left}));
    if (number.uncertain_right > 0)
        add(text_in(Text::number_uncertain, german, {right, std::to_string(number.uncertain_right)}));
    if (number.unreliable_right) add(text_in(Text::number_unreliable, german, {right}));
    if (!beside.empty()) lines.push_back(text_in(Text::number_beside, german, {beside}));
    return lines;
}

} // namespace kelvor::results
