#pragma once
// Recording fakes of the seams the test procedure calls: tone output, the two charts and the output
// settings dialog's choices. Calls are recorded as short texts, e.g. "set_level 0", "clear_chart L 22",
// "draw_line R MessWerte re", "draw_mark L 22"; ears are written L and R.
#include <cstdio>
#include <string>

#include "core/hearing/test_seams.h"
#include "core/hearing/test_state.h"
#include "support/call_log.h"

namespace kelvor::testing {

inline std::string ear_text(std::int8_t ear) {
    return ear == hearing::ear_left ? "L" : "R";
}

// Records into a shared log when given one, otherwise into its own.
class Recorder {
  public:
    explicit Recorder(CallLog* shared) : log(shared ? shared : &own_) {}
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;
    CallLog* log;

  private:
    CallLog own_;
};

class FakeTone : public hearing::ToneControl, public Recorder {
  public:
    explicit FakeTone(CallLog* shared = nullptr) : Recorder(shared) {}
    void set_level(std::int8_t level_db) override {
        level = level_db;
        log->add("set_level " + std::to_string(level_db));
    }
    void set_frequency(std::uint16_t freq_hz) override {
        freq = freq_hz;
        log->add("set_frequency " + std::to_string(freq_hz));
    }
    void tone_pulse() override { log->add("tone_pulse"); }
    void play_wave() override { log->add("play_wave"); }
    bool data_stream_method() const override { return data_stream; }

    bool data_stream = false;
    int level = -1; // last values sent
    int freq = -1;
};

class FakeChart : public hearing::ChartControl, public Recorder {
  public:
    explicit FakeChart(CallLog* shared = nullptr) : Recorder(shared) {}
    void clear_chart(std::int8_t ear, int index_max) override {
        log->add("clear_chart " + ear_text(ear) + " " + std::to_string(index_max));
    }
    void draw_line(std::int8_t ear, const hearing::TEarResult& record, Rgb colour) override {
        log->add("draw_line " + ear_text(ear) + " " + record.name +
                 (colour == colours::blue ? "" : " (not blue)"));
    }
    void draw_mark(std::int8_t ear, std::uint8_t index) override { mark("draw_mark", ear, index); }
    void draw_mark_centre(std::int8_t ear, std::uint8_t index) override {
        mark("draw_mark_centre", ear, index);
    }
    void erase_mark(std::int8_t ear, std::uint8_t index) override { mark("erase_mark", ear, index); }
    void set_freq_axis(double ln_f_min, double ln_f_max) override {
        axis_min = ln_f_min;
        axis_max = ln_f_max;
        log->add("set_freq_axis");
    }

    double axis_min = 0;
    double axis_max = 0;

  private:
    void mark(const char* what, std::int8_t ear, std::uint8_t index) {
        log->add(std::string(what) + " " + ear_text(ear) + " " + std::to_string(index));
    }
};

struct FakeSettingsQuery : hearing::SettingsQuery {
    bool nt_family_selected() const override { return nt_family; }
    bool data_stream_selected() const override { return data_stream; }
    bool nt_family = false;
    bool data_stream = false;
};

} // namespace kelvor::testing
