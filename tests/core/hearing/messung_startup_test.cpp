// The main window as the user meets it: start-up, the Start command with and without a results file,
// closing, and the commands of the menu around the measuring.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/port/small_port.h"
#include "support/messung_rig.h"

namespace kelvor::hearing {
namespace {

using testing::MessungRig;
using Calls = std::vector<std::string>;

std::vector<std::string> ring_lines(const diagnostics::PortLogRing& ring) {
    std::vector<std::string> lines;
    for (const auto& line : ring.lines())
        if (!line.empty()) lines.push_back(line);
    return lines;
}

// The position of `call` in `calls`, or -1.
int position(const Calls& calls, const std::string& call) {
    const auto it = std::find(calls.begin(), calls.end(), call);
    return it == calls.end() ? -1 : int(it - calls.begin());
}

struct StartedRig : MessungRig {
    explicit StartedRig(std::uint32_t platform = host::platform_windows_nt) {
        system.version.platform_id = platform;
        m.FormCreate(623, 404);
        log.take();
    }
};

// ---------------------------------------------------------------- start-up

TEST(FormCreate, DrawsOnFullSizeSurfacesBeforeTheWordsAndEndsInEnglish) {
    MessungRig rig;
    rig.m.FormCreate(623, 404);
    const Calls calls = rig.log.take();
    // The first drawing happens at the largest chart size, so the surfaces are made big enough for good;
    // the chart words come only after the start-up drawings.
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "set_chart_size 624x416");
    const int first_draw = position(calls, "clear_chart L 22");
    const int words = position(calls, "use_texts Ear");
    EXPECT_LT(position(calls, "set_chart_size 624x416"), first_draw);
    EXPECT_LT(first_draw, words);
    EXPECT_EQ(calls.back(), "use_texts Ear");
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "set_chart_size 624x416"), 2);
    EXPECT_EQ(calls.at(calls.size() - 2), "draw_line R MessWerte re"); // the first resize's curves

    EXPECT_TRUE(rig.m.layout().Form_ready);
    EXPECT_EQ(rig.c.Ohr_li_img.bounds, (Bounds{28, 54, 240, 160}));
    EXPECT_EQ(rig.state.norm_values.entries[22].flag, 1);
    EXPECT_EQ(rig.state.results_li.name, "MessWerte li");
    EXPECT_FALSE(rig.c.Ohr_gif_re.visible);

    EXPECT_EQ(rig.c.clear_li.caption, "clear l");
    EXPECT_EQ(rig.c.menu.MessMenu.caption, "Chart");
    EXPECT_EQ(rig.c.f_fine.caption, "fine");
    EXPECT_EQ(rig.c.Messung_.caption, "Data logging");
    EXPECT_EQ(rig.c.Messung_.bounds.left, 2);
    EXPECT_EQ(rig.m.help_address(), "http:\\\\www.kelvor.example\\kelvor_en.html");
    // Not in the tables: the design captions stay.
    EXPECT_EQ(rig.c.menu.PortLogInfo1.caption, "Port Log-Info ON/OFF ");
    EXPECT_EQ(rig.c.menu.N1dB1.caption, "+ 1 dB");
    EXPECT_EQ(rig.c.db_reset.caption, "= 0 dB");

    EXPECT_EQ(ring_lines(rig.port_log), std::vector<std::string>{":> Port fini FormCreate"});
}

TEST(FormCreate, LocksTheNormalRangeOnTheNtFamilyOnly) {
    for (const std::uint32_t platform : {host::platform_windows_nt, host::platform_windows_95}) {
        StartedRig rig(platform);
        const bool nt = platform == host::platform_windows_nt;
        EXPECT_FALSE(rig.c.f_extended.checked);
        EXPECT_EQ(rig.c.f_extended.enabled, !nt) << platform;
        EXPECT_EQ(rig.state.test_freq, nt ? 8000 : 500) << platform;
    }
}

TEST(FormCreate, HandsThePortDriverToToneOutputAndOpensIt) {
    MessungRig rig;
    testing::ScriptedDriverServices services;
    port::TSmallPort driver(rig.system, services, rig.port_buffer);
    TMessung m{rig.services({.port_driver = &driver})};
    m.FormCreate(623, 404);
    EXPECT_EQ(rig.tone.port_driver, &driver);
    EXPECT_TRUE(driver.Opened());
    // The driver's own trace lines reach the memo with the end of start-up.
    const auto lines = ring_lines(rig.port_log);
    EXPECT_EQ(lines.front(), ":> Port.Create - init");
    EXPECT_EQ(lines.back(), ":> Port fini FormCreate");
}

// ---------------------------------------------------------------- Start

TEST(StartClick, WithAResultsFileTheAutomaticRunBeginsAtTheTopOfTheRange) {
    for (const std::uint32_t platform : {host::platform_windows_nt, host::platform_windows_95}) {
        StartedRig rig(platform);
        rig.files.read_write.insert("Kelvor.dat");
        rig.c.Memo1_E.visible = true;
        rig.m.StartClick();
        const Calls calls = rig.log.take();
        const bool nt = platform == host::platform_windows_nt;
        EXPECT_EQ(calls.front(), nt ? "nt_layout" : "win9x_layout");
        EXPECT_LT(position(calls, "Soundcard_present"), position(calls, "start_tone"));
        EXPECT_EQ(rig.files.probed, std::vector<std::string>{"Kelvor.dat"});
        EXPECT_TRUE(rig.dialogs.shown.empty());
        EXPECT_FALSE(rig.c.Memo1_E.visible);
        EXPECT_TRUE(rig.state.test_started);
        EXPECT_FALSE(rig.state.on_hold);
        EXPECT_EQ(rig.state.test_level, 0);
        EXPECT_EQ(rig.state.test_freq, rig.state.f_max);
        EXPECT_EQ(rig.state.cur_ear, ear_left);
        EXPECT_TRUE(rig.c.F_Leiste_li.visible);
        EXPECT_FALSE(rig.c.F_Leiste_re.visible);
        EXPECT_TRUE(rig.c.Ohr_gif_li.visible);
        EXPECT_EQ(rig.c.Ohr_re_img.cursor, Cursor::hand_point);

        const auto lines = ring_lines(rig.port_log);
        const std::string os_line = nt ? ":> Port Win 2000 Platform: 2 MinorVersion: 1 MajorVersion: 5"
                                       : ":> Port Win unknown Platform: 1 MinorVersion: 1 MajorVersion: 5";
        EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
                  (std::vector<std::string>{":> Port init START", os_line, ":> Port fini START"}));
    }
}

TEST(StartClick, FirstUseHoldsTheCalibrationToneWhileTheMixerIsAdjusted) {
    StartedRig rig;
    // The message box is modal, but the timers go on inside it.
    std::vector<std::string> ok_captions;
    Calls before_box;
    rig.dialogs.while_open = [&] {
        before_box = rig.log.calls;
        for (int i = 0; i < 10; ++i) {
            rig.timers.advance(timer1_interval_ms);
            ok_captions.push_back(rig.c.ok_select.caption);
        }
    };
    rig.m.StartClick();
    const Calls calls = rig.log.take();
    EXPECT_GE(position(before_box, "show_dialog"), 0); // the settings are up before the mixer message
    EXPECT_EQ(rig.dialogs.shown, std::vector<std::string>{" adjust SOUND MIXER now ! jetzt justieren "});
    EXPECT_TRUE(rig.state.on_hold);
    EXPECT_EQ(rig.state.test_level, 12); // 4 s passed inside the box and the level did not rise
    EXPECT_EQ(rig.state.test_freq, 1000);
    EXPECT_EQ(std::count(ok_captions.begin(), ok_captions.end(), "continue"), 5);
    EXPECT_EQ(std::count(ok_captions.begin(), ok_captions.end(), ""), 5);
}

TEST(StartClick, WithoutASoundDeviceSaysSoAndGoesOn) {
    StartedRig rig;
    rig.tone.present = false;
    rig.files.read_write.insert("Kelvor.dat");
    Calls during_box;
    rig.dialogs.while_open = [&] { during_box = rig.log.calls; };
    rig.m.StartClick();
    EXPECT_EQ(rig.dialogs.shown, std::vector<std::string>{"no Soundcard found ! "});
    EXPECT_EQ(position(during_box, "start_tone"), -1); // the box comes between the check and the programming
    EXPECT_TRUE(rig.log.contains("start_tone"));
    EXPECT_TRUE(rig.state.test_started);
}

TEST(StartClick, RunAgainKeepsTheRecordsAndTheMode) {
    StartedRig rig;
    rig.files.read_write.insert("Kelvor.dat");
    set_result_entry(rig.state.results_re, 10, 1000, 20);
    rig.m.zeichnenman1Click();
    rig.m.StartClick();
    rig.m.StartClick();
    EXPECT_EQ(rig.state.results_re.entries[10].flag, 1);
    EXPECT_FALSE(rig.state.auto_mode);
}

// ---------------------------------------------------------------- closing and the other commands

TEST(Closing, SilencesTheChipAndTheSpeakerAndFreesTheImages) {
    StartedRig rig;
    rig.m.FormClose();
    EXPECT_EQ(rig.log.take(), (Calls{"OPL2_aus", "speaker_off", "free_waves"}));
    rig.m.beenden1Click();
    EXPECT_EQ(rig.log.take(), (Calls{"OPL2_aus"}));
    EXPECT_EQ(rig.window.closed, 1);
}

TEST(Commands, ClearEmptiesOneEarAndRedrawsOnlyItsChart) {
    StartedRig rig;
    set_result_entry(rig.state.results_li, 10, 1000, 20);
    set_result_entry(rig.state.results_re, 10, 1000, 30);
    rig.state.test_freq = 2000;
    rig.m.clear_liClick();
    EXPECT_EQ(rig.log.take(), (Calls{"clear_chart L 22"}));
    EXPECT_EQ(rig.state.results_li.entries[10].flag, -1);
    EXPECT_EQ(rig.state.results_re.entries[10].flag, 1);
    EXPECT_EQ(rig.state.test_freq, 2000);
    rig.m.clear_reClick();
    EXPECT_EQ(rig.log.take(), (Calls{"clear_chart R 22"}));
    EXPECT_EQ(rig.state.results_re.name, "MessWerte re");
}

TEST(Commands, NewKeepsTheRecordsThatDrawBringsBack) {
    StartedRig rig;
    set_result_entry(rig.state.results_li, 10, 1000, 20);
    rig.m.neu1Click();
    const Calls calls = rig.log.take();
    EXPECT_EQ(std::vector<std::string>(calls.end() - 2, calls.end()),
              (Calls{"clear_chart L 22", "clear_chart R 22"}));
    EXPECT_EQ(rig.state.results_li.entries[10].flag, 1);
    rig.m.zeichnen1Click();
    EXPECT_EQ(rig.log.take(), (Calls{"draw_line L MessWerte li", "draw_line R MessWerte re"}));
}

TEST(Commands, SettingsFromTheMenuTakeTheDialogCaptionsAndHoldForTheDataStream) {
    for (const bool data_stream : {true, false}) {
        StartedRig rig;
        rig.m.Deutsch1Click();
        rig.log.take();
        rig.settings.data_stream = data_stream;
        rig.m.DevMethPortsClick();
        Calls expected{"menu_captions Ausgabegerät:", "show_dialog"};
        if (data_stream) expected.push_back("disable_port_group");
        EXPECT_EQ(rig.log.take(), expected);
        EXPECT_EQ(rig.state.on_hold, data_stream);
    }
}

TEST(Commands, PortLogSwitchesAndCoversTheOtherEarsChart) {
    StartedRig rig;
    rig.m.PortLogInfo1Click();
    EXPECT_TRUE(rig.c.PortData.visible);
    EXPECT_EQ(rig.c.PortData.bounds, rig.c.Ohr_re_img.bounds);
    rig.m.PortLogInfo1Click();
    EXPECT_FALSE(rig.c.PortData.visible);
    EXPECT_FALSE(rig.state.port_log_on);
}

TEST(Commands, InfoShowsTheEnglishTextInEitherLanguage) {
    StartedRig rig;
    rig.m.Deutsch1Click();
    rig.m.ausblenden2Click();
    EXPECT_FALSE(rig.c.Memo1_D.visible);
    rig.m.anzeigen2Click();
    EXPECT_TRUE(rig.c.Memo1_E.visible);
    EXPECT_FALSE(rig.c.Memo1_D.visible);
    EXPECT_EQ(rig.c.Memo1_E.lines.back(), "http://www.kelvor.example/kelvor_en.html");
    EXPECT_EQ(rig.c.Memo1_D.lines.back(), "http://www.kelvor.example/kelvor_de.html");
    EXPECT_EQ(rig.c.Memo1_D.lines.at(4), "grammes muß die Ausgabelautstärke mit ");
}

} // namespace
} // namespace kelvor::hearing
