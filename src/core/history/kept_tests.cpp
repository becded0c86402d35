#include "core/history/kept_tests.h"

#include <algorithm>
#include <cmath>

#include "core/common/text_format.h"
#include "core/results/hearing_number.h"
#include "core/settings/interface_texts.h"

namespace kelvor::history {

using settings::Text;
using settings::text_in;

namespace {

constexpr const char* first_line = "Kelvor kept test";
constexpr double high_shift_db = 10;
constexpr double any_shift_db = 15;
constexpr std::uint16_t any_shift_low_hz = 500, any_shift_high_hz = 6000;

std::vector<KeptPoint> points_of(const hearing::TestState& state, std::int8_t ear) {
    const bool left = ear == hearing::ear_left;
    const hearing::TEarResult& results = left ? state.results_li : state.results_re;
    const hearing::EarNormals& normals = left ? state.normals.left : state.normals.right;
    std::vector<KeptPoint> out;
    for (std::uint8_t index = 1; index <= hearing::freq_index_count; ++index) {
        if (results.entries[index].flag != 1) continue;
        out.push_back({hearing::index_to_freq(index), std::trunc(results.entries[index].level),
                       hearing::hearing_level(state.normals, normals, results, index)});
    }
    return out;
}

std::string point_line(const char* ear, const KeptPoint& p) {
    std::string line =
        std::string(ear) + " " + std::to_string(p.freq_hz) + " Hz: " + shortest_text(p.level_db) + " dB";
    return line + (p.db_hl ? ", " + shortest_text(*p.db_hl) + " dB HL" : std::string(", not calibrated"));
}

// "left 1000 Hz: 30 dB, 20 dB HL" back into a point; false when the line is not one.
bool read_point(const std::string& line, std::string& ear, KeptPoint& p) {
    const auto space = line.find(' ');
    const auto hz = line.find(" Hz: ");
    const auto db = line.find(" dB, ");
    if (space == std::string::npos || hz == std::string::npos || db == std::string::npos || hz < space ||
        db < hz)
        return false;
    ear = line.substr(0, space);
    try {
        std::size_t used = 0;
        const std::string freq = line.substr(space + 1, hz - space - 1);
        const int f = std::stoi(freq, &used);
        if (used != freq.size() || f <= 0 || f > hearing::f_limit) return false;
        p.freq_hz = static_cast<std::uint16_t>(f);
        const std::string level = line.substr(hz + 5, db - hz - 5);
        p.level_db = std::stod(level, &used);
        if (used != level.size()) return false;
        const std::string rest = line.substr(db + 5);
        if (rest == "not calibrated") {
            p.db_hl.reset();
            return true;
        }
        if (!rest.ends_with(" dB HL")) return false;
        const std::string hl = rest.substr(0, rest.size() - 6);
        p.db_hl = std::stod(hl, &used);
        return used == hl.size();
    } catch (const std::exception&) { // std::stoi/stod: not a number, or out of range
        return false;
    }
}

const KeptPoint* point_at(const std::vector<KeptPoint>& ear, std::uint16_t freq) {
    for (const KeptPoint& p : ear)
        if (p.freq_hz == freq) return &p;
    return nullptr;
}

std::optional<double> difference(std::optional<double> before, std::optional<double> after) {
    if (!before || !after) return std::nullopt;
    return *after - *before;
}

constexpr std::initializer_list<std::uint16_t> number_freqs{500, 1000, 2000, 4000};
constexpr std::initializer_list<std::uint16_t> high_freqs{2000, 3000, 4000};

EarChange ear_change(const std::vector<const KeptTest*>& same, bool left) {
    auto ear = [left](const KeptTest* t) -> const std::vector<KeptPoint>& {
        return left ? t->left : t->right;
    };
    EarChange c;
    const auto& latest = ear(same.back());
    const auto& baseline = ear(same.front());
    const auto& previous = ear(same[same.size() - 2]);
    c.number_since_baseline =
        difference(average_db_hl(baseline, number_freqs), average_db_hl(latest, number_freqs));
    c.number_since_previous =
        difference(average_db_hl(previous, number_freqs), average_db_hl(latest, number_freqs));
    c.high_since_baseline =
        difference(average_db_hl(baseline, high_freqs), average_db_hl(latest, high_freqs));
    c.high_since_previous =
        difference(average_db_hl(previous, high_freqs), average_db_hl(latest, high_freqs));
    // A test shows a shift against its baseline or the test before it.
    auto shows_shift = [&](std::size_t at) {
        return at > 0 &&
               (shifted(ear(same.front()), ear(same[at])) || shifted(ear(same[at - 1]), ear(same[at])));
    };
    const std::size_t last = same.size() - 1;
    if (shows_shift(last))
        c.change = shows_shift(last - 1) ? Change::worth_professional : Change::worth_retest;
    return c;
}

std::string signed_db(std::optional<double> value) {
    if (!value) return "?";
    const int rounded = static_cast<int>(round_half_even(*value));
    return (rounded > 0 ? "+" : "") + std::to_string(rounded);
}

// "left reliable, right check", as the file keeps it, in the words of the window's language.
std::string verdict_shown(const std::string& stored, bool german) {
    std::string out;
    for (std::size_t from = 0; from < stored.size();) {
        std::size_t end = stored.find(", ", from);
        if (end == std::string::npos) end = stored.size();
        const std::string item = stored.substr(from, end - from);
        const std::string word = item.substr(item.find(' ') + 1);
        const Text verdict = word == "reliable" ? Text::verdict_reliable
                             : word == "check"  ? Text::verdict_check
                                                : Text::verdict_unreliable;
        out += (out.empty() ? "" : ", ") +
               std::string(
                   text_in(item.starts_with("left") ? Text::ear_left_word : Text::ear_right_word, german)) +
               ": " + text_in(verdict, german);
        from = end + 2;
    }
    return out;
}

} // namespace

KeptTest kept_test_of(const hearing::TestState& state, const std::string& when) {
    KeptTest t;
    t.date = when.substr(0, 10);
    t.time = when.size() >= 19 ? when.substr(11, 8) : std::string();
    t.profile = state.normals.profile_name;
    t.procedure = !state.auto_mode ? "manual" : state.confirm_thresholds ? "confirmed" : "ascending";
    for (const bool left : {true, false})
        if (const auto& r = left ? state.reliability_li : state.reliability_re) {
            constexpr const char* words[] = {"reliable", "check", "unreliable"};
            t.verdict += (t.verdict.empty() ? "" : ", ") + std::string(left ? "left " : "right ") +
                         words[static_cast<int>(r->verdict())];
        }
    t.left = points_of(state, hearing::ear_left);
    t.right = points_of(state, hearing::ear_right);
    return t;
}

std::string kept_test_file_name(const KeptTest& test) {
    std::string time = test.time;
    std::replace(time.begin(), time.end(), ':', '-');
    return test.date + "_" + time + kept_test_suffix;
}

std::string kept_test_text(const KeptTest& test) {
    std::string out = std::string(first_line) + "\n";
    out += "date: " + test.date + "\n";
    out += "time: " + test.time + "\n";
    out += "profile: " + (test.profile.empty() ? std::string("none") : test.profile) + "\n";
    out += "procedure: " + test.procedure + "\n";
    if (!test.verdict.empty()) out += "verdict: " + test.verdict + "\n";
    for (const KeptPoint& p : test.left)
        out += point_line("left", p) + "\n";
    for (const KeptPoint& p : test.right)
        out += point_line("right", p) + "\n";
    return out;
}

KeptRead parse_kept_test(const std::vector<std::string>& lines, const std::string& path) {
    auto fail = [&path](std::size_t line, const std::string& why) {
        return KeptRead{std::nullopt, path + ": line " + std::to_string(line) + ": " + why};
    };
    if (lines.empty() || lines[0] != first_line) return fail(1, "not a kept test");
    KeptTest t;
    const std::pair<const char*, std::string*> fields[] = {
        {"date: ", &t.date}, {"time: ", &t.time}, {"profile: ", &t.profile}, {"procedure: ", &t.procedure}};
    std::size_t at = 1;
    for (const auto& [key, value] : fields) {
        if (at >= lines.size() || !lines[at].starts_with(key))
            return fail(at + 1, std::string("expected ") + key);
        *value = lines[at].substr(std::string(key).size());
        ++at;
    }
    if (t.profile == "none") t.profile.clear();
    if (at < lines.size() && lines[at].starts_with("verdict: ")) t.verdict = lines[at++].substr(9);
    for (; at < lines.size(); ++at) {
        if (lines[at].empty()) continue;
        std::string ear;
        KeptPoint p;
        if (!read_point(lines[at], ear, p) || (ear != "left" && ear != "right"))
            return fail(at + 1, "not a result: " + lines[at]);
        (ear == "left" ? t.left : t.right).push_back(p);
    }
    return {std::move(t), {}};
}

KeptTests load_kept_tests(host::ProfileStore& folder) {
    KeptTests out;
    for (const std::string& name : folder.names(kept_test_suffix)) {
        const std::string file = name + kept_test_suffix;
        std::string error;
        const auto lines = host::read_folder_file(folder, file, error);
        if (!lines) {
            out.errors.push_back(error);
            continue;
        }
        KeptRead read = parse_kept_test(*lines, folder.path_of(file));
        if (read.test)
            out.tests.push_back(std::move(*read.test));
        else
            out.errors.push_back(read.error);
    }
    return out;
}

std::optional<double> average_db_hl(const std::vector<KeptPoint>& ear,
                                    std::initializer_list<std::uint16_t> freqs) {
    double sum = 0;
    for (const std::uint16_t freq : freqs) {
        const KeptPoint* p = point_at(ear, freq);
        if (p == nullptr || !p->db_hl) return std::nullopt;
        sum += *p->db_hl;
    }
    return sum / static_cast<double>(freqs.size());
}

bool shifted(const std::vector<KeptPoint>& before, const std::vector<KeptPoint>& after) {
    if (const auto d = difference(average_db_hl(before, high_freqs), average_db_hl(after, high_freqs));
        d && *d >= high_shift_db)
        return true;
    for (const KeptPoint& p : after) {
        if (p.freq_hz < any_shift_low_hz || p.freq_hz > any_shift_high_hz || !p.db_hl) continue;
        const KeptPoint* b = point_at(before, p.freq_hz);
        if (b != nullptr && b->db_hl && *p.db_hl - *b->db_hl >= any_shift_db) return true;
    }
    return false;
}

Comparison compare_at(const std::vector<KeptTest>& oldest_first, std::size_t at) {
    Comparison out;
    if (at >= oldest_first.size()) return out;
    out.profile = oldest_first[at].profile;
    std::vector<const KeptTest*> same;
    for (std::size_t i = 0; i < oldest_first.size(); ++i) {
        const KeptTest& t = oldest_first[i];
        if (t.profile == out.profile) {
            ++out.same_profile;
            if (i <= at) same.push_back(&t);
        } else if (std::find(out.other_profiles.begin(), out.other_profiles.end(), t.profile) ==
                   out.other_profiles.end()) {
            out.other_profiles.push_back(t.profile);
        }
    }
    out.compared = static_cast<int>(same.size());
    // Without a profile there are no dB HL to compare.
    if (same.size() < 2 || out.profile.empty()) return out;
    out.left = ear_change(same, true);
    out.right = ear_change(same, false);
    return out;
}

std::vector<std::string> comparison_lines(const Comparison& c, bool german) {
    std::vector<std::string> lines;
    if (c.profile.empty() && c.compared > 0) {
        lines.push_back(text_in(Text::number_needs_profile, german));
        lines.push_back(text_in(Text::change_needs_profile, german));
    } else if (c.compared < 2) {
        lines.push_back(
            text_in(c.same_profile > 1 ? Text::change_is_baseline : Text::change_too_few, german));
    } else {
        for (const bool left : {true, false}) {
            const EarChange& e = left ? c.left : c.right;
            const Text verdict = e.change == Change::worth_professional ? Text::change_professional
                                 : e.change == Change::worth_retest     ? Text::change_retest
                                                                        : Text::change_none;
            lines.push_back(text_in(Text::change_ear, german,
                                    {text_in(left ? Text::ear_left_word : Text::ear_right_word, german),
                                     signed_db(e.number_since_baseline), signed_db(e.number_since_previous),
                                     signed_db(e.high_since_baseline), signed_db(e.high_since_previous),
                                     text_in(verdict, german)}));
        }
    }
    for (const std::string& other : c.other_profiles)
        lines.push_back(text_in(Text::change_not_compared, german,
                                {other.empty() ? text_in(Text::profile_none, german) : other}));
    return lines;
}

KeptCells kept_cells(const KeptTest& t, bool german) {
    const auto left = average_db_hl(t.left, number_freqs);
    const auto right = average_db_hl(t.right, number_freqs);
    auto shown = [](std::optional<double> v) {
        return v ? std::to_string(static_cast<int>(round_half_even(*v))) : std::string("-");
    };
    KeptCells cells{t.date + " " + t.time.substr(0, 5),
                    t.profile.empty() ? text_in(Text::profile_none, german) : t.profile,
                    shown(left),
                    shown(right),
                    "-",
                    verdict_shown(t.verdict, german)};
    if (left && right) {
        const double better = round_half_even(std::min(*left, *right));
        cells.grade = text_in(results::grade_name(results::who_grade(better)), german);
    }
    return cells;
}

std::string unreadable_text(const std::vector<std::string>& errors, bool german) {
    std::string named;
    for (const std::string& e : errors)
        named += "\n  " + e;
    return text_in(Text::kept_unreadable, german, {named});
}

} // namespace kelvor::history
