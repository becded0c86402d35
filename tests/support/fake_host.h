#pragma once
// Host fakes: a manual clock with the two kinds of timers driven from it, a message box recorder that can
// let timers run while it is open, and a print job recorder.
#include <functional>
#include <string>
#include <vector>

#include <set>

#include "core/host/browser.h"
#include "core/host/clock.h"
#include "core/host/dialogs.h"
#include "core/host/files.h"
#include "core/host/print_job.h"

namespace kelvor::testing {

class ManualClock : public host::Clock {
  public:
    double now_ms() override { return now; }
    void advance(double ms) { now += ms; }
    double now = 0;
};

// Interval timers fired from a manual clock in time order (ties in the order they were added). As with
// the real event loop, a timer whose handler is still running is not fired again from inside it (a
// message box opened in its handler freezes it, the others keep going); when it comes back overdue it
// fires once and then keeps its interval from there.
class ManualTimers {
  public:
    explicit ManualTimers(ManualClock& clock) : clock_(clock) {}

    void add(double interval_ms, std::function<void()> tick) {
        timers_.push_back({interval_ms, clock_.now + interval_ms, std::move(tick), false});
    }

    // Lets `ms` of time pass, running every tick that falls due.
    void advance(double ms) {
        const double end = clock_.now + ms;
        for (;;) {
            Timer* next = nullptr;
            for (Timer& t : timers_)
                if (!t.running && t.due <= end && (!next || t.due < next->due)) next = &t;
            if (!next) break;
            if (next->due > clock_.now) clock_.now = next->due;
            next->due += next->interval;
            if (next->due <= clock_.now) next->due = clock_.now + next->interval;
            next->running = true;
            next->tick();
            next->running = false;
        }
        if (end > clock_.now) clock_.now = end;
    }

  private:
    struct Timer {
        double interval;
        double due;
        std::function<void()> tick;
        bool running;
    };
    ManualClock& clock_;
    std::vector<Timer> timers_;
};

class FakeDialogs : public host::Dialogs {
  public:
    void message_box(const std::string& text) override {
        shown.push_back(text);
        if (while_open) while_open(); // e.g. let the timers run, as they do under a real modal box
    }
    std::vector<std::string> shown;
    std::function<void()> while_open;
};

class FakePrintJob : public host::PrintJob {
  public:
    struct Text {
        int x, y;
        std::string text;
        friend bool operator==(const Text&, const Text&) = default;
    };
    bool begin_document(const std::string& title) override {
        titles.push_back(title);
        return can_begin;
    }
    void text_out(int x, int y, const std::string& text) override { texts.push_back({x, y, text}); }
    void stretch_picture(int left, int top, int right, int bottom, const host::PrintPicture&) override {
        pictures.push_back({left, top, right, bottom});
    }
    void end_document() override { ++ended; }

    bool can_begin = true;
    std::vector<std::string> titles;
    std::vector<Text> texts;
    std::vector<std::vector<int>> pictures;
    int ended = 0;
};

// The working folder: which names the Start probe finds readable and writable.
class FakeFiles : public host::Files {
  public:
    bool can_open_read_write(const std::string& name) override {
        probed.push_back(name);
        return read_write.count(name) > 0;
    }
    std::set<std::string> read_write;
    std::vector<std::string> probed;
};

// Records each attempt as "handler <address>" or "<program> <address>"; succeeds where told to.
class FakeBrowser : public host::Browser {
  public:
    bool open_with_handler(const std::string& address) override {
        attempts.push_back("handler " + address);
        return handler_works;
    }
    bool start_program(const std::string& program, const std::string& address) override {
        attempts.push_back(program + " " + address);
        return working_programs.count(program) > 0;
    }
    bool handler_works = false;
    std::set<std::string> working_programs;
    std::vector<std::string> attempts;
};

} // namespace kelvor::testing
