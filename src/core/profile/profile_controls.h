#pragma once
// The hearing level profiles' controls, each added to the window it belongs to: the reference run's item at
// the end of the main window's options menu, the profile list in the output settings dialog, the hearing
// level panel at the main window's foot (shown only while a profile is chosen) and the dialog that asks a
// reference run's profile name. Without a profile the windows look as they always did.
#include "core/common/control_state.h"
#include "core/host/name_prompt.h"

namespace kelvor::profile {

struct ProfileControls {
    Control Referenzmessung1{"Referenzmessung1"};         // main window, menu "Options"
    Control Profile_Group{"Profile_Group"};               // output settings dialog, below the port group
    ChoiceControl Profile_List{"Profile_List"};           // "none", then the profiles by name
    Control Hearing_Levels_Panel{"Hearing_Levels_Panel"}; // main window, at its foot
    Control Hearing_Levels{"Hearing_Levels"};             // the panel's text: HearingProfiles::status_lines
    host::NamePromptControls reference_name{Control{"Reference_Name_Dialog"}, TextControl{"Reference_Name"},
                                            Control{"Reference_ok"}, Control{"Reference_Cancel"}};

    // The controls of the windows (the name prompt's are its own).
    template <class F> void for_each(F&& f) {
        f(Referenzmessung1), f(Profile_Group), f(Profile_List), f(Hearing_Levels_Panel), f(Hearing_Levels);
    }
};

} // namespace kelvor::profile
