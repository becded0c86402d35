// The three windows' command tables: every button, box, bar and menu item runs exactly one command, and
// only the controls that run nothing (texts, panels, memos, pictures that only show) have none.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/diagnostics/port_listener.h"
#include "core/hearing/messung_command_table.h"
#include "core/history/kept_tests_window.h"
#include "core/profile/profile_commands.h"
#include "support/messung_rig.h"
#include "support/parameter_rig.h"
#include "support/profile_fakes.h"
#include "support/recording_canvas.h"

namespace kelvor {
namespace {

// Each control: one command, or none where it is named in `inert`. Menu titles open their menu only.
template <class Controls>
void expect_one_command_each(Controls& controls, const CommandTable& table,
                             const std::set<std::string>& inert) {
    std::set<std::string> seen;
    controls.for_each([&](Control& control) {
        seen.insert(control.name);
        EXPECT_EQ(commands_of(table, control), inert.count(control.name) > 0 ? 0 : 1) << control.name;
    });
    for (const std::string& name : inert)
        EXPECT_EQ(seen.count(name), 1u) << "no control " << name;
    for (const Command& command : table)
        EXPECT_EQ(seen.count(command.control->name), 1u) << command.control->name << " is not this window's";
}

struct MainControls {
    hearing::MessungControls& c;
    template <class F> void for_each(F&& f) {
        c.for_each(f);
        hearing::for_each_menu_entry(c.menu, [&](Control& entry) {
            if (!hearing::is_menu_title(c.menu, entry)) f(entry);
        });
    }
};

struct ProfileRig : testing::MessungRig {
    testing::EmptyProfileStore store;
    testing::SameConditions conditions;
    testing::FakeNamePrompt prompt;
    profile::HearingProfiles profiles{{state, store, dialogs, conditions}};
    profile::ProfileCommands commands{profiles, m, prompt};
};

TEST(CommandTable, EveryControlOfEachWindowRunsOneCommandOrNone) {
    testing::MessungRig main;
    MainControls main_controls{main.c};
    const CommandTable main_table = hearing::messung_commands(main.m, nullptr);
    expect_one_command_each(main_controls, main_table,
                            {"Messung",     "Panel_TM", "Frequenz_", "Test_F",     "Kopfhoerer",
                             "Dezibel_",    "Test_db",  "Noise_on",  "Messung_",   "f_No",
                             "Memo1_D",     "Memo1_E",  "PortData",  "StatusBar1", "Panel_bot",
                             "db_Progress", "T_2_dBup", "T_6_dBdn",  "Name_label", "Testname"});
    hearing::for_each_menu_entry(main.c.menu, [&](Control& entry) {
        if (hearing::is_menu_title(main.c.menu, entry)) {
            EXPECT_EQ(commands_of(main_table, entry), 0) << entry.name;
        }
    });

    testing::ParameterRig dialog;
    expect_one_command_each(dialog.c, settings::parameter_commands(dialog.p),
                            {"Parameter", "OS_Panel", "IO_Device", "IO_Method", "IO_Port_Drivers",
                             "Calib_Volume", "Vol_percent", "Port_Addr", "Test_port", "active_Port"});

    testing::RecordingPortIo ports;
    diagnostics::TTinyPortListener listener{ports};
    expect_one_command_each(listener.controls(), diagnostics::listener_commands(listener),
                            {"TinyPortListener", "PortResponse", "GroupBox1", "GroupBox2"});

    ProfileRig profiles;
    expect_one_command_each(profiles.profiles.controls(), profile::profile_commands(profiles.commands),
                            {"Profile_Group", "Hearing_Levels_Panel", "Hearing_Levels"});

    testing::MemoryStore kept;
    testing::RecordingImage li{240, 160}, re{240, 160};
    chart::Charts charts{li, re, main.state};
    history::KeptTestsWindow history{{kept, main.state, charts, {}}};
    expect_one_command_each(history.controls(), history::kept_tests_commands(history),
                            {"Kept_Tests_Form", "Kept_Intro", "Kept_Change"});
}

// Only the results commands may be missing: without them the file controls have no handler (and stay
// disabled), every other command has one.
TEST(CommandTable, OnlyTheFileCommandsWaitForTheResultsCommands) {
    testing::MessungRig rig;
    const std::set<std::string> file{
        "speichern",           "Drucken", "speichern1", "drucken1", "lesen1", "Bildschirmdrucken1",
        "Bildschirmspeichern1", "PDFspeichern1", "CSVspeichern1", "FHIRspeichern1"};
    for (const Command& command : hearing::messung_commands(rig.m, nullptr))
        EXPECT_EQ(static_cast<bool>(command.run), file.count(command.control->name) == 0)
            << command.control->name;
}

// A box's handler reads the box: the state the user left it in is there before the handler runs.
TEST(CommandTable, ACheckBoxHoldsTheUsersStateBeforeItsHandlerRuns) {
    testing::MessungRig rig;
    rig.c.f_extended.enabled = true;
    for (const Command& command : hearing::messung_commands(rig.m, nullptr))
        if (command.control == &rig.c.f_fine || command.control == &rig.c.auto_) {
            command.run(1);
            EXPECT_TRUE(static_cast<CheckControl*>(command.control)->checked) << command.control->name;
            command.run(0);
            EXPECT_FALSE(static_cast<CheckControl*>(command.control)->checked) << command.control->name;
        }
}

// A reference run: the introduction, the name asked (the chosen profile's offered), then Start from empty
// records; what it makes becomes the chosen profile, and every change of the choice redraws the charts.
TEST(ProfileCommands, AReferenceRunAsksItsNameAndItsProfileBecomesTheChoice) {
    ProfileRig rig;
    rig.m.FormCreate(623, 380);
    const auto run = [&rig](std::optional<std::string> answer) {
        rig.prompt.answer = std::move(answer);
        rig.log.take();
        rig.dialogs.shown.clear();
        rig.commands.Referenzmessung1Click();
        return rig.log.count("start_tone") == 1;
    };
    EXPECT_FALSE(run(std::nullopt)); // cancelled
    EXPECT_EQ(rig.dialogs.shown, (std::vector<std::string>{rig.profiles.reference_intro()}));
    EXPECT_FALSE(run("a/b"));
    EXPECT_EQ(rig.dialogs.shown.size(), 2u); // the introduction, then why the name cannot be one
    hearing::set_result_entry(rig.state.results_li, 10, 1000, 30);
    EXPECT_TRUE(run("HD"));
    EXPECT_NE(rig.state.results_li.entries[10].flag, 1); // cleared before the run
    EXPECT_EQ(rig.prompt.offered, (std::vector<std::string>(3, "Headphones")));

    hearing::set_result_entry(rig.state.results_li, 10, 1000, 20);
    rig.log.take();
    rig.profiles.sequence_complete();
    profile::ProfileControls& c = rig.profiles.controls();
    EXPECT_EQ(c.Profile_List.lines, (std::vector<std::string>{"none", "HD"}));
    EXPECT_EQ(c.Profile_List.chosen, 1);
    EXPECT_TRUE(c.Hearing_Levels_Panel.visible);
    EXPECT_EQ(rig.log.count("init_Graph_var"), 1); // the charts drew the profile's normal values
    EXPECT_TRUE(run("HD"));
    EXPECT_EQ(rig.prompt.offered.back(), "HD");

    rig.log.take();
    for (const Command& command : profile::profile_commands(rig.commands))
        if (command.control == &c.Profile_List) command.run(0);
    EXPECT_EQ(c.Profile_List.chosen, 0);
    EXPECT_FALSE(c.Hearing_Levels_Panel.visible);
    EXPECT_FALSE(rig.state.normals.profile_chosen());
    EXPECT_EQ(rig.log.count("init_Graph_var"), 1);
}

// The language switch of the main window reaches the profiles' captions, list and messages.
TEST(ProfileCommands, TheProfilesFollowTheWindowsLanguage) {
    ProfileRig rig;
    hearing::MessungServices services = rig.services();
    services.profile = &rig.profiles;
    hearing::TMessung window{services};
    profile::ProfileControls& c = rig.profiles.controls();
    EXPECT_EQ(c.Referenzmessung1.caption, "Reference run (calibrate headphones)...");
    window.Deutsch1Click();
    EXPECT_EQ(c.Referenzmessung1.caption, "Referenzmessung (Kopfhörer eichen)...");
    EXPECT_EQ(c.Profile_List.lines, (std::vector<std::string>{"keines"}));
    EXPECT_EQ(c.reference_name.form.caption, "Referenzmessung");
    EXPECT_EQ(rig.profiles.reference_intro().rfind("Referenzmessung:", 0), 0u);
}

} // namespace
} // namespace kelvor
