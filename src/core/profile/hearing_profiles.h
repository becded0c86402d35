#pragma once
// The hearing level profiles of this computer as the program uses them: read from the configuration
// folder at start, one chosen (or none, at every start), the chosen one's references turned into the
// normal values of both ears, the conditions checked at Start, and reference runs folded into a profile
// and written back.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/hearing/test_seams.h"
#include "core/hearing/test_state.h"
#include "core/profile/profile.h"
#include "core/profile/profile_controls.h"
#include "core/settings/parameter_controls.h"

namespace kelvor::host {
class Calendar;
class Dialogs;
class ProfileStore;
class SoundServer;
} // namespace kelvor::host
namespace kelvor::tone {
struct TOutputSettings;
}

namespace kelvor::profile {

// Today's conditions, from wherever they are kept.
class ConditionsSource {
  public:
    virtual ~ConditionsSource() = default;
    virtual Conditions now() = 0;
};

// The conditions from the output settings dialog (its path is what Start takes over, also before the
// first Start), the data stream's volume, the sound server and the calendar.
class LiveConditions final : public ConditionsSource {
  public:
    LiveConditions(const settings::ParameterControls& dialog, const tone::TOutputSettings& settings,
                   host::SoundServer& server, host::Calendar& calendar)
        : dialog_(dialog), settings_(settings), server_(server), calendar_(calendar) {}
    Conditions now() override;

  private:
    const settings::ParameterControls& dialog_;
    const tone::TOutputSettings& settings_;
    host::SoundServer& server_;
    host::Calendar& calendar_;
};

// The name of the sound path the dialog has chosen.
std::string output_path_name(const settings::ParameterControls& dialog);

struct ProfileServices {
    hearing::TestState& state;
    host::ProfileStore& store;
    host::Dialogs& dialogs;
    ConditionsSource& conditions;
};

class HearingProfiles final : public hearing::ProfileHooks {
  public:
    explicit HearingProfiles(const ProfileServices& services);

    // The list, the panel and the captions, kept current by every change below.
    ProfileControls& controls() { return c_; }
    // Runs whenever the chosen profile's normal values replace others: the charts draw them.
    void redraw_with(std::function<void()> redraw) { redraw_ = std::move(redraw); }

    // Reads every profile file; damaged ones are named, with their line, in one message and left out (and
    // left as they are). Keeps the choice when the chosen profile is still there, else chooses none.
    void load();
    // "none" (current language) first, then the profiles by name.
    std::vector<std::string> choices() const;
    int chosen() const { return chosen_; }
    const Profile* chosen_profile() const;
    // 0 is none. The normal values of both ears follow at once; the caller redraws.
    void choose(int choice);

    // The reference run's introduction: who may take it, and where its thresholds go.
    std::string reference_intro() const;
    void show_reference_intro();
    // Prepares a reference run into the profile named `name` (a new one when there is none of that name).
    // False, after saying why, when the name is not a usable file name or the output is the PC speaker.
    bool begin_reference_run(const std::string& name);
    bool reference_run_active() const { return reference_name_.has_value(); }
    void cancel_reference_run() { reference_name_.reset(); }

    // hearing::ProfileHooks
    void before_first_tone() override;
    void sequence_complete() override;
    // Captions, the list's "none" and the messages from now on.
    void use_language(bool german) override;

    // The window's display, line by line: the profile in use and, per ear, the hearing level at every
    // measured scale position, and the hearing number. While none is chosen, that a profile is needed.
    std::vector<std::string> status_lines() const;

  private:
    void apply();
    void show_choices();
    void say(const std::string& text);

    hearing::TestState& state_;
    host::ProfileStore& store_;
    host::Dialogs& dialogs_;
    ConditionsSource& conditions_;
    std::vector<Profile> profiles_;
    int chosen_ = 0;
    bool german_ = false;
    std::optional<std::string> reference_name_;
    ProfileControls c_;
    std::function<void()> redraw_;
};

} // namespace kelvor::profile
