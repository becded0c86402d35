#include "core/profile/hearing_profiles.h"

#include <algorithm>

#include "core/common/text_format.h"
#include "core/host/calendar.h"
#include "core/host/dialogs.h"
#include "core/host/profile_store.h"
#include "core/host/sound_server.h"
#include "core/profile/profile_file.h"
#include "core/results/hearing_levels.h"
#include "core/results/hearing_number.h"
#include "core/settings/interface_texts.h"
#include "core/tone/output_settings.h"

namespace kelvor::profile {

using settings::Text;
using settings::text_in;

namespace {

// Frequencies in one block of the panel's table: 6 characters each after the ear's word, so that a block
// fits the main window's width in the fixed font.
constexpr std::size_t levels_columns_per_block = 12;

std::string bullet_list(const std::vector<std::string>& items) {
    std::string out;
    for (const auto& item : items)
        out += "\n  " + item;
    return out;
}

std::string joined(const std::vector<std::string>& items) {
    std::string out;
    for (const auto& item : items)
        out += (out.empty() ? "" : ", ") + item;
    return out;
}

// What the charts draw: the profile's references, or nothing of a profile.
std::string normals_drawn(const hearing::NormalsInUse& normals) {
    std::string drawn = normals.profile_name;
    if (!drawn.empty())
        for (const auto* ear : {&normals.left, &normals.right})
            for (const auto& entry : ear->norm.entries)
                drawn.append(";").append(shortest_text(entry.level));
    return drawn;
}

} // namespace

std::string output_path_name(const settings::ParameterControls& dialog) {
    if (dialog.Dev_PC_Speaker.checked) return "PC speaker";
    return dialog.MethB_Data_Stream.checked ? "data stream" : "OPL2";
}

Conditions LiveConditions::now() {
    Conditions c;
    c.output_path = output_path_name(dialog_);
    c.cal_volume = settings_.cal_volume;
    c.ear_routing = dialog_.Ear_Routing.checked;
    c.confirm_thresholds = dialog_.Confirm_Thresholds.checked;
    const host::SoundServerState server = server_.query();
    c.sink = server.default_sink;
    c.sink_volume = server.sink_volume;
    c.stream_volume = server.stream_volume;
    c.date = calendar_.short_date();
    return c;
}

HearingProfiles::HearingProfiles(const ProfileServices& services)
    : state_(services.state), store_(services.store), dialogs_(services.dialogs),
      conditions_(services.conditions) {
    use_language(false);
}

void HearingProfiles::use_language(bool german) {
    german_ = german;
    c_.Referenzmessung1.caption = text_in(Text::reference_item, german);
    c_.Profile_Group.caption = c_.Profile_List.caption = text_in(Text::profile_list, german);
    c_.Hearing_Levels_Panel.caption = c_.Hearing_Levels.caption = text_in(Text::levels_panel, german);
    host::NamePromptControls& prompt = c_.reference_name;
    prompt.form.caption = text_in(Text::reference_name_title, german);
    prompt.name.caption = text_in(Text::reference_name_label, german);
    prompt.ok.caption = text_in(Text::name_ok, german);
    prompt.cancel.caption = text_in(Text::name_cancel, german);
    show_choices();
}

void HearingProfiles::show_choices() {
    c_.Profile_List.lines = choices();
    c_.Profile_List.chosen = chosen_;
    c_.Hearing_Levels_Panel.visible = chosen_profile() != nullptr;
}

void HearingProfiles::load() {
    const std::string chosen_name = chosen_profile() != nullptr ? chosen_profile()->name : std::string();
    profiles_.clear();
    std::vector<std::string> errors;
    for (const std::string& name : store_.names(profile_file_suffix)) {
        const std::string file = name + profile_file_suffix;
        const std::string path = store_.path_of(file);
        if (!valid_profile_name(name)) continue; // not a file this program writes
        std::string error;
        const auto lines = host::read_folder_file(store_, file, error);
        if (!lines) {
            errors.push_back(error);
            continue;
        }
        ParseResult parsed = parse_profile(*lines, name, path);
        if (parsed.profile)
            profiles_.push_back(std::move(*parsed.profile));
        else
            errors.push_back(parsed.error);
    }
    chosen_ = 0;
    for (std::size_t i = 0; i < profiles_.size(); ++i)
        if (!chosen_name.empty() && profiles_[i].name == chosen_name) chosen_ = static_cast<int>(i) + 1;
    apply();
    if (!errors.empty()) say(text_in(Text::profiles_unreadable, german_, {bullet_list(errors)}));
}

std::vector<std::string> HearingProfiles::choices() const {
    std::vector<std::string> out{text_in(Text::profile_none, german_)};
    for (const auto& p : profiles_)
        out.push_back(p.name);
    return out;
}

const Profile* HearingProfiles::chosen_profile() const {
    return chosen_ > 0 && chosen_ <= static_cast<int>(profiles_.size()) ? &profiles_[chosen_ - 1] : nullptr;
}

void HearingProfiles::choose(int choice) {
    chosen_ = choice > 0 && choice <= static_cast<int>(profiles_.size()) ? choice : 0;
    apply();
}

void HearingProfiles::apply() {
    const std::string before = normals_drawn(state_.normals);
    state_.normals = normals_for(chosen_profile(), state_.norm_values);
    show_choices();
    if (redraw_ && normals_drawn(state_.normals) != before) redraw_();
}

std::string HearingProfiles::reference_intro() const {
    return text_in(Text::reference_intro, german_);
}

void HearingProfiles::show_reference_intro() {
    dialogs_.message_box(reference_intro());
}

void HearingProfiles::say(const std::string& text) {
    dialogs_.message_box(text);
}

bool HearingProfiles::begin_reference_run(const std::string& name) {
    reference_name_.reset();
    if (!valid_profile_name(name)) {
        say(text_in(Text::bad_profile_name, german_, {name}));
        return false;
    }
    if (conditions_.now().output_path == "PC speaker") {
        say(text_in(Text::speaker_no_reference, german_));
        return false;
    }
    reference_name_ = name;
    return true;
}

void HearingProfiles::before_first_tone() {
    // Without a profile in play the sound server is not even asked: Start stays as it always was.
    if (!reference_name_ && chosen_profile() == nullptr) return;
    const Conditions now = conditions_.now();
    if (reference_name_) {
        if (now.output_path == "PC speaker") {
            reference_name_.reset();
            say(text_in(Text::speaker_ordinary_test, german_));
            return;
        }
        for (const auto& p : profiles_) {
            if (p.name != *reference_name_) continue;
            const auto differences = compare_conditions(p.conditions, now, german_);
            if (differences.empty()) return;
            say(text_in(Text::reference_conditions_differ, german_, {p.name, bullet_list(differences)}));
            reference_name_.reset();
            return;
        }
        return;
    }
    const Profile* profile = chosen_profile();
    if (profile == nullptr) return;
    const auto differences = compare_conditions(profile->conditions, now, german_);
    if (differences.empty()) return;
    say(text_in(Text::profile_conditions_differ, german_, {profile->name, bullet_list(differences)}));
}

void HearingProfiles::sequence_complete() {
    if (!reference_name_) return;
    const std::string name = *reference_name_;
    reference_name_.reset();

    auto existing =
        std::find_if(profiles_.begin(), profiles_.end(), [&](const Profile& p) { return p.name == name; });
    Profile updated;
    if (existing != profiles_.end()) updated = *existing;
    updated.name = name;
    const RunOutcome outcome = add_reference_run(updated, state_.results_li, state_.results_re);
    // A run with the room watch keeps its room, for later tests to compare with.
    if (state_.room && state_.room->run_levels) updated.room = state_.room->run_levels;
    const std::string date = updated.conditions.date;
    updated.conditions = conditions_.now();
    if (outcome.kept.empty()) updated.conditions.date = date;

    std::string message;
    if (!outcome.kept.empty()) {
        const std::string file = name + profile_file_suffix;
        const host::WriteResult written = store_.replace_file(file, profile_text(updated));
        if (!written.ok()) {
            say(text_in(Text::reference_not_written, german_, {store_.path_of(file), written.error}));
            return;
        }
        if (existing != profiles_.end())
            *existing = updated;
        else
            profiles_.insert(
                std::lower_bound(profiles_.begin(), profiles_.end(), name,
                                 [](const Profile& p, const std::string& n) { return p.name < n; }),
                updated);
        // The profile just made or refined is the one in use from now on: the next test on these
        // headphones is what it was made for.
        for (std::size_t i = 0; i < profiles_.size(); ++i)
            if (profiles_[i].name == name) chosen_ = static_cast<int>(i) + 1;
        apply();
        message = text_in(Text::reference_added, german_, {name, std::to_string(outcome.kept.size())});
    } else {
        message = text_in(Text::reference_kept_nothing, german_, {name});
    }
    if (!outcome.too_loud.empty())
        message += text_in(Text::reference_too_loud, german_, {joined(outcome.too_loud)});
    if (!outcome.not_heard.empty())
        message += text_in(Text::reference_not_heard, german_, {joined(outcome.not_heard)});
    say(message);
}

std::vector<std::string> HearingProfiles::status_lines() const {
    const Profile* profile = chosen_profile();
    if (profile == nullptr) return {text_in(Text::number_needs_profile, german_)};
    // A small table in fixed columns: a row of frequencies (every one measured on either ear, highest
    // first) and a row per ear.
    const auto left = results::hearing_level_rows(state_, hearing::ear_left);
    const auto right = results::hearing_level_rows(state_, hearing::ear_right);
    const char* unknown = text_in(Text::not_calibrated_short, german_);
    auto cell = [&](const std::vector<results::HearingLevelRow>& rows, std::uint8_t index) {
        for (const auto& row : rows)
            if (row.index == index)
                return row.calibrated ? number_text(row.level_db_hl, 6) : std::string("  ") + unknown;
        return std::string(6, ' ');
    };
    std::vector<std::uint8_t> measured;
    for (std::uint8_t index = hearing::freq_index_count; index >= 1; --index)
        if (cell(left, index) != std::string(6, ' ') || cell(right, index) != std::string(6, ' '))
            measured.push_back(index);
    std::vector<std::string> lines{text_in(Text::levels_heading, german_,
                                           {profile->name, unknown, text_in(Text::not_calibrated, german_)})};
    // A wide run's table goes on in a block below rather than past the panel's right edge.
    for (std::size_t from = 0; from == 0 || from < measured.size(); from += levels_columns_per_block) {
        std::string hz = "Hz    ";
        std::string left_row = text_in(Text::levels_left, german_);
        std::string right_row = text_in(Text::levels_right, german_);
        for (std::size_t i = from; i < std::min(measured.size(), from + levels_columns_per_block); ++i) {
            hz += number_text(hearing::index_to_freq(measured[i]), 6);
            left_row += cell(left, measured[i]);
            right_row += cell(right, measured[i]);
        }
        for (std::string* row : {&hz, &left_row, &right_row})
            lines.push_back(std::move(*row));
    }
    if (const auto number = results::hearing_number(state_)) {
        lines.emplace_back();
        for (std::string& line : results::hearing_number_lines(*number, german_))
            lines.push_back(std::move(line));
    }
    return lines;
}

} // namespace kelvor::profile
