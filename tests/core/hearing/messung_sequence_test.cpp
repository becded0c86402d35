// The automatic walk over frequencies and ears, driven only by the two timers' tick handlers.
#include <functional>
#include <gtest/gtest.h>
#include <ostream>
#include <utility>
#include <vector>

#include "support/messung_rig.h"

namespace kelvor::hearing {
namespace {

using testing::MessungRig;

using Visit = std::pair<std::int8_t, std::uint16_t>; // ear, frequency

const std::vector<std::uint16_t> normal_walk{8000, 6000, 4000, 3000, 2000, 1500, 1000, 750, 500, 250, 125};

std::vector<std::uint16_t> extended_walk() {
    std::vector<std::uint16_t> walk{16000, 12000, 10000};
    walk.insert(walk.end(), normal_walk.begin(), normal_walk.end());
    walk.push_back(75);
    return walk;
}

std::vector<Visit> both_ears(const std::vector<std::uint16_t>& walk) {
    std::vector<Visit> visits;
    for (std::int8_t ear : {ear_left, ear_right})
        for (std::uint16_t f : walk)
            visits.emplace_back(ear, f);
    return visits;
}

// Lets time pass in tone-timer steps; a listener who hears each frequency from `threshold(f)` on presses
// "ok. detected" at the first step that finds the level there. Returns the (ear, frequency) pairs in the
// order the test visited them, and stops once the run is on hold.
std::vector<Visit> run_until_hold(MessungRig& rig, const std::function<int(std::uint16_t)>& threshold,
                                  double limit_ms = 4e6) {
    std::vector<Visit> visits{{rig.state.cur_ear, rig.state.test_freq}};
    const double end = rig.clock.now + limit_ms;
    while (!rig.state.on_hold && rig.clock.now < end) {
        rig.timers.advance(timer1_interval_ms);
        if (!rig.state.on_hold && rig.state.test_level >= threshold(rig.state.test_freq)) rig.m.db_select();
        const Visit now{rig.state.cur_ear, rig.state.test_freq};
        if (now != visits.back()) visits.push_back(now);
    }
    return visits;
}

int never(std::uint16_t) {
    return 1000;
}

void enable_extended(MessungRig& rig) {
    rig.c.f_extended.checked = true;
    rig.m.f_extendedClick();
}

struct WalkCase {
    const char* name;
    bool extended;
    std::vector<std::uint16_t> walk;
};

// Names the case in test output instead of a dump of its bytes.
void PrintTo(const WalkCase& c, std::ostream* os) {
    *os << c.name;
}

class AutomaticWalk : public ::testing::TestWithParam<WalkCase> {};

TEST_P(AutomaticWalk, UnheardToneRecords48AtEveryFrequencyOfBothEarsAndHoldsAtTheEnd) {
    MessungRig rig;
    if (GetParam().extended) enable_extended(rig);
    rig.start_running();

    EXPECT_EQ(run_until_hold(rig, never), both_ears(GetParam().walk));

    for (const TEarResult* record : {&rig.state.results_li, &rig.state.results_re}) {
        int filled = 0;
        for (int i = 0; i <= freq_index_count; ++i)
            filled += record->entries[i].flag == 1;
        EXPECT_EQ(filled, int(GetParam().walk.size()));
        for (std::uint16_t f : GetParam().walk) {
            const TEarEntry& e = record->entries[freq_to_index(f)];
            EXPECT_EQ(e.flag, 1) << f;
            EXPECT_EQ(e.freq, f);
            EXPECT_EQ(e.level, 48);
        }
    }
    // Complete: right ear at the bottom, on hold, no more rise; the button offers "continue".
    EXPECT_EQ(rig.state.cur_ear, ear_right);
    EXPECT_EQ(rig.state.test_freq, GetParam().walk.back());
    EXPECT_EQ(rig.state.test_level, 48);
    rig.timers.advance(10 * timer2_interval_ms);
    EXPECT_EQ(rig.state.test_level, 48);
    EXPECT_EQ(rig.state.test_freq, GetParam().walk.back());
    EXPECT_TRUE(rig.c.Noise_on.checked || rig.c.ok_select.caption == "continue");
    if (rig.c.Noise_on.checked) rig.timers.advance(timer1_interval_ms);
    EXPECT_EQ(rig.c.ok_select.caption, "continue");
    // "continue" resumes the rise at the bottom of the right ear.
    rig.m.db_select();
    EXPECT_FALSE(rig.state.on_hold);
    rig.state.test_level = 0;
    rig.timers.advance(timer2_interval_ms);
    EXPECT_EQ(rig.state.test_level, 2);
    EXPECT_EQ(rig.state.test_freq, GetParam().walk.back());
}

TEST_P(AutomaticWalk, DetectionsRecordTheLevelHeardAndMoveOnAtZeroDb) {
    MessungRig rig;
    if (GetParam().extended) enable_extended(rig);
    rig.start_running();
    auto threshold = [](std::uint16_t f) { return 2 * (freq_to_index(f) % 7) + 4; };

    EXPECT_EQ(run_until_hold(rig, threshold), both_ears(GetParam().walk));
    for (const TEarResult* record : {&rig.state.results_li, &rig.state.results_re})
        for (std::uint16_t f : GetParam().walk)
            EXPECT_EQ(record->entries[freq_to_index(f)].level, threshold(f)) << f;
    EXPECT_TRUE(rig.state.on_hold);
    EXPECT_TRUE(rig.c.Test_db.visible);
}

INSTANTIATE_TEST_SUITE_P(Ranges, AutomaticWalk,
                         ::testing::Values(WalkCase{"normal", false, normal_walk},
                                           WalkCase{"extended", true, extended_walk()}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AutomaticRun, TopLevelIsHeldForOneFullTickBeforeItIsRecorded) {
    MessungRig rig;
    rig.start_running();
    for (int tick = 1; tick <= 24; ++tick) {
        rig.timers.advance(timer2_interval_ms);
        ASSERT_EQ(rig.state.test_level, 2 * tick);
    }
    EXPECT_DOUBLE_EQ(rig.clock.now, 43200);
    EXPECT_EQ(rig.state.test_freq, 8000);
    EXPECT_EQ(rig.state.results_li.entries[22].flag, -1);

    rig.log.take();
    rig.m.Timer2Timer();
    EXPECT_EQ(rig.state.results_li.entries[22].flag, 1);
    EXPECT_EQ(rig.state.results_li.entries[22].level, 48);
    EXPECT_EQ(rig.state.test_freq, 6000);
    EXPECT_EQ(rig.state.test_level, 0);
    EXPECT_FALSE(rig.state.on_hold);
    // Recorded, drawn, then the step down at 0 dB; the closing level set repeats the 0 dB.
    EXPECT_EQ(rig.log.take(),
              (std::vector<std::string>{"draw_line L MessWerte li", "draw_line R MessWerte re", "set_level 0",
                                        "set_frequency 6000", "set_level 0"}));
}

TEST(AutomaticRun, DetectionAtTheBottomOfTheLeftEarSwitchesToTheRightEar) {
    MessungRig rig;
    rig.start_running();
    rig.m.min1Click();
    rig.state.test_level = 20;
    rig.m.db_select();
    EXPECT_EQ(rig.state.results_li.entries[2].level, 20);
    EXPECT_EQ(rig.state.cur_ear, ear_right);
    EXPECT_EQ(rig.state.test_freq, 8000);
    EXPECT_EQ(rig.state.test_level, 0);
    EXPECT_FALSE(rig.state.on_hold);
    EXPECT_TRUE(rig.c.F_Leiste_re.visible);
    EXPECT_FALSE(rig.c.F_Leiste_li.visible);
    EXPECT_TRUE(rig.c.Ohr_gif_re.visible);
    EXPECT_FALSE(rig.c.Ohr_gif_li.visible);
}

// A coarse walk from an odd index ends one position below the normal range (175 Hz -> 75 Hz). The run
// records there once and finishes the ear, instead of recording at 75 Hz for ever.
TEST(AutomaticRun, WalkFromAnOddIndexEndsTheEarBelowTheRange) {
    MessungRig rig;
    rig.start_running();
    rig.m.F_Leiste_liChange(13); // 1750 Hz
    const std::vector<std::uint16_t> odd_walk{1750, 1250, 875, 625, 375, 175, 75};
    std::vector<Visit> expected;
    for (std::uint16_t f : odd_walk)
        expected.emplace_back(ear_left, f);
    for (std::uint16_t f : normal_walk)
        expected.emplace_back(ear_right, f);
    EXPECT_EQ(run_until_hold(rig, never), expected);
    EXPECT_EQ(rig.state.results_li.entries[1].level, 48);

    // The same on the right ear: the run completes on hold at 75 Hz.
    MessungRig right;
    right.start_running();
    right.m.Messung_reClick();
    right.m.F_Leiste_reChange(5); // 375 Hz
    auto visits = run_until_hold(right, [](std::uint16_t) { return 6; });
    EXPECT_EQ(visits, (std::vector<Visit>{{ear_right, 375}, {ear_right, 175}, {ear_right, 75}}));
    EXPECT_TRUE(right.state.on_hold);
    EXPECT_EQ(right.state.results_re.entries[1].level, 6);
}

TEST(AutomaticRun, WholeTwoEarRunIsFastWhenDrivenByTicks) {
    // 22 frequencies held for 25 rises each: about 16 minutes of test time, over 2,000 tone ticks.
    MessungRig rig;
    rig.start_running();
    run_until_hold(rig, never);
    EXPECT_GT(rig.clock.now, 22 * 25 * timer2_interval_ms - timer2_interval_ms);
    EXPECT_GT(rig.log.count("tone_pulse"), 2000);
}

// A modal message box lets the timers run while it is open; the timer whose handler opened it is frozen.
TEST(Timers, MessageBoxOpenedInATickKeepsTheOtherTimerRunning) {
    MessungRig rig;
    rig.start_running();
    testing::FakeDialogs dialogs;
    testing::ManualTimers timers(rig.clock); // drives the window here instead of the rig's own timers
    dialogs.while_open = [&] { timers.advance(5 * timer2_interval_ms); };
    int level_ticks = 0;
    timers.add(timer1_interval_ms, [&] { rig.m.Ton_on_off(); });
    timers.add(timer2_interval_ms, [&] {
        rig.m.Timer2Timer();
        if (++level_ticks == 1) dialogs.message_box("box");
    });
    timers.advance(timer2_interval_ms);
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(rig.state.test_level, 2);         // the level timer stood still while its box was open
    EXPECT_GE(rig.log.count("tone_pulse"), 25); // the tone timer went on pulsing
    timers.advance(timer2_interval_ms);
    EXPECT_EQ(rig.state.test_level, 6); // overdue once, then on its interval again
}

} // namespace
} // namespace kelvor::hearing
