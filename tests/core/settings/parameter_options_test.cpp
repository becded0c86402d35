// The two output options of the settings dialog: off at start, their words in both languages, routing
// not offered where it cannot reach the output, and each click reaching the output.
#include <gtest/gtest.h>

#include "support/parameter_rig.h"

namespace kelvor::settings {
namespace {

using testing::ParameterRig;

TEST(ParameterOptions, UncheckedAtStartAndFollowingTheLanguage) {
    ParameterRig r;
    EXPECT_FALSE(r.c.Ear_Routing.checked);
    EXPECT_FALSE(r.c.Soft_Onset.checked);
    EXPECT_TRUE(r.c.Ear_Routing.enabled);
    EXPECT_TRUE(r.c.Soft_Onset.enabled);
    EXPECT_TRUE(r.routing.log->calls.empty()) << "nothing is told before the user chooses";

    const struct {
        bool german;
        const char* ear_routing;
        const char* soft_onset;
        const char* routing_hint_word; // a word of each hint in its language
        const char* soft_hint_word;
    } languages[] = {
        {true, "Ton nur auf dem geprüften Ohr", "Weicher Toneinsatz (20 ms)", "Seite", "Hüllkurve"},
        {false, "Tone to the tested ear only", "Soft tone onsets (20 ms)", "side", "envelope"},
    };
    for (const auto& l : languages) {
        SCOPED_TRACE(l.german ? "German" : "English");
        r.p.use_language(l.german);
        EXPECT_EQ(r.c.Ear_Routing.caption, l.ear_routing);
        EXPECT_EQ(r.c.Soft_Onset.caption, l.soft_onset);
        EXPECT_NE(r.c.Ear_Routing.hint.find(l.routing_hint_word), std::string::npos) << r.c.Ear_Routing.hint;
        EXPECT_NE(r.c.Soft_Onset.hint.find(l.soft_hint_word), std::string::npos) << r.c.Soft_Onset.hint;
    }
}

TEST(ParameterOptions, EachClickTellsTheOutputWhatTheBoxNowSays) {
    ParameterRig r;
    const struct {
        CheckControl* box;
        void (TParameter::*click)();
        bool checked;
        const char* told;
    } clicks[] = {
        {&r.c.Ear_Routing, &TParameter::Ear_RoutingClick, true, "routing on"},
        {&r.c.Soft_Onset, &TParameter::Soft_OnsetClick, true, "soft on"},
        {&r.c.Ear_Routing, &TParameter::Ear_RoutingClick, false, "routing off"},
        {&r.c.Soft_Onset, &TParameter::Soft_OnsetClick, false, "soft off"},
    };
    for (const auto& c : clicks) {
        c.box->checked = c.checked; // as the window sets it before the handler runs
        (r.p.*c.click)();
        EXPECT_EQ(r.routing.log->take(), std::vector<std::string>{c.told}) << c.box->name;
    }
    // Neither option touches the tone paths' own settings.
    EXPECT_EQ(r.out.out_method, tone::meth_stream);
    EXPECT_TRUE(r.ports.writes.empty());
}

TEST(ParameterOptions, WhereRoutingCannotReachTheOutputItsBoxIsGreyedWithTheReason) {
    testing::RecordingRouting routing;
    routing.available = false;
    ParameterRig base;
    TParameter p{{base.state, base.tone, base.system, base.dialogs, &routing}};
    ParameterControls& c = p.controls();
    EXPECT_FALSE(c.Ear_Routing.enabled);
    EXPECT_TRUE(c.Soft_Onset.enabled); // the data stream still plays through the program's output
    EXPECT_EQ(c.Ear_Routing.hint, text_in(Text::ear_routing_unavailable, false));
    p.use_language(true);
    EXPECT_EQ(c.Ear_Routing.hint, text_in(Text::ear_routing_unavailable, true));
    EXPECT_FALSE(c.Ear_Routing.enabled);

    c.Ear_Routing.checked = true;
    p.Ear_RoutingClick();
    EXPECT_FALSE(c.Ear_Routing.checked);
    EXPECT_TRUE(routing.log->calls.empty());
}

} // namespace
} // namespace kelvor::settings
