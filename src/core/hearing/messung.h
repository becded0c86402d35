#pragma once
// The main window's measuring logic: level and frequency commands, tone pulsing, the automatic level rise,
// recording thresholds, the walk over frequencies and ears, drawing modes and frequency range switching.
// It acts on the test state and on the control state only; tone output, charts and the output settings
// dialog are reached through the seams, so a test builds a fresh instance over recording fakes.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/chart/window_layout.h"
#include "core/hearing/confirmed_procedure.h"
#include "core/hearing/messung_controls.h"
#include "core/hearing/test_seams.h"
#include "core/hearing/test_state.h"

namespace kelvor::settings {
class Languages;
}
namespace kelvor::diagnostics {
class LogBuffer;
class PortLogRing;
} // namespace kelvor::diagnostics
namespace kelvor::host {
class Browser;
class Dialogs;
class Files;
class OutputRouting;
class SystemInfo;
} // namespace kelvor::host
namespace kelvor::port {
class TSmallPort;
}

namespace kelvor::hearing {

// What the window asks of its own window on the screen.
class WindowHost {
  public:
    virtual ~WindowHost() = default;
    // Closes the window: its close handler runs and the program ends.
    virtual void close() = 0;
};

// What the window logic works with; all owned elsewhere and outliving the window.
struct MessungServices {
    TestState& state;
    ToneControl& tone;
    ChartControl& chart;
    SettingsDialog& settings;
    settings::Languages& languages;
    diagnostics::LogBuffer& sound_log;   // the "SOUND" log, shown by the tone timer
    diagnostics::PortLogRing& port_log;  // the port log memo's lines
    diagnostics::LogBuffer& port_buffer; // the "Port" log
    host::SystemInfo& system;
    host::Dialogs& dialogs;
    host::Files& files;
    host::Browser& browser;
    WindowHost& window;
    // The port driver component the window owns (`Test_Port`); null where no driver is wanted.
    port::TSmallPort* port_driver = nullptr;
    // Told every change of the ear under test; null where the output has no such option.
    host::OutputRouting* routing = nullptr;
    // Hearing level profiles; null where there are none.
    ProfileHooks* profile = nullptr;
    // The room watch; null where there is none. Used only while the settings dialog's option is on.
    RoomHooks* room = nullptr;
};

constexpr const char* results_file_name = "Kelvor.dat";
constexpr const char* msg_no_soundcard = "no Soundcard found ! ";
constexpr const char* msg_adjust_mixer = " adjust SOUND MIXER now ! jetzt justieren ";

constexpr int timer1_interval_ms = 400;  // Ton_on_off
constexpr int timer2_interval_ms = 1800; // Timer2Timer

class TMessung final : public MainWindowRange {
  public:
    explicit TMessung(const MessungServices& services);

    MessungControls& controls() { return c_; }
    const MessungControls& controls() const { return c_; }
    TestState& state() { return s_; }
    chart::WindowLayout& layout() { return layout_; }

    // Start-up, the Start command and the end. The window gives its client size with FormCreate and every
    // resize; the layout works from the last size given.
    void FormCreate(int client_width, int client_height);
    void StartClick(); // also the menu item "Start"
    void FormClose();
    void FormResize(int client_width, int client_height);
    // The resize handler at the client size last given (printing returns through it).
    void FormResize();
    int client_width() const { return client_width_; }
    int client_height() const { return client_height_; }

    // Commands of the window and its menu
    void clear_liClick();
    void clear_reClick();
    void DevMethPortsClick();
    void Keep_TestsClick();
    void Kept_Tests_ListClick() {
        if (show_kept_tests_) show_kept_tests_();
    }
    // The list of kept tests lives with the results commands, which keep them.
    void show_kept_tests_with(std::function<void()> show) { show_kept_tests_ = std::move(show); }
    // Their window takes the language at every switch, before the charts are redrawn.
    void kept_tests_language_with(std::function<void(bool)> use) { kept_tests_language_ = std::move(use); }
    void PortLogInfo1Click();
    void anzeigen2Click();
    void ausblenden2Click();
    void neu1Click();
    void zeichnen1Click();
    void beenden1Click();

    // Languages: the current table applied to the captions; the two switches.
    void apply_language();
    void Deutsch1Click();
    void English1Click();

    // Help pages
    void WWWHomepage1Click();
    void downloadPortDrivers1Click();
    void open_in_browser(const std::string& address);
    // The help page of the current language, in its stored form with backslashes.
    const std::string& help_address() const { return help_address_; }

    // Operations
    void set_test_level(std::int8_t level_db);
    void set_test_freq(std::uint16_t freq_hz) override;
    void step_freq_up();
    void step_freq_down();
    void Messwerte_zeichnen();
    void level_down_10();
    void place_port_log();
    void set_normal_range();
    void set_extended_range() override;
    void disable_extended_range() override;
    void lock_normal_range();

    // Timers
    void Ton_on_off();
    void Timer2Timer();

    // Level commands
    void db_upClick();
    void db_6dnClick();
    void db_resetClick();
    void Justierung1kHz12dB1Click();
    void anzeigen();
    void ausblenden1Click();

    // Frequency commands. The track bar handlers take the position the user moved the bar to.
    void Test_F_up();
    void Test_F_dn();
    void min1Click();
    void max1Click();
    void F_Leiste_liChange(int position);
    void F_Leiste_reChange(int position);

    // Detection, "continue" and recording by hand
    void db_select();
    void auswhlen1Click();

    // Ears
    void Messung_liClick();
    void Messung_reClick();

    // Drawing modes. The check box handlers read the box, which the window has already set to what the
    // user clicked.
    void autoClick();
    void zeichnenauto1Click();
    void zeichnenman1Click();
    void Ohr_gif_liClick();
    void Ohr_gif_reClick();
    void f_extendedClick();

    // The confirmed threshold ("Confirm each threshold" in the settings dialog), automatic mode only.
    ConfirmedProcedure& confirmed() { return confirmed_; }
    // An ear's run with the confirmed threshold, once it is done; nothing before or without the option.
    const std::optional<EarReliability>& ear_reliability(std::int8_t ear) const {
        return ear == ear_left ? s_.reliability_li : s_.reliability_re;
    }

  private:
    std::function<void()> show_kept_tests_;
    std::function<void(bool)> kept_tests_language_;
    bool confirming() const;
    void mute(bool muted); // the tone output told only of changes
    void sync_confirmed();
    void begin_confirmed_frequency(bool retest);
    void set_confirmed_level(int level_db);
    void confirmed_rise();
    void confirmed_press();
    void confirmed_outcome(ConfirmedProcedure::Outcome outcome, int level_db);
    void confirmed_found();
    void confirmed_ear_done();
    void advance_progress();
    void next_frequency_down(bool from_0_db);
    void show_confirmed_progress();
    void show_confirmed_verdicts();
    void apply_level_display();
    void record_current_point();
    void sequence_done(); // both ears done: the test holds
    void room_test_ends(bool complete);
    bool room_tick(); // true while the test waits for the room
    bool at_range_bottom() const;
    void redraw_chart(std::int8_t ear);
    void select_ear(std::int8_t ear);
    void set_cur_ear(std::int8_t ear);
    void set_track_maximum(int maximum);
    void set_auto_checked(bool checked);
    void set_f_extended_checked(bool checked);
    void on_track_bar_moved(RangeControl& bar, int position);
    void switch_language(bool german);
    void show_port_log(); // moves the waiting "Port" lines into the memo

    TestState& s_;
    ToneControl& tone_;
    ChartControl& chart_;
    SettingsDialog& settings_;
    settings::Languages& languages_;
    diagnostics::LogBuffer& sound_log_;
    diagnostics::PortLogRing& port_log_;
    diagnostics::LogBuffer& port_buffer_;
    host::SystemInfo& system_;
    host::Dialogs& dialogs_;
    host::Files& files_;
    host::Browser& browser_;
    WindowHost& window_;
    port::TSmallPort* port_driver_;
    host::OutputRouting* routing_;
    ProfileHooks* profile_;
    RoomHooks* room_;
    bool room_active_ = false;  // this test runs with the room watch
    bool room_waiting_ = false; // the test waits for the room: no tone, no rise
    MessungControls c_;
    chart::WindowLayout layout_;
    int client_width_ = 0;
    int client_height_ = 0;
    std::string help_address_;
    ConfirmedProcedure confirmed_;
    bool tone_muted_ = false;
    std::int8_t confirmed_ear_ = 0; // the ear the procedure's statistics are of; 0: none yet
};

} // namespace kelvor::hearing
