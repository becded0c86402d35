// The confirmed threshold through the main window's timers and its "ok. detected" button: the rules on
// scripted presses, and the figures of whole tests by simulated listeners.
#include <gtest/gtest.h>

#include "core/profile/profile.h"
#include "core/results/exports.h"
#include "core/results/printed_report.h"
#include "core/results/text_report.h"
#include "core/settings/parameter.h"
#include "support/parameter_rig.h"
#include "support/simulated_listener.h"

namespace kelvor::hearing {
namespace {

using testing::MessungRig;

constexpr int in_pause = -1;    // a press while all is silent
constexpr int first_burst = -2; // a press while the ascent is still at its first level

// Lets time pass until the script's press can happen, then presses.
void press(MessungRig& rig, int what) {
    const ConfirmedProcedure& p = rig.m.confirmed();
    for (int step = 0; step < 2000; ++step) {
        const bool sounding = p.active() && !p.silent();
        if (what == in_pause ? p.silent() : sounding && (what == first_burst || rig.state.test_level == what))
            break;
        rig.timers.advance(100);
    }
    rig.m.db_select();
}

TEST(ConfirmedThreshold, RulesOnScriptedPresses) {
    const struct {
        const char* name;
        std::vector<int> at_8k, at_6k;
        int want_8k;
        bool uncertain;
        int want_6k_start; // where the first ascent of 6 kHz starts (or, with presses there, the threshold)
        int false_alarms;
    } cases[] = {
        {"two presses at one level", {20, 20}, {}, 20, false, 10, 0},
        {"one step apart agree, the higher counts", {20, 22}, {}, 22, false, 12, 0},
        {"a later press agrees with an earlier", {24, 30, 26}, {}, 26, false, 16, 0},
        {"no two agree in five ascents: the median, uncertain", {10, 16, 22, 28, 34}, {}, 22, true, 12, 0},
        {"the drop stops at 0 dB", {4, 2}, {}, 4, false, 0, 0},
        {"at 0 dB a press at the first burst counts", {first_burst, first_burst}, {}, 0, false, 0, 0},
        {"presses in silence record nothing", {in_pause, 20, in_pause, in_pause, 20}, {}, 20, false, 10, 3},
        {"a first-burst press drops again before rising", {30, 30}, {first_burst, 24, 24}, 30, false, 24, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MessungRig rig;
        rig.state.confirm_thresholds = true;
        rig.start_running();
        rig.timers.advance(timer1_interval_ms); // the first tick begins the procedure
        for (int what : c.at_8k)
            press(rig, what);
        EXPECT_EQ(rig.state.results_li.entries[freq_to_index(8000)].level, c.want_8k);
        EXPECT_EQ(rig.m.confirmed().uncertain_at(8000), c.uncertain);
        EXPECT_EQ(rig.state.test_freq, 6000);
        EXPECT_EQ(rig.m.confirmed().ear().false_alarms, c.false_alarms);
        if (c.at_6k.empty()) {
            EXPECT_EQ(rig.state.test_level, c.want_6k_start);
            EXPECT_TRUE(rig.m.confirmed().silent()); // each frequency begins with a pause
        }
        for (int what : c.at_6k)
            press(rig, what);
        if (!c.at_6k.empty()) {
            EXPECT_EQ(rig.state.results_li.entries[freq_to_index(6000)].level, c.want_6k_start);
        }
    }
}

// Whole two-ear tests by simulated listeners, one row per seed. A steady listener's thresholds come out
// within 10 dB of the truth (nearly all within 5) in about five minutes per ear and the verdict trusts
// them; a listener who presses at random five times a minute is not trusted.
TEST(ConfirmedThreshold, SimulatedListenersGetTrueThresholdsAndFittingVerdicts) {
    const struct {
        std::uint32_t seed;
        double stray_per_min;
        double base_db;
    } cases[] = {{1, 0.0, 5}, {2, 0.0, 30}, {5, 0.5, 18}, {3, 5.0, 12}, {4, 5.0, 35}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seed);
        const testing::Audiogram truth = [&c](std::int8_t ear, std::uint16_t f) {
            return c.base_db + (ear == ear_left ? 0 : 3) + freq_to_index(f) % 5;
        };
        testing::ListenerSession s(true, {.stray_per_min = c.stray_per_min}, truth, c.seed);
        const double minutes = s.run() / 60000.0;
        ASSERT_TRUE(s.state.on_hold);
        const bool steady = c.stray_per_min < 1;
        int within_5 = 0;
        for (std::int8_t ear : {ear_left, ear_right}) {
            const TEarResult& r = ear == ear_left ? s.state.results_li : s.state.results_re;
            for (std::uint16_t f : {8000, 6000, 4000, 3000, 2000, 1500, 1000, 750, 500, 250, 125}) {
                const double error = std::abs(r.entries[freq_to_index(f)].level - truth(ear, f));
                EXPECT_TRUE(!steady || error <= 10) << f << ": " << error;
                within_5 += error <= 5;
            }
            ASSERT_TRUE(s.m.ear_reliability(ear).has_value());
            EXPECT_EQ(s.m.ear_reliability(ear)->verdict() == Verdict::reliable, steady) << int(ear);
        }
        // Done: the status bar keeps both verdicts while the test holds.
        s.timers.advance(10000);
        EXPECT_EQ(s.m.controls().StatusBar1.caption.find(steady ? "Left ear: reliable" : "Left ear: "), 0u);
        EXPECT_NE(s.m.controls().StatusBar1.caption.find("; Right ear: "), std::string::npos);
        results::ReportOffsets offsets;
        EXPECT_NE(results::text_report(s.state, offsets).find("\r\nRight ear: "), std::string::npos);
        EXPECT_NE(results::results_csv(s.state, s.state.normals).find(",reliability\r\nleft,"),
                  std::string::npos);
        EXPECT_NE(results::fhir_bundle(s.state, s.state.normals, {}).find("\"Left ear: "), std::string::npos);
        testing::FakePrintJob job;
        results::print_report(s.state, {}, job, offsets);
        EXPECT_EQ(job.texts.at(6).text.find("Right ear: "),
                  0u); // after the header, the footer and the left ear
        if (steady) {
            EXPECT_GE(within_5, 21); // of 22
            EXPECT_LE(minutes, 2 * 5.5);
        }
    }
}

// The settings dialog's box: unchecked at start, in both languages, its one command setting the option.
TEST(ConfirmedThreshold, TheDialogsBoxSetsTheOption) {
    testing::ParameterRig r;
    EXPECT_FALSE(r.c.Confirm_Thresholds.checked);
    for (const bool german : {true, false}) {
        r.p.use_language(german);
        EXPECT_EQ(r.c.Confirm_Thresholds.caption,
                  german ? "Jede Schwelle bestätigen" : "Confirm each threshold");
    }
    const CommandTable table = settings::test_option_commands(r.p);
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table[0].control, &r.c.Confirm_Thresholds);
    for (const bool checked : {true, false}) {
        table[0].run(checked ? 1 : 0);
        EXPECT_EQ(r.state.confirm_thresholds, checked);
    }
    // A profile's reference run made with the other setting says so at Start.
    profile::Conditions with;
    with.confirm_thresholds = true;
    EXPECT_EQ(profile::compare_conditions({}, with),
              std::vector<std::string>{"confirm each threshold: off -> on"});
}

} // namespace
} // namespace kelvor::hearing
