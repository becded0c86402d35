// The three windows' command tables: every button, box, bar and menu item runs exactly one command, and
// only the controls that run nothing (texts, panels, memos, pictures that only show) have none.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/diagnostics/port_listener.h"
#include "core/hearing/messung_command_table.h"
#include "support/messung_rig.h"
#include "support/parameter_rig.h"

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

} // namespace
} // namespace kelvor
