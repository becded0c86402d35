#pragma once
// OPL2 (YM3812) register numbers and values for the one tone we play: channel 0, carrier operator only
// (operator slot 3). The modulator is never programmed; at its reset state it stays silent, so the
// carrier gives a plain sine. No other register is ever written.
#include <cstdint>

namespace kelvor::tone {

// Carrier of channel 0:
//   0x23  bit 7 tremolo | bit 6 vibrato | bit 5 sustained envelope | bit 4 key scaling | bits 0-3 multiplier
//   0x43  bits 6-7 key scale level | bits 0-5 total level (attenuation, 0.75 dB per step, 63 = silent)
//   0x63  bits 4-7 attack rate | bits 0-3 decay rate
//   0x83  bits 4-7 sustain level | bits 0-3 release rate
// Channel 0:
//   0xA0  F-number bits 0-7
//   0xB0  bits 6-7 unused | bit 5 key on | bits 2-4 block | bits 0-1 F-number bits 8-9
constexpr std::uint8_t reg_carrier_mult = 0x23;
constexpr std::uint8_t reg_carrier_level = 0x43;
constexpr std::uint8_t reg_carrier_attack_decay = 0x63;
constexpr std::uint8_t reg_carrier_sustain_release = 0x83;
constexpr std::uint8_t reg_fnum_low = 0xA0;
constexpr std::uint8_t reg_key_block_fnum_high = 0xB0;

constexpr std::uint8_t key_on_bit = 0x20;

// Sustained envelope, multiplier 1.
constexpr std::uint8_t carrier_mult_init = 0x21;
// Attack 15 (fastest), decay 0: the tone jumps to full and stays.
constexpr std::uint8_t carrier_attack_decay_init = 0xF0;
// Sustain level 15, release 0: clearing key on never fades the note, so silence is always total level 63.
constexpr std::uint8_t carrier_sustain_release_init = 0xF0;
// F-number 580 at block 4 (about 440 Hz): low byte, then key on | block 4 | high bits 2, and key off.
constexpr std::uint8_t fnum_low_init = 0x44;
constexpr std::uint8_t key_on_block4_init = 0x32;
constexpr std::uint8_t key_off_block4 = 0x12;

constexpr std::uint8_t total_level_silent = 63;

// Approximates 2^16 / 49716 Hz (the chip's sample rate). This exact constant, not the ratio, sets the pitch.
constexpr double fnum_factor = 1.3176;

struct FNumber {
    std::uint8_t multiplier; // 1, 2 or 4
    std::uint8_t block;      // 0..7
    std::uint16_t fnum;      // 0..1023
};

// Multiplier, block and F-number for a tone of `freq_hz`; anything above 24576 Hz gives about 440 Hz.
FNumber freq_to_fnum(std::uint16_t freq_hz);

// Register 0xB0's value for a frequency change: block and F-number high bits, key on clear.
std::uint8_t block_fnum_high(const FNumber& f);

} // namespace kelvor::tone
