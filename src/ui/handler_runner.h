#pragma once
// Runs the core's handlers for the user's events and for the timers. Each handler runs inside the tone
// output's handler scope, so a port failure box never opens between two of its port writes; afterwards every
// window copies its control state into its widgets (a handler of one window may change another's).
#include <functional>
#include <vector>

namespace kelvor::tone {
class ToneOutput;
}

namespace kelvor::ui {

class HandlerRunner {
  public:
    // `tone` may be null where no tone output exists (tests of a single window).
    explicit HandlerRunner(tone::ToneOutput* tone = nullptr) : tone_(tone) {}
    // The program makes the runner before its tone output, which needs the message boxes.
    void set_tone(tone::ToneOutput* tone) { tone_ = tone; }

    // A window's mirror: copies its control state into its widgets. Windows live as long as the runner.
    void add_view(std::function<void()> sync) { views_.push_back(std::move(sync)); }

    void run(const std::function<void()>& handler);
    // Every window's mirror, now (also before a modal box opens, so the screen shows the current state).
    void sync_views();

  private:
    tone::ToneOutput* tone_;
    std::vector<std::function<void()>> views_;
};

} // namespace kelvor::ui
