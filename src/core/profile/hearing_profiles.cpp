#include "core/profile/hearing_profiles.h"

#include <algorithm>

#include "core/common/text_format.h"
#include "core/host/calendar.h"
#include "core/host/dialogs.h"
#include "core/host/profile_store.h"
#include "core/host/sound_server.h"
#include "core/profile/profile_file.h"
#include "core/results/hearing_levels.h"
#include "core/tone/output_settings.h"

namespace kelvor::profile {

namespace {

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
    const host::SoundServerState server = server_.query();
    c.sink = server.default_sink;
    c.sink_volume = server.sink_volume;
    c.stream_volume = server.stream_volume;
    c.date = calendar_.short_date();
    return c;
}

HearingProfiles::HearingProfiles(const ProfileServices& services)
    : state_(services.state), store_(services.store), dialogs_(services.dialogs),
      conditions_(services.conditions) {}

void HearingProfiles::load() {
    const std::string chosen_name = chosen_profile() != nullptr ? chosen_profile()->name : std::string();
    profiles_.clear();
    std::vector<std::string> errors;
    for (const std::string& name : store_.names(profile_file_suffix)) {
        const std::string file = name + profile_file_suffix;
        const std::string path = store_.path_of(file);
        if (!valid_profile_name(name)) continue; // not a file this program writes
        auto reader = store_.open_lines(file);
        if (reader == nullptr) {
            errors.push_back(path + ": cannot be opened");
            continue;
        }
        std::vector<std::string> lines;
        std::string line;
        host::LineReader::Status status;
        while ((status = reader->read_line(line)) == host::LineReader::Status::line)
            lines.push_back(line);
        if (status == host::LineReader::Status::error) {
            errors.push_back(path + ": " + reader->error_text());
            continue;
        }
        ParseResult parsed = parse_profile(lines, name, path);
        if (parsed.profile)
            profiles_.push_back(std::move(*parsed.profile));
        else
            errors.push_back(parsed.error);
    }
    chosen_ = 0;
    for (std::size_t i = 0; i < profiles_.size(); ++i)
        if (!chosen_name.empty() && profiles_[i].name == chosen_name) chosen_ = static_cast<int>(i) + 1;
    apply();
    if (!errors.empty())
        say("These hearing level profiles could not be read and are left out (the files stay as they are):" +
                bullet_list(errors),
            "Diese Hörpegel-Profile konnten nicht gelesen werden und bleiben unbenutzt (die Dateien bleiben, "
            "wie "
            "sie sind):" +
                bullet_list(errors));
}

const std::string& HearingProfiles::text_none() const {
    static const std::string english = "none", german = "keines";
    return german_ ? german : english;
}

std::vector<std::string> HearingProfiles::choices() const {
    std::vector<std::string> out{text_none()};
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
    state_.normals = normals_for(chosen_profile(), state_.norm_values);
}

std::string HearingProfiles::reference_intro() const {
    if (german_)
        return "Referenzmessung: Sie eicht die Kopfhörer dieses Computers für Hörpegel in dB HL.\n"
               "Teilnehmen darf, wer 18 bis 30 Jahre alt ist und kein bekanntes Hörproblem hat; die Messung "
               "braucht einen ruhigen Raum.\n"
               "Die Messung läuft wie der automatische Test über beide Ohren. Die jetzigen Messwerte werden "
               "dabei gelöscht. Lautstärken, Ausgang und Kopfhörer bleiben danach so, wie sie jetzt sind.";
    return "Reference run: it calibrates this computer's headphones for hearing levels in dB HL.\n"
           "Who may take it: 18 to 30 years old, no known hearing problem, in a quiet room.\n"
           "The run is the automatic test over both ears. The results now shown are cleared. Leave the "
           "volumes, "
           "the output and the headphones as they are now, also for later tests.";
}

void HearingProfiles::show_reference_intro() {
    dialogs_.message_box(reference_intro());
}

void HearingProfiles::say(const std::string& english, const std::string& german) {
    dialogs_.message_box(german_ ? german : english);
}

bool HearingProfiles::begin_reference_run(const std::string& name) {
    reference_name_.reset();
    if (!valid_profile_name(name)) {
        say("\"" + name +
                "\" cannot be a profile name: use 1 to 60 letters, digits, blanks, '-', '_', '.', '(' or "
                "')'.",
            "\"" + name +
                "\" kann kein Profilname sein: 1 bis 60 Buchstaben, Ziffern, Leerzeichen, '-', '_', '.', "
                "'(' oder ')'.");
        return false;
    }
    if (conditions_.now().output_path == "PC speaker") {
        say("The PC speaker has no volume control and cannot be calibrated: choose the data stream or the "
            "OPL2 "
            "sound card for a reference run.",
            "Der PC-Lautsprecher hat keine Lautstärkeregelung und kann nicht geeicht werden: wählen Sie für "
            "die "
            "Referenzmessung den Datenstrom oder die OPL2-Soundkarte.");
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
            say("The PC speaker cannot be calibrated: this run is an ordinary test, not a reference run.",
                "Der PC-Lautsprecher kann nicht geeicht werden: diese Messung ist ein gewöhnlicher Test, "
                "keine "
                "Referenzmessung.");
            return;
        }
        for (const auto& p : profiles_) {
            if (p.name != *reference_name_) continue;
            const auto differences = compare_conditions(p.conditions, now, german_);
            if (differences.empty()) return;
            say("The profile \"" + p.name +
                    "\" was made under other conditions; a reference run now would mix "
                    "them. This run is an ordinary test. What differs:" +
                    bullet_list(differences),
                "Das Profil \"" + p.name +
                    "\" wurde unter anderen Bedingungen erstellt; eine Referenzmessung "
                    "jetzt würde sie mischen. Diese Messung ist ein gewöhnlicher Test. Was abweicht:" +
                    bullet_list(differences));
            reference_name_.reset();
            return;
        }
        return;
    }
    const Profile* profile = chosen_profile();
    if (profile == nullptr) return;
    const auto differences = compare_conditions(profile->conditions, now, german_);
    if (differences.empty()) return;
    say("The conditions differ from those of the hearing level profile \"" + profile->name +
            "\"; its hearing levels hold only under its own conditions. What differs:" +
            bullet_list(differences),
        "Die Bedingungen weichen von denen des Hörpegel-Profils \"" + profile->name +
            "\" ab; seine Hörpegel gelten nur unter seinen eigenen Bedingungen. Was abweicht:" +
            bullet_list(differences));
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
    const std::string date = updated.conditions.date;
    updated.conditions = conditions_.now();
    if (outcome.kept.empty()) updated.conditions.date = date;

    std::string english, german;
    if (!outcome.kept.empty()) {
        const std::string file = name + profile_file_suffix;
        const host::WriteResult written = store_.replace_file(file, profile_text(updated));
        if (!written.ok()) {
            say("The reference run could not be kept: " + store_.path_of(file) + ": " + written.error,
                "Die Referenzmessung konnte nicht gespeichert werden: " + store_.path_of(file) + ": " +
                    written.error);
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
        english = "Reference run added to the hearing level profile \"" + name + "\" (" +
                  std::to_string(outcome.kept.size()) + " thresholds kept); the profile is now in use.";
        german = "Referenzmessung in das Hörpegel-Profil \"" + name + "\" aufgenommen (" +
                 std::to_string(outcome.kept.size()) +
                 " Schwellen übernommen); das Profil ist jetzt in Gebrauch.";
    } else {
        english = "The reference run kept no threshold: the profile \"" + name + "\" is unchanged.";
        german = "Die Referenzmessung ergab keine brauchbare Schwelle: das Profil \"" + name +
                 "\" bleibt unverändert.";
    }
    if (!outcome.too_loud.empty()) {
        english +=
            "\nHeard at once, at 0 or 2 dB: the volume is too high for a reference there, nothing was kept "
            "of: " +
            joined(outcome.too_loud) + ". Turn the volume down and run it again.";
        german +=
            "\nSofort gehört, bei 0 oder 2 dB: die Lautstärke ist dort zu hoch für eine Referenz, nichts "
            "übernommen von: " +
            joined(outcome.too_loud) + ". Lautstärke verringern und wiederholen.";
    }
    if (!outcome.not_heard.empty()) {
        english += "\nNot heard even at 48 dB, nothing was kept of: " + joined(outcome.not_heard) + ".";
        german += "\nAuch bei 48 dB nicht gehört, nichts übernommen von: " + joined(outcome.not_heard) + ".";
    }
    say(english, german);
}

std::string HearingProfiles::status_text() const {
    const Profile* profile = chosen_profile();
    if (profile == nullptr) return {};
    // A small table in fixed columns: a row of frequencies (every one measured on either ear, highest
    // first) and a row per ear.
    const auto left = results::hearing_level_rows(state_, hearing::ear_left);
    const auto right = results::hearing_level_rows(state_, hearing::ear_right);
    const char* unknown = german_ ? "n.k." : "n.c.";
    auto cell = [&](const std::vector<results::HearingLevelRow>& rows, std::uint8_t index) {
        for (const auto& row : rows)
            if (row.index == index)
                return row.calibrated ? number_text(row.level_db_hl, 6) : std::string("  ") + unknown;
        return std::string(6, ' ');
    };
    std::string hz = "Hz    ";
    std::string left_row = german_ ? "links " : "left  ";
    std::string right_row = german_ ? "rechts" : "right ";
    for (std::uint8_t index = hearing::freq_index_count; index >= 1; --index) {
        if (cell(left, index) == std::string(6, ' ') && cell(right, index) == std::string(6, ' ')) continue;
        hz += number_text(hearing::index_to_freq(index), 6);
        left_row += cell(left, index);
        right_row += cell(right, index);
    }
    return (german_ ? "Hörpegel-Profil: " : "Hearing level profile: ") + profile->name +
           (german_ ? "   (dB HL; n.k. = nicht kalibriert)" : "   (dB HL; n.c. = not calibrated)") + "\n" +
           hz + "\n" + left_row + "\n" + right_row;
}

} // namespace kelvor::profile
