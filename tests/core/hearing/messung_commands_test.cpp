// The main window's level, frequency, detection, ear, mode and pulse handlers one at a time.
#include <cmath>
#include <gtest/gtest.h>

#include <algorithm>

#include "support/messung_rig.h"

namespace kelvor::hearing {
namespace {

using testing::MessungRig;
using Calls = std::vector<std::string>;

// ---------------------------------------------------------------- level display and progress

struct DisplayCase {
    bool on_hold;
    bool show_level;
    std::int8_t level;
    bool visible_before;
    bool visible_after;
};

TEST(LevelDisplay, ShownAtTheTopOrWhenWantedAndFrozenWhileOnHold) {
    const DisplayCase cases[] = {
        {false, true, 10, false, true},  {false, false, 10, true, false}, {false, false, 48, false, true},
        {false, true, 48, false, true},  {true, false, 10, true, true},   {true, true, 10, false, false},
        {true, false, 48, false, false},
    };
    for (const auto& k : cases) {
        MessungRig rig;
        rig.state.on_hold = k.on_hold;
        rig.state.show_level = k.show_level;
        rig.c.Test_db.visible = k.visible_before;
        rig.m.set_test_level(k.level);
        EXPECT_EQ(rig.c.Test_db.visible, k.visible_after)
            << k.on_hold << k.show_level << int(k.level) << k.visible_before;
        EXPECT_EQ(rig.c.Test_db.caption, k.level == 48 ? " 48" : " 10");
    }
}

TEST(LevelDisplay, ContinueShowsAsWantedAndCalibrationLeavesItAlone) {
    MessungRig rig;
    rig.state.test_started = true;
    rig.m.zeichnenman1Click();
    rig.c.Test_db.visible = false;
    rig.m.Justierung1kHz12dB1Click();
    EXPECT_FALSE(rig.c.Test_db.visible);
    EXPECT_TRUE(rig.state.on_hold);
    EXPECT_EQ(rig.state.test_freq, 1000);
    EXPECT_EQ(rig.state.test_level, 12);
    rig.timers.advance(5 * timer2_interval_ms); // no rise while on hold
    EXPECT_EQ(rig.state.test_level, 12);
    rig.m.db_select(); // "continue"
    EXPECT_FALSE(rig.c.Test_db.visible);
    rig.m.anzeigen();
    EXPECT_TRUE(rig.c.Test_db.visible);
    EXPECT_TRUE(rig.state.show_level);
    rig.m.ausblenden1Click();
    EXPECT_FALSE(rig.c.Test_db.visible);
    EXPECT_FALSE(rig.state.show_level);
}

// "continue" ends the hold and lets the display follow the rule again, whatever the hold left it at.
TEST(LevelDisplay, ContinueShowsTheLevelAtTheTopOrWhenWanted) {
    const struct {
        std::int8_t level;
        bool show_level;
        bool visible_before;
        bool visible_after;
    } cases[] = {
        {48, false, false, true}, {46, false, true, false}, {10, true, false, true}, {0, false, true, false}};
    for (const auto& k : cases) {
        MessungRig rig;
        rig.state.on_hold = true;
        rig.state.test_level = k.level;
        rig.state.show_level = k.show_level;
        rig.c.Test_db.visible = k.visible_before;
        rig.m.db_select();
        EXPECT_FALSE(rig.state.on_hold);
        EXPECT_EQ(rig.c.Test_db.visible, k.visible_after) << int(k.level) << k.show_level << k.visible_before;
    }
}

TEST(Progress, CountsRisesFromOneToElevenThenStartsOverAtThree) {
    MessungRig rig;
    rig.start_running();
    EXPECT_EQ(rig.c.db_Progress.position, 1);
    for (int expected : {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 3, 4}) {
        rig.m.db_upClick();
        EXPECT_EQ(rig.c.db_Progress.position, expected);
    }
    EXPECT_EQ(rig.state.test_level, 24);
}

struct LevelCommandCase {
    const char* command;
    std::int8_t before;
    std::int8_t level_after;
    int progress_after;
};

TEST(LevelCommands, ClampAndSetTheProgressBar) {
    const LevelCommandCase cases[] = {
        {"-6", 4, 0, 0},    {"-6", 20, 14, 4}, {"-6", 6, 0, 0},   {"-10", 4, 0, 4},
        {"-10", 30, 20, 4}, {"+2", 46, 48, 8}, {"+2", 47, 48, 8}, {"=0", 30, 0, 0},
    };
    for (const auto& k : cases) {
        MessungRig rig;
        rig.state.test_level = k.before;
        rig.c.db_Progress.position = 7;
        const std::string cmd = k.command;
        if (cmd == "-6") rig.m.db_6dnClick();
        if (cmd == "-10") rig.m.level_down_10();
        if (cmd == "+2") rig.m.db_upClick();
        if (cmd == "=0") rig.m.db_resetClick();
        EXPECT_EQ(rig.state.test_level, k.level_after) << cmd << " at " << int(k.before);
        EXPECT_EQ(rig.tone.level, k.level_after) << cmd;
        EXPECT_EQ(rig.c.db_Progress.position, k.progress_after) << cmd << " at " << int(k.before);
    }
}

TEST(LevelCommands, ResetToZeroDoesNotApplyTheDisplayRule) {
    MessungRig rig;
    rig.state.show_level = false;
    rig.c.Test_db.visible = true;
    rig.m.db_resetClick();
    EXPECT_TRUE(rig.c.Test_db.visible);
    EXPECT_EQ(rig.c.Test_db.caption, "  0");
}

// ---------------------------------------------------------------- frequency commands

struct StepCase {
    const char* name;
    bool extended;
    bool fine;
    bool up;
    std::uint16_t from;
    std::vector<std::uint16_t> walk; // frequencies after successive steps
};

TEST(FrequencySteps, FollowTheScaleAndStopAtTheRangeEnds) {
    const StepCase cases[] = {
        {"fine down", false, true, false, 8000, {7000, 6000, 5000}},
        {"coarse down to the bottom", false, false, false, 500, {250, 125, 125}},
        {"odd index leaves the range", false, false, false, 375, {175, 75, 75}},
        {"extended bottom", true, false, false, 250, {125, 75, 75}},
        {"extended top", true, false, true, 10000, {12000, 16000, 16000}},
        {"odd index above the top", false, false, true, 5000, {7000, 9000, 9000}},
        {"fine up", false, true, true, 6000, {7000, 8000, 8000}},
    };
    for (const auto& k : cases) {
        MessungRig rig;
        if (k.extended) {
            rig.c.f_extended.checked = true;
            rig.m.f_extendedClick();
        }
        rig.c.f_fine.checked = k.fine;
        rig.m.set_test_freq(k.from);
        for (std::uint16_t f : k.walk) {
            k.up ? rig.m.Test_F_up() : rig.m.Test_F_dn();
            EXPECT_EQ(rig.state.test_freq, f) << k.name;
            EXPECT_EQ(rig.tone.freq, f) << k.name;
        }
    }
}

TEST(FrequencySteps, RestartTheLevelAndEndTheHold) {
    MessungRig rig;
    rig.state.test_level = 30;
    rig.state.on_hold = true;
    rig.m.Test_F_dn();
    EXPECT_EQ(rig.state.test_freq, 250);
    EXPECT_EQ(rig.state.test_level, 0);
    EXPECT_FALSE(rig.state.on_hold);
    EXPECT_EQ(rig.c.Test_F.caption, "  250");
    EXPECT_EQ(rig.c.f_No.caption, " 4");
    EXPECT_EQ(rig.c.F_Leiste_li.position, 4);
    EXPECT_EQ(rig.c.F_Leiste_re.position, 4);
    EXPECT_EQ(rig.c.Panel_bot.bounds.width, 624);

    // A refused step keeps the level but still ends the hold.
    rig.m.set_test_freq(8000);
    rig.state.test_level = 30;
    rig.state.on_hold = true;
    rig.m.Test_F_up();
    EXPECT_EQ(rig.state.test_level, 30);
    EXPECT_FALSE(rig.state.on_hold);
}

TEST(FrequencyJumps, KeepLevelAndHold) {
    MessungRig rig;
    rig.state.test_level = 20;
    rig.state.on_hold = true;
    rig.m.F_Leiste_liChange(13);
    EXPECT_EQ(rig.state.test_freq, 1750);
    rig.m.min1Click();
    EXPECT_EQ(rig.state.test_freq, 125);
    EXPECT_EQ(rig.c.F_Leiste_re.position, 2);
    rig.m.max1Click();
    EXPECT_EQ(rig.state.test_freq, 8000);
    EXPECT_EQ(rig.state.test_level, 20);
    EXPECT_TRUE(rig.state.on_hold);
    // 75 Hz and 16000 Hz sit outside the bars' reach in the normal range: the bars stop at their ends.
    rig.m.set_test_freq(75);
    EXPECT_EQ(rig.c.F_Leiste_li.position, 2);
    rig.m.set_test_freq(16000);
    EXPECT_EQ(rig.c.F_Leiste_li.position, 22);
    EXPECT_EQ(rig.log.take(), (Calls{"set_frequency 1750", "set_frequency 125", "set_frequency 8000",
                                     "set_frequency 75", "set_frequency 16000"}));
}

// ---------------------------------------------------------------- manual mode

TEST(ManualMode, DetectionMarksAndHoldsAndContinuePutsTheCentreIn) {
    for (std::int8_t ear : {ear_left, ear_right}) {
        MessungRig rig;
        rig.start_running();
        rig.m.zeichnenman1Click();
        if (ear == ear_right) rig.m.Messung_reClick();
        rig.m.Test_F_dn(); // 6000 Hz
        rig.log.take();
        rig.timers.advance(3 * timer2_interval_ms);
        EXPECT_FALSE(rig.c.Test_db.visible);

        rig.log.take();
        rig.m.db_select();
        EXPECT_TRUE(rig.state.on_hold);
        EXPECT_TRUE(rig.c.Test_db.visible);
        EXPECT_EQ(rig.state.current_results().entries[20].level, 6);
        EXPECT_EQ(rig.log.take(), (Calls{"draw_mark " + testing::ear_text(ear) + " 20"}));

        rig.timers.advance(3 * timer2_interval_ms); // nothing moves on by itself
        EXPECT_EQ(rig.state.test_level, 6);
        EXPECT_EQ(rig.state.test_freq, 6000);

        rig.log.take();
        rig.m.db_select();
        EXPECT_FALSE(rig.state.on_hold);
        EXPECT_FALSE(rig.c.Test_db.visible);
        EXPECT_EQ(rig.state.cur_ear, ear);
        EXPECT_EQ(rig.log.take(), (Calls{"draw_mark_centre " + testing::ear_text(ear) + " 20"}));
    }
}

TEST(ManualMode, TopLevelStaysAndIsShownWithoutRecording) {
    MessungRig rig;
    rig.start_running();
    rig.m.zeichnenman1Click();
    rig.state.test_level = 48;
    rig.c.Test_db.visible = false;
    rig.m.db_upClick();
    EXPECT_EQ(rig.state.test_level, 48);
    EXPECT_TRUE(rig.c.Test_db.visible);
    EXPECT_EQ(rig.state.results_li.entries[22].flag, -1);
    EXPECT_EQ(rig.state.test_freq, 8000);
}

TEST(ManualMode, SelectingAPointByHandRecordsAndMarksInBothModes) {
    for (bool automatic : {true, false}) {
        MessungRig rig;
        rig.start_running();
        if (!automatic) rig.m.zeichnenman1Click();
        rig.state.test_level = 14;
        rig.c.Test_db.visible = false;
        rig.m.auswhlen1Click();
        EXPECT_TRUE(rig.state.on_hold);
        EXPECT_TRUE(rig.c.Test_db.visible);
        EXPECT_EQ(rig.state.results_li.entries[22].level, 14);
        EXPECT_EQ(rig.state.test_freq, 8000);
        EXPECT_EQ(rig.log.take(), (Calls{"draw_mark L 22"}));
    }
}

// ---------------------------------------------------------------- modes

TEST(Modes, MenusSwitchModeAndCursorsAndTheBoxFollowsAtTheNextRise) {
    MessungRig rig;
    rig.m.zeichnenman1Click();
    EXPECT_FALSE(rig.state.auto_mode);
    EXPECT_FALSE(rig.state.show_level);
    EXPECT_EQ(rig.c.Ohr_gif_li.cursor, Cursor::hand_point);
    EXPECT_EQ(rig.c.Ohr_gif_re.cursor, Cursor::hand_point);
    EXPECT_TRUE(rig.c.auto_.checked);
    EXPECT_TRUE(rig.log.take().empty());

    rig.m.Ohr_gif_liClick();
    rig.m.Ohr_gif_reClick();
    EXPECT_EQ(rig.log.take().size(), 4u);

    rig.m.db_upClick();
    EXPECT_FALSE(rig.c.auto_.checked);
    rig.log.take();

    // The menu back to automatic; the box's own click handler runs when the next rise checks it.
    rig.m.zeichnenauto1Click();
    EXPECT_EQ(rig.log.take(), (Calls{"draw_line L MessWerte li", "draw_line R MessWerte re"}));
    EXPECT_EQ(rig.c.Ohr_gif_li.cursor, Cursor::arrow);
    rig.m.Ohr_gif_liClick();
    EXPECT_TRUE(rig.log.take().empty());
    rig.m.db_upClick();
    EXPECT_TRUE(rig.c.auto_.checked);
    EXPECT_EQ(rig.log.count("draw_line L MessWerte li"), 1);

    // The user unchecks the box.
    rig.c.auto_.checked = false;
    rig.m.autoClick();
    EXPECT_FALSE(rig.state.auto_mode);
}

// ---------------------------------------------------------------- ears

TEST(Ears, SelectingRedrawsBothChartsAndErasesTheOtherEarsMarks) {
    MessungRig rig;
    rig.start_running();
    set_result_entry(rig.state.results_li, 22, 8000, 10);
    set_result_entry(rig.state.results_li, 10, 1000, 10);
    set_result_entry(rig.state.results_re, 18, 4000, 10);
    set_result_entry(rig.state.results_re, 26, 12000, 10); // above the normal range: no erase there

    rig.m.Messung_reClick(); // automatic: the left marks stay
    EXPECT_EQ(rig.log.take(), (Calls{"clear_chart L 22", "draw_line L MessWerte li", "clear_chart R 22",
                                     "draw_line R MessWerte re", "set_level 0", "set_frequency 8000"}));
    rig.m.Messung_liClick();
    EXPECT_EQ(rig.log.take(),
              (Calls{"clear_chart R 22", "erase_mark R 18", "draw_line R MessWerte re", "clear_chart L 22",
                     "draw_line L MessWerte li", "set_level 0", "set_frequency 8000"}));

    rig.m.zeichnenman1Click();
    rig.m.Messung_reClick();
    EXPECT_EQ(rig.log.take(),
              (Calls{"clear_chart L 22", "erase_mark L 22", "erase_mark L 10", "draw_line L MessWerte li",
                     "clear_chart R 22", "draw_line R MessWerte re", "set_level 0", "set_frequency 8000"}));
    rig.m.Messung_liClick();
    EXPECT_TRUE(rig.log.contains("erase_mark R 18"));
}

TEST(Ears, ControlsFollowTheEarAndOnlyTheRightEarHidesTheMemos) {
    MessungRig rig;
    rig.c.Memo1_E.visible = true;
    rig.state.on_hold = true;
    rig.state.test_level = 30;
    rig.m.Messung_liClick();
    EXPECT_TRUE(rig.c.Memo1_E.visible);
    EXPECT_EQ(rig.c.PortData.bounds, rig.c.Ohr_re_img.bounds);
    EXPECT_EQ(rig.c.Ohr_li_img.cursor, Cursor::arrow);
    EXPECT_EQ(rig.c.Ohr_re_img.cursor, Cursor::hand_point);

    rig.m.Messung_reClick();
    EXPECT_FALSE(rig.c.Memo1_E.visible);
    EXPECT_EQ(rig.state.cur_ear, ear_right);
    EXPECT_EQ(rig.c.PortData.bounds, rig.c.Ohr_li_img.bounds);
    EXPECT_EQ(rig.c.Ohr_li_img.cursor, Cursor::hand_point);
    EXPECT_EQ(rig.c.Ohr_re_img.cursor, Cursor::arrow);
    EXPECT_TRUE(rig.c.F_Leiste_re.visible);
    EXPECT_FALSE(rig.c.F_Leiste_li.visible);
    EXPECT_TRUE(rig.c.Ohr_gif_re.visible);
    EXPECT_FALSE(rig.c.Ohr_gif_li.visible);
    EXPECT_FALSE(rig.state.on_hold);
    EXPECT_EQ(rig.state.test_level, 0);
    EXPECT_EQ(rig.state.test_freq, 8000);
}

// ---------------------------------------------------------------- tone timer

TEST(ToneTimer, IdleBlinksStartAndKeepsTheLampOff) {
    MessungRig rig;
    rig.c.Noise_on.checked = true;
    for (const char* caption : {"", "Start", "", "Start"}) {
        rig.timers.advance(timer1_interval_ms);
        EXPECT_EQ(rig.c.Start.caption, caption);
        EXPECT_FALSE(rig.c.Noise_on.checked);
    }
    rig.timers.advance(10 * timer2_interval_ms);
    EXPECT_EQ(rig.state.test_level, 12);
    EXPECT_EQ(rig.c.Test_db.caption, " 12");
    EXPECT_EQ(rig.c.Test_F.caption, "  500");
    EXPECT_TRUE(rig.log.calls.empty());
}

TEST(ToneTimer, RunningPulsesTheToneAndBlinksTheButtonAgainstTheLamp) {
    MessungRig rig;
    rig.c.Start.caption = "";
    rig.state.test_started = true;
    rig.tone.data_stream = true;
    const struct {
        bool lamp;
        const char* caption;
        Calls calls;
    } ticks[] = {{true, "", {"tone_pulse", "play_wave"}},
                 {false, "ok. detected", {"tone_pulse"}},
                 {true, "", {"tone_pulse", "play_wave"}}};
    for (const auto& t : ticks) {
        rig.m.Ton_on_off();
        EXPECT_EQ(rig.c.Noise_on.checked, t.lamp);
        EXPECT_EQ(rig.c.ok_select.caption, t.caption);
        EXPECT_EQ(rig.c.Start.caption, "Start");
        EXPECT_EQ(rig.log.take(), t.calls);
    }
    rig.state.on_hold = true;
    rig.languages.use_german();
    rig.m.Ton_on_off();
    EXPECT_EQ(rig.c.ok_select.caption, "weiter");
    rig.tone.data_stream = false;
    rig.m.Ton_on_off();
    EXPECT_EQ(rig.log.take(), (Calls{"tone_pulse", "tone_pulse"}));
}

TEST(ToneTimer, ShowsTheSoundLogOnlyWhileThePortLogIsVisible) {
    MessungRig rig;
    rig.sound_log.add_line(" Port:Data $0388 : 67");
    rig.m.Ton_on_off();
    EXPECT_EQ(rig.sound_log.count(), 1);
    EXPECT_EQ(rig.port_log.position(), 0);
    rig.c.PortData.visible = true;
    rig.m.Ton_on_off();
    EXPECT_EQ(rig.sound_log.count(), 0);
    EXPECT_EQ(rig.port_log.lines()[0], ":> SOUND Port:Data $0388 : 67");
}

// ---------------------------------------------------------------- range switching

struct RangeExpect {
    std::uint16_t f_min, f_max;
    int track_max;
};

void expect_range(MessungRig& rig, RangeExpect r) {
    EXPECT_EQ(rig.state.f_min, r.f_min);
    EXPECT_EQ(rig.state.f_max, r.f_max);
    EXPECT_EQ(rig.c.F_Leiste_li.maximum, r.track_max);
    EXPECT_EQ(rig.c.F_Leiste_re.maximum, r.track_max);
    EXPECT_NEAR(rig.chart.axis_min, std::log(r.f_min), 1e-4);
    EXPECT_NEAR(rig.chart.axis_max, std::log(r.f_max), 1e-4);
}

TEST(Range, CheckingExtendedJumpsToTheTopAndRedraws) {
    MessungRig rig;
    rig.state.on_hold = true;
    rig.state.test_level = 20;
    rig.c.f_extended.checked = true;
    rig.m.f_extendedClick();
    expect_range(rig, {75, 16000, 28});
    EXPECT_EQ(rig.state.test_freq, 16000);
    EXPECT_EQ(rig.state.test_level, 20);
    EXPECT_FALSE(rig.state.on_hold);
    EXPECT_TRUE(rig.c.f_extended.enabled);
    EXPECT_EQ(rig.log.take(),
              (Calls{"set_freq_axis", "set_frequency 16000", "clear_chart L 28", "clear_chart R 28"}));
}

TEST(Range, DialogWidensTheRangeWithTheBoxUncheckedWithoutJumping) {
    MessungRig rig;
    rig.m.set_extended_range();
    expect_range(rig, {75, 16000, 28});
    EXPECT_EQ(rig.state.test_freq, 500);
    EXPECT_FALSE(rig.c.f_extended.checked);
    EXPECT_EQ(rig.log.take(), (Calls{"set_freq_axis"}));
}

TEST(Range, NtFamilyOrDataStreamForcesTheNormalRange) {
    for (int which : {0, 1}) {
        for (bool checked : {false, true}) {
            MessungRig rig;
            rig.c.f_extended.checked = true;
            rig.m.f_extendedClick(); // extended, at 16000 Hz
            rig.c.f_extended.checked = checked;
            rig.c.F_Leiste_li.position = 28;
            (which == 0 ? rig.settings.nt_family : rig.settings.data_stream) = true;
            rig.state.on_hold = true;
            rig.log.take();
            rig.m.set_extended_range();
            expect_range(rig, {125, 8000, 22});
            EXPECT_FALSE(rig.c.f_extended.checked);
            EXPECT_FALSE(rig.c.f_extended.enabled);
            EXPECT_EQ(rig.c.F_Leiste_li.position, 22);
            // A checked box is unchecked through its click handler, which ends the hold, then the test
            // jumps to the new top and both charts are redrawn; an unchecked box changes only the range.
            EXPECT_EQ(rig.state.test_freq, checked ? 8000 : 16000);
            EXPECT_EQ(rig.state.on_hold, !checked);
            EXPECT_EQ(rig.log.count("clear_chart L 22"), checked ? 1 : 0);
            EXPECT_EQ(rig.log.count("set_freq_axis"), checked ? 2 : 1);
        }
    }
}

TEST(Range, UncheckingByHandAtTheTopLeavesTheToneThere) {
    MessungRig rig;
    rig.c.f_extended.checked = true;
    rig.m.f_extendedClick();
    rig.log.take();
    rig.c.f_extended.checked = false;
    rig.m.f_extendedClick();
    expect_range(rig, {125, 8000, 22});
    EXPECT_EQ(rig.state.test_freq, 16000);
    EXPECT_EQ(rig.c.F_Leiste_li.position, 22);
    EXPECT_EQ(rig.log.take(), (Calls{"set_freq_axis"}));
    rig.m.Test_F_dn();
    EXPECT_EQ(rig.state.test_freq, 12000);
}

// Also from the extended range with the box checked: unchecking the box runs its click handler first,
// and the series logarithms set afterwards are the ones the chart keeps.
TEST(Range, LockingKeepsTheNormalRangeWithSeriesLogarithms) {
    for (bool extended : {false, true}) {
        MessungRig rig;
        if (extended) {
            rig.c.f_extended.checked = true;
            rig.m.f_extendedClick();
            rig.c.F_Leiste_li.position = 28;
        }
        rig.state.on_hold = true;
        rig.m.lock_normal_range();
        expect_range(rig, {125, 8000, 22});
        EXPECT_DOUBLE_EQ(rig.chart.axis_min, ln_series(125)) << extended;
        EXPECT_DOUBLE_EQ(rig.chart.axis_max, ln_series(8000)) << extended;
        EXPECT_FALSE(rig.c.f_extended.checked);
        EXPECT_FALSE(rig.c.f_extended.enabled);
        EXPECT_EQ(rig.state.test_freq, 8000);
        EXPECT_EQ(rig.c.F_Leiste_li.position, 22);
        EXPECT_FALSE(rig.state.on_hold);
    }
}

} // namespace
} // namespace kelvor::hearing

namespace kelvor::hearing {
namespace {

// The Qt window mirrors exactly what these visits reach: every control and menu entry of the window's
// tables, each once under its own name.
TEST(Controls, EveryControlAndMenuEntryIsVisitedOnceUnderItsOwnName) {
    MessungControls c;
    std::vector<std::string> names;
    c.for_each([&](Control& control) { names.push_back(control.name); });
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected{
        "Messung",    "Panel_TM",    "Frequenz_",  "Test_F",     "Kopfhoerer",  "Dezibel_",    "Test_db",
        "Noise_on",   "Messung_",    "Ohr_li_img", "Ohr_re_img", "F_Leiste_li", "F_Leiste_re", "f_No",
        "Memo1_D",    "Memo1_E",     "PortData",   "StatusBar1", "Panel_bot",   "clear_li",    "Messung_li",
        "Ohr_gif_li", "db_Progress", "Ohr_gif_re", "Messung_re", "clear_re",    "f_extended",  "auto",
        "f_fine",     "F_dn",        "T_2_dBup",   "dB_up",      "ok_select",   "db_dn",       "T_6_dBdn",
        "F_up",       "Start",       "db_reset",   "speichern",  "Drucken",     "Name_label",  "Testname"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);

    std::vector<std::string> menu;
    for_each_menu_entry(c.menu, [&](Control& entry) { menu.push_back(entry.name); });
    // Every entry the menu holds (it holds nothing else): 39 of the original window and the three exports.
    EXPECT_EQ(menu.size(), sizeof(MessungMenu) / sizeof(Control));
    std::sort(menu.begin(), menu.end());
    EXPECT_EQ(std::adjacent_find(menu.begin(), menu.end()), menu.end()) << "a menu entry visited twice";
}

} // namespace
} // namespace kelvor::hearing
