#pragma once
// The window of kept tests: the tests newest first, one of them chosen to be drawn on the charts beside
// the current test, and what changed in it against the first and the previous test of its profile.
// Opened from the options menu; reading the folder happens at every opening, so a test saved meanwhile
// is there.
#include <functional>
#include <optional>
#include <vector>

#include "core/chart/charts.h"
#include "core/common/commands.h"
#include "core/common/control_state.h"
#include "core/history/kept_tests.h"
#include "core/host/profile_store.h"

namespace kelvor::history {

struct KeptTestsControls {
    Control Kept_Tests_Form{"Kept_Tests_Form"}; // the window: its caption and first size
    Control Kept_Intro{"Kept_Intro"};
    TableControl Kept_List{"Kept_List"}; // "none" first, then the tests newest first
    TextControl Kept_Change{"Kept_Change"};
    Control Kept_Close{"Kept_Close"};

    template <class F> void for_each(F&& f) {
        f(Kept_Tests_Form), f(Kept_Intro), f(Kept_List), f(Kept_Change), f(Kept_Close);
    }
};

struct KeptTestsServices {
    host::ProfileStore& folder;
    const hearing::TestState& state; // whether a profile is chosen now
    chart::Charts& charts;
    std::function<void()> redraw; // both charts at the window's size
};

class KeptTestsWindow {
  public:
    explicit KeptTestsWindow(const KeptTestsServices& services);

    KeptTestsControls& controls() { return c_; }
    const KeptTests& kept() const { return kept_; }

    // Reads the folder and shows the window; the test drawn before stays chosen while it is still there.
    void show();
    // 0: none, the charts show the current test only; 1...: the kept tests, newest first.
    void Kept_ListChoose(int row);
    // Closing takes the drawn test off the charts: its legend would be left without its window.
    void Kept_CloseClick();
    void FormClose() { Kept_CloseClick(); }
    // Captions, column headings and rows in the main window's language from now on.
    void use_language(bool german);

  private:
    void fill();
    void draw_chosen();
    // The index into kept_.tests (oldest first) of a row; nothing for the "none" row.
    std::optional<std::size_t> test_of(int row) const;

    KeptTestsServices s_;
    KeptTestsControls c_;
    KeptTests kept_;
    bool german_ = false;
};

CommandTable kept_tests_commands(KeptTestsWindow& window);

} // namespace kelvor::history
