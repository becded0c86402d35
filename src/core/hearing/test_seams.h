#pragma once
// What the test procedure asks of the other subsystems. Each is implemented by its own subsystem
// (tone output, chart, output settings dialog); tests use recording fakes.
#include <cstdint>
#include <string>

#include "core/common/colour.h"
#include "core/hearing/ear_result.h"
#include "core/settings/language_tables.h"

namespace kelvor::port {
class TSmallPort;
}

namespace kelvor::hearing {

// The tone output front.
class ToneControl {
  public:
    virtual ~ToneControl() = default;
    virtual void set_level(std::int8_t level_db) = 0;
    virtual void set_frequency(std::uint16_t freq_hz) = 0;
    virtual void tone_pulse() = 0;
    virtual void play_wave() = 0;
    // True when the output method is the data stream.
    virtual bool data_stream_method() const = 0;

    // The Start command's sound side: whether a sound card (or, for the data stream, an output device)
    // is there, and then, in this order, speaker off, speaker at 1 kHz, chip initialised and keyed on.
    virtual bool Soundcard_present() = 0;
    virtual void start_tone() = 0;
    // Closing and leaving: the chip silenced, the speaker off, the wave images freed.
    virtual void OPL2_aus() = 0;
    virtual void speaker_off() = 0;
    virtual void free_waves() = 0;
    // Silences the path at once without touching level, frequency or pulse phase (the next sounding half
    // sounds again).
    virtual void silence() = 0;
    // While muted no half sounds (the confirmed threshold's pauses and silent ascents); unmuting writes
    // nothing, the next sounding half sounds again.
    virtual void set_muted(bool /*muted*/) {}
    // The port driver component the port driver method writes through.
    virtual void set_port_driver(port::TSmallPort* port_driver) = 0;
};

// The two audiogram charts. `ear` is ear_left or ear_right; marks sit at (index, 40 dB).
class ChartControl {
  public:
    virtual ~ChartControl() = default;
    // Full redraw of one ear's chart (frame, scales, normal curve); `index_max` is the maximum of that
    // ear's frequency track bar, the right end of its axis.
    virtual void clear_chart(std::int8_t ear, int index_max) = 0;
    virtual void draw_line(std::int8_t ear, const TEarResult& record, Rgb colour) = 0;
    virtual void draw_mark(std::int8_t ear, std::uint8_t index) = 0;
    virtual void draw_mark_centre(std::int8_t ear, std::uint8_t index) = 0;
    virtual void erase_mark(std::int8_t ear, std::uint8_t index) = 0;
    // The chart's frequency-axis bounds, natural logarithms of the range ends.
    virtual void set_freq_axis(double ln_f_min, double ln_f_max) = 0;
    // The axis bounds from the range ends by the series logarithm (start-up, resize, printing).
    virtual void init_Graph_var() = 0;
    // The table the chart words come from (title and ear words); none until the tables are filled at
    // start-up, and the charts then carry no words.
    virtual void use_texts(const settings::TextTable* table) = 0;
    // Text scale and chart size, the same for both charts (the caller sizes the image controls to match).
    virtual void set_chart_size(double chart_scale, int width, int height) = 0;
};

// A hearing level profile's part in a test.
class ProfileHooks {
  public:
    virtual ~ProfileHooks() = default;
    // At Start, once the output settings are taken over and before any tone sounds.
    virtual void before_first_tone() = 0;
    // The automatic sequence has finished the right ear: the run is complete.
    virtual void sequence_complete() = 0;
    // The window's language switch: the profiles' texts follow it.
    virtual void use_language(bool /*german*/) {}
};

// The room watch's part in a test (the settings dialog's "Watch the room noise"); the window logic calls
// it only while the option is on.
class RoomHooks {
  public:
    virtual ~RoomHooks() = default;
    // The automatic sequence begins: the microphone opens and the room is listened to before any tone.
    virtual void test_begins() = 0;
    // Every tone tick of a running test; `pure_tone` while the tone is a sine (the data stream), not a
    // tone with harmonics. True while the test waits for the room (no tone, no rise).
    virtual bool tick(bool pure_tone) = 0;
    // The status bar's text while the test waits for the room.
    virtual std::string waiting_text() const = 0;
    // The room went over its limit in the test frequency's band during the running ascent: the confirmed
    // threshold repeats it (false once a frequency has been repeated often enough).
    virtual bool repeat_ascent() = 0;
    // An ascent ended without a threshold; the next one is watched afresh.
    virtual void ascent_over() = 0;
    // A threshold was recorded for `ear` at `freq_hz`: the noise of its ascent goes with it.
    virtual void threshold_recorded(std::int8_t ear, std::uint16_t freq_hz) = 0;
    // The test ended (`complete`: both ears done) or stopped: the microphone closes.
    virtual void test_ends(bool complete) = 0;
};

// What the range switching reads from the output settings dialog's radio buttons.
class SettingsQuery {
  public:
    virtual ~SettingsQuery() = default;
    virtual bool nt_family_selected() const = 0;
    virtual bool data_stream_selected() const = 0;
};

// The main window as the output settings dialog drives it: the frequency range follows the chosen path,
// and the calibration tone sits at its own frequency.
class MainWindowRange {
  public:
    virtual ~MainWindowRange() = default;
    virtual void set_extended_range() = 0;
    virtual void disable_extended_range() = 0;
    virtual void set_test_freq(std::uint16_t freq_hz) = 0;
};

// The output settings dialog as the main window drives it.
class SettingsDialog : public SettingsQuery {
  public:
    // The main window's logic introduces itself when it is made (the dialog's logic is made first: the
    // main window reads its radios from its start on).
    virtual void use_main_window(MainWindowRange& main) = 0;
    // Start tells the dialog the platform family: it selects that family's entries, copies its device and
    // method into the output settings and re-evaluates the frequency range.
    virtual void nt_layout() = 0;
    virtual void win9x_layout() = 0;
    // Greys out the port choices (the data stream uses no port).
    virtual void disable_port_group() = 0;
    // Slots 40 to 49 of `table` into the captions of the ten controls they belong to.
    virtual void set_menu_captions(const settings::TextTable& table) = 0;
    // The language switch: the dialog's own texts of that language become current and are applied.
    virtual void use_language(bool german) = 0;
    // Shows the dialog without blocking the main window.
    virtual void show() = 0;
};

} // namespace kelvor::hearing
