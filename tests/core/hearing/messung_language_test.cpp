// The language switch and the help pages: captions, the chart words, the memos, the test returning to idle,
// and the order in which a web page is tried.
#include <gtest/gtest.h>

#include "support/messung_rig.h"

namespace kelvor::hearing {
namespace {

using testing::MessungRig;
using Calls = std::vector<std::string>;

struct StartedRig : MessungRig {
    StartedRig() {
        m.FormCreate(623, 404);
        log.take();
    }
};

TEST(Language, SwitchAppliesTheTableRedrawsTheChartsShowsTheMemoAndReturnsToIdle) {
    struct Case {
        bool german;
        const char* clear_li;
        const char* menu;
        const char* messung;
        int messung_left;
        const char* dialog;
    };
    const Case cases[] = {
        {true, "neu li", "Messwerte", "Messung", 10, "use_language de"},
        {false, "clear l", "Chart", "Data logging", 2, "use_language en"},
    };
    for (const Case& k : cases) {
        StartedRig rig;
        rig.state.test_started = true;
        set_result_entry(rig.state.results_li, 10, 1000, 20);
        if (k.german)
            rig.m.Deutsch1Click();
        else
            rig.m.English1Click();
        EXPECT_EQ(rig.log.take(), (Calls{k.dialog, "clear_chart L 22", "draw_line L MessWerte li",
                                         "clear_chart R 22", "draw_line R MessWerte re", "silence"}));
        EXPECT_EQ(rig.c.clear_li.caption, k.clear_li);
        EXPECT_EQ(rig.c.menu.MessMenu.caption, k.menu);
        EXPECT_EQ(rig.c.Messung_.caption, k.messung);
        EXPECT_EQ(rig.c.Messung_.bounds.left, k.messung_left);
        // A slot listed for two items goes to both.
        EXPECT_EQ(rig.c.menu.anzeigen1.caption, rig.c.menu.anzeigen2.caption);
        EXPECT_EQ(rig.c.Memo1_D.visible, k.german);
        EXPECT_EQ(rig.c.Memo1_E.visible, !k.german);
        EXPECT_FALSE(rig.state.test_started);
        EXPECT_EQ(rig.languages.german(), k.german);
        // The charts read their words from the current table, which now holds the new language.
        EXPECT_EQ(rig.chart.texts, &rig.languages.current());
        EXPECT_EQ((*rig.chart.texts)[10], k.german ? "Ohr" : "Ear");
    }
}

TEST(Language, IdleTimerBlinksStartAfterTheSwitch) {
    StartedRig rig;
    rig.files.read_write.insert("Kelvor.dat");
    rig.m.StartClick();
    rig.m.Deutsch1Click();
    rig.log.take();
    rig.timers.advance(timer1_interval_ms);
    EXPECT_EQ(rig.c.Start.caption, "");
    EXPECT_FALSE(rig.log.contains("tone_pulse"));
    EXPECT_EQ(rig.c.ok_select.caption, "ok. erkannt");
}

TEST(Language, SwitchingWhileIdleLeavesTheToneAlone) {
    StartedRig rig;
    rig.m.English1Click();
    EXPECT_FALSE(rig.log.contains("silence"));
}

TEST(HelpPages, TheRegisteredHandlerComesFirstThenBrowsersThenTheMessage) {
    struct Case {
        bool handler;
        std::set<std::string> programs;
        std::size_t attempts;
        bool message;
    };
    const Case cases[] = {
        {true, {}, 1, false},
        {false, {"x-www-browser"}, 2, false},
        {false, {"chromium"}, 4, false},
        {false, {}, 4, true},
    };
    for (const Case& k : cases) {
        StartedRig rig;
        rig.browser.handler_works = k.handler;
        rig.browser.working_programs = k.programs;
        rig.m.WWWHomepage1Click();
        const Calls all{"handler http:\\\\www.kelvor.example\\kelvor_en.html",
                        "x-www-browser http:\\\\www.kelvor.example\\kelvor_en.html",
                        "firefox http:\\\\www.kelvor.example\\kelvor_en.html",
                        "chromium http:\\\\www.kelvor.example\\kelvor_en.html"};
        EXPECT_EQ(rig.browser.attempts, Calls(all.begin(), all.begin() + long(k.attempts)));
        EXPECT_EQ(rig.dialogs.shown,
                  k.message ? Calls{"Browser not found or Internet not accessible"} : Calls{});
    }
}

TEST(HelpPages, GermanPageAfterTheSwitchAndTheDriverPageAfterItsNotice) {
    StartedRig rig;
    rig.m.Deutsch1Click();
    rig.m.WWWHomepage1Click();
    EXPECT_EQ(rig.browser.attempts.front(), "handler http:\\\\www.kelvor.example\\kelvor_de.html");
    EXPECT_EQ(rig.dialogs.shown.back(), "Browser nicht gefunden oder Internetzugang nicht möglich");

    rig.browser.attempts.clear();
    rig.dialogs.shown.clear();
    Calls attempts_when_notice_shown;
    rig.dialogs.while_open = [&] {
        if (rig.dialogs.shown.size() == 1) attempts_when_notice_shown = rig.browser.attempts;
    };
    rig.browser.handler_works = true;
    rig.m.downloadPortDrivers1Click();
    EXPECT_EQ(rig.dialogs.shown, Calls{"Please register used Port Drivers as required !"});
    EXPECT_TRUE(attempts_when_notice_shown.empty());
    EXPECT_EQ(rig.browser.attempts, Calls{"handler http://www.kelvor.example/kelvor_de.html#PortDriver"});
}

} // namespace
} // namespace kelvor::hearing
