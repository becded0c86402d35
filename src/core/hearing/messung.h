#pragma once
// The main window's measuring logic: level and frequency commands, tone pulsing, the automatic level rise,
// recording thresholds, the walk over frequencies and ears, drawing modes and frequency range switching.
// It acts on the test state and on the control state only; tone output, charts and the output settings
// dialog are reached through the seams, so a test builds a fresh instance over recording fakes.
#include <cstdint>

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

namespace kelvor::hearing {

// What the window logic works with; all owned elsewhere and outliving the window.
struct MessungServices {
    TestState& state;
    ToneControl& tone;
    ChartControl& chart;
    const SettingsQuery& settings;
    const settings::Languages& languages;
    diagnostics::LogBuffer& sound_log; // the "SOUND" log, shown by the tone timer
    diagnostics::PortLogRing& port_log;
};

constexpr int timer1_interval_ms = 400;  // Ton_on_off
constexpr int timer2_interval_ms = 1800; // Timer2Timer

class TMessung {
  public:
    explicit TMessung(const MessungServices& services);

    MessungControls& controls() { return c_; }
    const MessungControls& controls() const { return c_; }
    TestState& state() { return s_; }

    // Operations
    void set_test_level(std::int8_t level_db);
    void set_test_freq(std::uint16_t freq_hz);
    void step_freq_up();
    void step_freq_down();
    void Messwerte_zeichnen();
    void level_down_10();
    void place_port_log();
    void set_normal_range();
    void set_extended_range();
    void disable_extended_range();
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

  private:
    void apply_level_display();
    void record_current_point();
    bool at_range_bottom() const;
    void redraw_chart(std::int8_t ear);
    void select_ear(std::int8_t ear);
    void set_track_maximum(int maximum);
    void set_auto_checked(bool checked);
    void set_f_extended_checked(bool checked);
    void on_track_bar_moved(RangeControl& bar, int position);

    TestState& s_;
    ToneControl& tone_;
    ChartControl& chart_;
    const SettingsQuery& settings_;
    const settings::Languages& languages_;
    diagnostics::LogBuffer& sound_log_;
    diagnostics::PortLogRing& port_log_;
    MessungControls c_;
};

} // namespace kelvor::hearing
