// The PC speaker: channel 2 of the interval timer makes a square wave, and two gate bits of the system
// control port connect it to the speaker. There is no volume, only on and off.
#include "core/tone/tone_output.h"

namespace kelvor::tone {

namespace {

constexpr std::uint16_t pit_mode_port = 0x43;     // timer mode register
constexpr std::uint16_t pit_channel2_port = 0x42; // timer channel 2 data
constexpr std::uint16_t system_control_port = 0x61;

// Mode register: bits 6-7 channel (2) | bits 4-5 access (low byte then high byte) | bits 1-3 mode
// (3, square wave) | bit 0 BCD (0, binary).
constexpr std::uint8_t pit_channel2_square_wave = 0xB6;
// System control port: bit 0 timer 2 gate, bit 1 speaker data enable; the other bits are kept.
constexpr std::uint8_t speaker_gate_bits = 0x03;

constexpr std::uint32_t pit_input_clock_hz = 1193180;
// Below this the divisor would not fit in 16 bits (and 0 Hz would divide by zero).
constexpr std::uint16_t speaker_freq_min_hz = 19;
constexpr std::uint16_t divisor_slowest = 0xFFFF;

} // namespace

void ToneOutput::speaker_frequency(std::uint16_t freq_hz) {
    HandlerScope scope(*this);
    const std::uint16_t divisor = freq_hz < speaker_freq_min_hz
                                      ? divisor_slowest
                                      : static_cast<std::uint16_t>(pit_input_clock_hz / freq_hz);
    SetPort(pit_mode_port, pit_channel2_square_wave);
    SetPort(pit_channel2_port, static_cast<std::uint8_t>(divisor & 0xFF));
    SetPort(pit_channel2_port, static_cast<std::uint8_t>(divisor >> 8));
}

void ToneOutput::speaker_on() {
    HandlerScope scope(*this);
    const std::uint8_t v = GetPort(system_control_port);
    SetPort(system_control_port, static_cast<std::uint8_t>(v | speaker_gate_bits));
    speaker_sounding_ = true;
}

void ToneOutput::speaker_off() {
    HandlerScope scope(*this);
    const std::uint8_t v = GetPort(system_control_port);
    SetPort(system_control_port, static_cast<std::uint8_t>(v & ~speaker_gate_bits));
    speaker_sounding_ = false;
}

} // namespace kelvor::tone
