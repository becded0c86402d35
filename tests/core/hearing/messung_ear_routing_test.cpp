// The main window tells the sound output every change of the ear under test, at the moment it changes:
// with routing on, that is where the tone moves to the other side.
#include <gtest/gtest.h>

#include "support/messung_rig.h"

namespace kelvor::hearing {
namespace {

using testing::MessungRig;

std::string told(std::int8_t ear) {
    return ear == ear_left ? "ear left" : "ear right";
}

TEST(EarRouting, EachCommandThatChoosesAnEarTellsTheOutput) {
    const struct {
        const char* name;
        std::int8_t ear_before;
        void (*command)(MessungRig&);
        std::int8_t ear_after;
    } cases[] = {
        {"start-up", ear_right, [](MessungRig& r) { r.m.FormCreate(623, 404); }, ear_right},
        {"Start", ear_right, [](MessungRig& r) { r.m.StartClick(); }, ear_left},
        {"right ear", ear_left, [](MessungRig& r) { r.m.Messung_reClick(); }, ear_right},
        {"left ear", ear_right, [](MessungRig& r) { r.m.Messung_liClick(); }, ear_left},
        {"new chart", ear_right, [](MessungRig& r) { r.m.neu1Click(); }, ear_left},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MessungRig rig;
        rig.state.cur_ear = c.ear_before;
        c.command(rig);
        EXPECT_EQ(rig.state.cur_ear, c.ear_after);
        EXPECT_EQ(rig.routing.log->calls, std::vector<std::string>{told(c.ear_after)});
    }
}

TEST(EarRouting, TheNewEarIsToldBeforeItsFirstToneIsSet) {
    MessungRig rig;
    rig.start_running();
    testing::CallLog order;
    testing::RecordingRouting routing{&order};
    testing::FakeTone tone{&order};
    TMessung m{rig.services({.tone = &tone, .routing = &routing})};
    m.Messung_reClick();
    ASSERT_FALSE(order.calls.empty());
    EXPECT_EQ(order.calls.front(), "ear right");
    EXPECT_EQ(order.count("ear right"), 1);
    EXPECT_TRUE(order.contains("set_level 0"));
}

// A whole automatic run over both ears: after every tick the output has the ear the test is on, and it
// hears of the switch to the right ear once.
TEST(EarRouting, AnAutomaticRunKeepsTheOutputOnTheEarUnderTest) {
    MessungRig rig;
    rig.start_running();
    rig.routing.log->take();
    for (int tick = 0; tick < 4000 && !rig.state.on_hold; ++tick) {
        rig.timers.advance(timer1_interval_ms);
        // Heard from 20 dB on everywhere: each frequency ends by "ok. detected".
        if (!rig.state.on_hold && rig.state.test_level >= 20) rig.m.db_select();
        if (!rig.routing.log->calls.empty()) {
            ASSERT_EQ(rig.routing.last_ear(), told(rig.state.cur_ear)) << "tick " << tick;
        } else {
            ASSERT_EQ(rig.state.cur_ear, ear_left) << "tick " << tick;
        }
    }
    EXPECT_TRUE(rig.state.on_hold);
    EXPECT_EQ(rig.state.cur_ear, ear_right);
    EXPECT_EQ(rig.routing.log->calls, std::vector<std::string>{"ear right"});
}

} // namespace
} // namespace kelvor::hearing
