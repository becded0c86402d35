#pragma once
// Recording fakes of the seams the test procedure calls: tone output, the two charts and the output
// settings dialog's choices. Calls are recorded as short texts, e.g. "set_level 0", "clear_chart L 22",
// "draw_line R MessWerte re", "draw_mark L 22"; ears are written L and R.
#include <cstdio>
#include <string>

#include "core/hearing/test_seams.h"
#include "core/hearing/test_state.h"
#include "core/settings/language_tables.h"
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
    bool Soundcard_present() override {
        log->add("Soundcard_present");
        return present;
    }
    void start_tone() override { log->add("start_tone"); }
    void OPL2_aus() override { log->add("OPL2_aus"); }
    void speaker_off() override { log->add("speaker_off"); }
    void free_waves() override { log->add("free_waves"); }
    void silence() override { log->add("silence"); }
    void set_port_driver(port::TSmallPort* driver) override {
        port_driver = driver;
        log->add("set_port_driver");
    }
    port::TSmallPort* port_driver = nullptr;

    bool data_stream = false;
    bool present = true;
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
    void init_Graph_var() override { log->add("init_Graph_var"); }
    void use_texts(const settings::TextTable* table) override {
        texts = table;
        log->add(table ? "use_texts " + (*table)[10] : "use_texts none");
    }
    const settings::TextTable* texts = nullptr;
    void set_chart_size(double chart_scale, int width, int height) override {
        scale = chart_scale;
        log->add("set_chart_size " + std::to_string(width) + "x" + std::to_string(height));
    }

    double axis_min = 0;
    double axis_max = 0;
    double scale = 0;

  private:
    void mark(const char* what, std::int8_t ear, std::uint8_t index) {
        log->add(std::string(what) + " " + ear_text(ear) + " " + std::to_string(index));
    }
};

// The output settings dialog: answers the range switching's questions and records what the main window
// asks of it ("nt_layout", "menu_captions Ausgabegerät:", "use_language de", "show", ...).
class FakeSettingsDialog : public hearing::SettingsDialog, public Recorder {
  public:
    explicit FakeSettingsDialog(CallLog* shared = nullptr) : Recorder(shared) {}
    bool nt_family_selected() const override { return nt_family; }
    bool data_stream_selected() const override { return data_stream; }
    void nt_layout() override { log->add("nt_layout"); }
    void win9x_layout() override { log->add("win9x_layout"); }
    void disable_port_group() override { log->add("disable_port_group"); }
    void set_menu_captions(const settings::TextTable& table) override {
        log->add("menu_captions " + table[43]);
    }
    void use_language(bool german) override { log->add(german ? "use_language de" : "use_language en"); }
    void show() override { log->add("show_dialog"); }
    void use_main_window(hearing::MainWindowRange&) override {}

    bool nt_family = false;
    bool data_stream = false;
};
using FakeSettingsQuery = FakeSettingsDialog;

} // namespace kelvor::testing
