#include "core/profile/profile_commands.h"

#include "core/hearing/messung.h"
#include "core/host/name_prompt.h"

namespace kelvor::profile {

namespace {

// The name offered while no profile is chosen.
constexpr const char* first_profile_name = "Headphones";

} // namespace

ProfileCommands::ProfileCommands(HearingProfiles& profiles, hearing::TMessung& messung,
                                 host::NamePrompt& prompt)
    : profiles_(profiles), messung_(messung), prompt_(prompt) {
    profiles_.redraw_with([&messung] { messung.FormResize(); });
}

void ProfileCommands::Referenzmessung1Click() {
    profiles_.show_reference_intro();
    host::NamePromptControls& dialog = profiles_.controls().reference_name;
    const Profile* current = profiles_.chosen_profile();
    dialog.name.lines = {current != nullptr ? current->name : std::string(first_profile_name)};
    const std::optional<std::string> name = prompt_.ask(dialog);
    if (!name || !profiles_.begin_reference_run(*name)) return;
    // The run starts from empty records, so nothing of an earlier test goes into the reference.
    messung_.clear_liClick();
    messung_.clear_reClick();
    messung_.StartClick();
}

void ProfileCommands::Profile_ListChange(int choice) {
    profiles_.choose(choice);
}

CommandTable profile_commands(ProfileCommands& commands) {
    ProfileControls& c = commands.controls();
    return {
        click_command(c.Referenzmessung1, [&commands] { commands.Referenzmessung1Click(); }),
        {&c.Profile_List, CommandKind::choose,
         [&commands](int choice) { commands.Profile_ListChange(choice); }},
    };
}

} // namespace kelvor::profile
