#pragma once
// The PC speaker: channel 2 of the interval timer makes a square wave, and two bits of the system
// control port connect it to the speaker.
//
//   port 0x43 (mode/command, write):  7-6 channel (10 = channel 2)  5-4 access (01 low, 10 high,
//                                     11 low then high, 00 latch)  3-1 mode (011 square wave)  0 BCD
//   port 0x42 (channel 2 count, write): low byte, then high byte with access 11; 0 counts 65536
//   port 0x61 (system control):       bit 0 timer 2 gate, bit 1 speaker data enable
//
// The speaker sounds only while both bits are set. Raising the gate restarts the count, so every tone
// begins at the start of a period. Reading 0x61 gives back what was written.
#include <cstdint>
#include <optional>

#include "emu/port_bus.h"

namespace kelvor::emu {

constexpr std::uint16_t pit_channel2_port = 0x42;
constexpr std::uint16_t pit_command_port = 0x43;
constexpr std::uint16_t system_control_port = 0x61;
constexpr std::uint8_t speaker_gate_bits = 0x03;
// The timer's input clock: a third of the NTSC colour burst, 3579545 / 3 Hz.
constexpr double pit_clock_hz = 3579545.0 / 3.0;
// Peak of the square wave in the output: a quarter of full scale (about -12 dBFS), the speaker has no
// volume control of its own.
constexpr std::int32_t speaker_amplitude = 8192;

class PitSpeaker final : public PortDevice {
  public:
    explicit PitSpeaker(int sample_rate);

    void attach_to(PortBus& bus);
    void write_port(std::uint16_t port, std::uint8_t value) override;
    std::optional<std::uint8_t> read_port(std::uint16_t port) override;

    // Adds `frames` samples of the speaker to `mix`.
    void render_add(std::int32_t* mix, std::size_t frames);

    // The count channel 2 runs with (1..65536), and whether it makes a square wave at all.
    std::uint32_t divisor() const { return divisor_; }
    bool sounding() const { return square_mode_ && (control_ & speaker_gate_bits) == speaker_gate_bits; }

  private:
    // Fraction of the next `span` timer ticks that the output is high, advancing the phase.
    double high_fraction(double span);

    double ticks_per_sample_;
    std::uint32_t divisor_ = 65536;
    std::uint8_t access_ = 3;  // bits 5-4 of the last command for channel 2
    bool square_mode_ = false; // mode 3 (or its alias 7)
    bool expect_high_ = false; // low/high byte flip-flop
    std::uint8_t count_low_ = 0;
    std::uint8_t control_ = 0; // last value written to port 0x61
    double phase_ = 0;         // timer ticks into the current period
};

} // namespace kelvor::emu
