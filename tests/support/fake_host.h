#pragma once
// Host fakes: a manual clock with the two kinds of timers driven from it, a message box recorder that can
// let timers run while it is open, a print job recorder, the working folder in memory, a fixed date and
// a window capture of a fixed size, a name prompt.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/chart/canvas.h"
#include "core/common/text_lines.h"
#include "core/host/browser.h"
#include "core/host/calendar.h"
#include "core/host/clock.h"
#include "core/host/dialogs.h"
#include "core/host/files.h"
#include "core/host/name_prompt.h"
#include "core/host/print_job.h"
#include "core/host/window_capture.h"

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
    struct Picture {
        host::PrintRect target;
        const host::PrintPicture* picture;
        host::PrintRect source;
    };
    // What one document held.
    struct Document {
        std::string title;
        std::vector<Text> texts;
        std::vector<Picture> pictures;
    };
    bool begin_document(const std::string& title) override {
        titles.push_back(title);
        if (on_begin) on_begin();
        if (begin_fails_after == 0) return false;
        if (begin_fails_after > 0) --begin_fails_after;
        documents.push_back({title, {}, {}});
        return true;
    }
    int resolution_dpi() const override { return dpi; }
    void text_out(int x, int y, const std::string& text) override {
        texts.push_back({x, y, text});
        if (!documents.empty()) documents.back().texts.push_back({x, y, text});
    }
    void stretch_picture(const host::PrintRect& target, const host::PrintPicture* picture,
                         const host::PrintRect& source) override {
        pictures.push_back({target.left, target.top, target.right, target.bottom});
        if (!documents.empty()) documents.back().pictures.push_back({target, picture, source});
    }
    chart::Canvas* page_canvas() override { return shapes; }
    bool end_document() override {
        ++ended;
        return !end_fails;
    }
    std::string error_text() const override { return error; }

    chart::Canvas* shapes = nullptr; // null: the job draws no shapes, as before

    // -1: every document begins; n: the first n begin, the rest fail.
    int begin_fails_after = -1;
    bool end_fails = false;
    std::string error = "printer error";
    int dpi = 300;
    std::function<void()> on_begin; // e.g. to look at the window while it prints
    std::vector<std::string> titles;
    std::vector<Text> texts;
    std::vector<std::vector<int>> pictures;
    std::vector<Document> documents;
    int ended = 0;
};

// The working folder in memory: file contents by name, with failures to order. The Start probe finds the
// names in `read_write` readable and writable.
class FakeFiles : public host::Files {
  public:
    bool can_open_read_write(const std::string& name) override {
        probed.push_back(name);
        return read_write.count(name) > 0;
    }
    std::unique_ptr<host::LineReader> open_lines(const std::string& name) override {
        opened.push_back(name);
        const auto it = contents.find(name);
        if (it == contents.end() || unreadable.count(name) > 0) return nullptr;
        return std::make_unique<Reader>(it->second, error_after_lines, read_error);
    }
    host::WriteResult replace_file(const std::string& name, const std::string& content) override {
        written.push_back(name);
        if (cannot_create.count(name) > 0)
            return {host::WriteResult::Status::cannot_create, "Permission denied"};
        if (const auto it = write_fails.find(name); it != write_fails.end())
            return {host::WriteResult::Status::failed, it->second};
        contents[name] = content;
        return {};
    }

    std::set<std::string> read_write;
    std::vector<std::string> probed;
    std::map<std::string, std::string> contents;
    std::set<std::string> unreadable;
    std::set<std::string> cannot_create;
    std::map<std::string, std::string> write_fails; // name -> the error a write ends with
    int error_after_lines = -1;                     // >= 0: reading fails after that many lines
    std::string read_error = "Input/output error";
    std::vector<std::string> opened;
    std::vector<std::string> written;

  private:
    class Reader : public host::LineReader {
      public:
        Reader(const std::string& content, int error_after, std::string error)
            : error_after_(error_after), error_(std::move(error)) {
            LineSplitter splitter;
            splitter.feed(content, [this](std::string&& line) { lines_.push_back(std::move(line)); });
            std::string last;
            if (splitter.finish(last)) lines_.push_back(std::move(last));
        }
        Status read_line(std::string& line) override {
            if (error_after_ >= 0 && next_ >= static_cast<std::size_t>(error_after_)) return Status::error;
            if (next_ >= lines_.size()) return Status::end;
            line = lines_[next_++];
            return Status::line;
        }
        std::string error_text() const override { return error_; }

      private:
        std::vector<std::string> lines_;
        std::size_t next_ = 0;
        int error_after_;
        std::string error_;
    };
};

// A fixed date.
class FakeCalendar : public host::Calendar {
  public:
    std::string short_date() override { return date; }
    std::string date_time_iso() override { return date_time; }
    std::string date = "24.06.04";
    std::string date_time = "2004-06-24T10:30:00+02:00";
};

// The window's client area as a fixed size; saving records the name.
class FakeWindowCapture : public host::WindowCapture {
  public:
    host::WindowImage grab_client_area() override {
        ++grabbed;
        return image;
    }
    host::WriteResult save_bmp(const host::WindowImage& saved, const std::string& name) override {
        saved_names.push_back(name);
        saved_width = saved.width;
        return save_result;
    }
    host::WindowImage image{nullptr, 623, 405, 96};
    host::WriteResult save_result;
    int grabbed = 0;
    int saved_width = 0;
    std::vector<std::string> saved_names;
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

// Answers every name prompt with `answer` (nothing: cancelled) and keeps the name each one offered.
class FakeNamePrompt : public host::NamePrompt {
  public:
    std::optional<std::string> ask(host::NamePromptControls& controls) override {
        offered.push_back(controls.name.lines.empty() ? std::string() : controls.name.lines.front());
        return answer;
    }
    std::optional<std::string> answer;
    std::vector<std::string> offered;
};

} // namespace kelvor::testing
