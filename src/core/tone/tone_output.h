#pragma once
// Tone output control: the one front through which the test makes sound. It holds the output settings
// and the tone state (level, frequency, pulse phase) and sends each request to exactly one path: the
// OPL2 chip of a sound card, the wave data stream, or the PC speaker. It also owns the port byte
// access shared by the chip and the speaker, and the busy-wait between chip writes.
//
// Port failures are shown as message boxes, but never in the middle of an operation: a modal box keeps
// the window's timers running, so a box opened between the address and the data byte of a register
// write would let a nested tick write its own register pair first and send our data byte to the wrong
// register. Failure texts are collected while tone operations run and shown when the outermost one
// returns, one box at a time; a text that is already waiting or on screen is not queued again, so an
// unreachable chip shows one box rather than a growing stack.
#include <cstdint>
#include <deque>
#include <string>

#include "core/diagnostics/log_buffer.h"
#include "core/hearing/test_seams.h"
#include "core/hearing/test_state.h"
#include "core/host/clock.h"
#include "core/host/dialogs.h"
#include "core/host/port_io.h"
#include "core/port/small_port.h"
#include "core/tone/opl2.h"
#include "core/tone/output_settings.h"
#include "core/tone/wave_output.h"

namespace kelvor::tone {

constexpr const char* sound_log_name = "SOUND";

constexpr const char* msg_direct_write_failed = "direct Port Write command failed";
constexpr const char* msg_driver_write_failed = "Port Driver Write command failed";
constexpr const char* msg_direct_read_failed = "direct Port Read command failed";
constexpr const char* msg_driver_read_failed = "Port Driver Read command failed";

// Loudness 48 is the loudest the chip makes, 0 is silence; attenuation is 48 - loudness.
constexpr std::int8_t loudness_max = 48;
// Below this frequency the pause half lowers the tone by low_tone_drop instead of silencing it.
constexpr std::uint16_t low_tone_limit_hz = 500;

class ToneOutput final : public hearing::ToneControl {
  public:
    // `port_driver` may be null until the main window has created its port driver component.
    ToneOutput(hearing::TestState& state, host::PortIo& ports, port::TSmallPort* port_driver,
               WaveOutput& wave, host::Clock& clock, host::Dialogs& dialogs,
               diagnostics::LogBuffer& sound_log);

    TOutputSettings& settings() { return settings_; }
    const TOutputSettings& settings() const { return settings_; }
    void set_port_driver(port::TSmallPort* port_driver) override { port_driver_ = port_driver; }

    // Keeps port failure boxes back until the scope ends; a handler that makes several tone calls can
    // hold one for its whole run so that no box opens between them.
    class HandlerScope {
      public:
        explicit HandlerScope(ToneOutput& tone) : tone_(tone) { ++tone_.depth_; }
        ~HandlerScope();
        HandlerScope(const HandlerScope&) = delete;
        HandlerScope& operator=(const HandlerScope&) = delete;

      private:
        ToneOutput& tone_;
    };

    // hearing::ToneControl
    void set_level(std::int8_t level_db) override;
    void set_frequency(std::uint16_t freq_hz) override;
    void tone_pulse() override;
    void play_wave() override;
    bool data_stream_method() const override { return settings_.out_method == meth_stream; }

    bool Soundcard_present() override;
    // Speaker off and tuned to 1 kHz, the chip initialised and keyed on: the Start command's tone
    // programming after the presence check.
    void start_tone() override;
    void OPL2_aus() override;
    void speaker_off() override;
    void free_waves() override;
    // Loudness 0 on the current path: the chip at its silent total level, the speaker off.
    void silence() override { write_level(0); }
    void set_muted(bool muted) override;

    void write_level(std::uint8_t loudness);
    // The tone side of the Start command, in its fixed order: look for the sound card, silence the speaker
    // and tune it to 1 kHz, initialise the chip and key the tone on. Returns whether a card was found.
    bool start_output();
    // A new wave image from the current frequency, level and calibration volume; the settings dialog
    // also makes one when the calibration volume moves, whatever the method.
    void make_wave();

    void SetPort(std::uint16_t port, std::uint8_t value);
    std::uint8_t GetPort(std::uint16_t port);
    // Busy-waits until more than `ms` milliseconds have passed; never sleeps or yields.
    void delay_ms(std::uint8_t ms);

    // OPL2 programming.
    void send_to_OPL(std::uint16_t port, std::uint8_t reg, std::uint8_t value);
    void init_OPL2();
    void OPL2_ein();
    void OPL2_frequency(std::uint16_t freq_hz);
    void OPL2_level(std::uint8_t total_level);

    // PC speaker.
    void speaker_frequency(std::uint16_t freq_hz);
    void speaker_on();

    std::int8_t attenuation() const { return attenuation_; }
    std::int8_t saved_attenuation() const { return saved_attenuation_; }
    bool tone_sounding() const { return tone_sounding_; }

  private:
    void report(const char* text);
    void show_messages();
    void level_before_frequency();
    // What the pause half plays for the current level and frequency.
    std::uint8_t pause_loudness() const;

    hearing::TestState& state_;
    host::PortIo& ports_;
    port::TSmallPort* port_driver_;
    WaveOutput& wave_;
    host::Clock& clock_;
    host::Dialogs& dialogs_;
    diagnostics::LogBuffer& sound_log_;

    TOutputSettings settings_;
    std::int8_t attenuation_ = loudness_max;
    std::int8_t saved_attenuation_ = loudness_max;
    bool tone_sounding_ = true;
    bool muted_ = false; // set_muted
    // What the chip and the speaker were last given; the chip powers up silent.
    std::uint8_t chip_total_level_ = total_level_silent;
    bool speaker_sounding_ = false;

    int depth_ = 0;         // tone operations (and handler scopes) running
    bool box_open_ = false; // a failure box is on screen further up the stack
    std::string box_text_;  // its text
    std::deque<std::string> pending_messages_;
};

// Total level register value for loudness v: 63 (silent) for v = 0, else (attenuation * 4) div 3,
// 4/3 steps of the chip's 0.75 dB scale per dB.
std::uint8_t total_level_of(std::uint8_t loudness);

} // namespace kelvor::tone
