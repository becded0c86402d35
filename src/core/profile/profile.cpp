#include "core/profile/profile.h"

#include <algorithm>
#include <cmath>

#include "core/common/text_format.h"
#include "core/settings/interface_texts.h"

namespace kelvor::profile {

namespace {

std::string volume_text(const std::optional<int>& volume) {
    return volume ? std::to_string(*volume) + " %" : std::string("unknown");
}

void differ(std::vector<std::string>& out, const char* what, const std::string& then,
            const std::string& now) {
    if (then != now) out.push_back(std::string(what) + ": " + then + " -> " + now);
}

std::string point_text(bool left_ear, std::uint8_t index) {
    return std::string(left_ear ? "left " : "right ") + std::to_string(hearing::index_to_freq(index)) + " Hz";
}

} // namespace

std::vector<std::string> compare_conditions(const Conditions& profile, const Conditions& now, bool german) {
    using settings::Text;
    std::vector<std::string> out;
    const auto what = [german](Text id) { return settings::text_in(id, german); };
    const auto on_off = [&what](bool on) {
        return std::string(what(on ? Text::condition_on : Text::condition_off));
    };
    differ(out, what(Text::condition_output), profile.output_path, now.output_path);
    differ(out, what(Text::condition_cal_volume), std::to_string(profile.cal_volume) + " %",
           std::to_string(now.cal_volume) + " %");
    if (!profile.sink.empty() && !now.sink.empty())
        differ(out, what(Text::condition_sink), profile.sink, now.sink);
    if (profile.sink_volume && now.sink_volume)
        differ(out, what(Text::condition_sink_volume), volume_text(profile.sink_volume),
               volume_text(now.sink_volume));
    if (profile.stream_volume && now.stream_volume)
        differ(out, what(Text::condition_stream_volume), volume_text(profile.stream_volume),
               volume_text(now.stream_volume));
    differ(out, what(Text::condition_ear_routing), on_off(profile.ear_routing), on_off(now.ear_routing));
    differ(out, what(Text::condition_confirm_thresholds), on_off(profile.confirm_thresholds),
           on_off(now.confirm_thresholds));
    return out;
}

bool valid_profile_name(const std::string& name) {
    if (name.empty() || name.size() > 60 || name.front() == '.' || name.front() == ' ') return false;
    for (const char ch : name) {
        const bool ok = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
                        ch == ' ' || ch == '-' || ch == '_' || ch == '.' || ch == '(' || ch == ')';
        if (!ok) return false;
    }
    return true;
}

void add_run(Reference& reference, double level_db) {
    // Welford's update, carried through the stored spread: the sum of squared deviations is
    // spread^2 * (runs - 1).
    const int n = reference.runs + 1;
    const double squares =
        reference.spread * reference.spread * (reference.runs > 1 ? reference.runs - 1 : 0);
    const double delta = level_db - reference.mean;
    const double mean = reference.mean + delta / n;
    const double new_squares = squares + delta * (level_db - mean);
    reference.runs = n;
    reference.mean = mean;
    reference.spread = n > 1 ? std::sqrt(std::max(0.0, new_squares) / (n - 1)) : 0.0;
}

RunOutcome add_reference_run(Profile& profile, const hearing::TEarResult& left,
                             const hearing::TEarResult& right) {
    RunOutcome outcome;
    for (const bool left_ear : {true, false}) {
        const hearing::TEarResult& results = left_ear ? left : right;
        EarReferences& refs = profile.ear(left_ear);
        for (std::uint8_t index = hearing::freq_index_count; index >= 1; --index) {
            const hearing::TEarEntry& entry = results.entries[index];
            if (entry.flag != 1) continue;
            if (entry.level < lowest_usable_level_db) {
                outcome.too_loud.push_back(point_text(left_ear, index));
            } else if (entry.level >= hearing::level_max_db) {
                outcome.not_heard.push_back(point_text(left_ear, index));
            } else {
                add_run(refs[index], entry.level);
                outcome.kept.push_back(point_text(left_ear, index) + ": " + number_text(entry.level, 1) +
                                       " dB");
            }
        }
    }
    return outcome;
}

hearing::NormalsInUse normals_for(const Profile* profile, const hearing::TEarResult& built_in) {
    hearing::NormalsInUse normals;
    normals.left.norm = built_in;
    normals.right.norm = built_in;
    if (profile == nullptr) return normals;
    normals.profile_name = profile->name;
    for (const bool left_ear : {true, false}) {
        hearing::EarNormals& ear = left_ear ? normals.left : normals.right;
        const EarReferences& refs = profile->ear(left_ear);
        for (std::uint8_t index = 1; index <= hearing::freq_index_count; ++index) {
            if (refs[index].runs <= 0) continue;
            ear.norm.entries[index] = {1, double(hearing::index_to_freq(index)), refs[index].mean};
            ear.calibrated[index] = true;
        }
    }
    return normals;
}

} // namespace kelvor::profile
