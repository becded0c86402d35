#pragma once
// The profile controls' commands: the reference run from the main window's options menu and the choice in
// the output settings dialog's profile list. Made after the main window's logic, which a reference run
// starts.
#include "core/common/commands.h"
#include "core/profile/hearing_profiles.h"

namespace kelvor::hearing {
class TMessung;
}
namespace kelvor::host {
class NamePrompt;
}

namespace kelvor::profile {

class ProfileCommands {
  public:
    // From now on a change of the normal values redraws the main window's charts.
    ProfileCommands(HearingProfiles& profiles, hearing::TMessung& messung, host::NamePrompt& prompt);

    // The introduction, the profile's name asked (the chosen profile's offered), then the automatic test
    // over both ears from empty records.
    void Referenzmessung1Click();
    void Profile_ListChange(int choice);

    ProfileControls& controls() { return profiles_.controls(); }

  private:
    HearingProfiles& profiles_;
    hearing::TMessung& messung_;
    host::NamePrompt& prompt_;
};

CommandTable profile_commands(ProfileCommands& commands);

} // namespace kelvor::profile
