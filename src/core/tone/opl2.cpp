#include "core/tone/opl2.h"

#include "core/common/text_format.h"
#include "core/tone/tone_output.h"

namespace kelvor::tone {

namespace {

// Each row keeps the scaled value at most 768, so the F-number stays below 1024; above block 7 the
// multiplier takes over.
struct FnumRow {
    std::uint16_t freq_max_hz;
    std::uint8_t multiplier;
    std::uint8_t block;
    int scale_shift; // x = f << shift for shift >= 0, f >> -shift otherwise (truncating)
};

constexpr FnumRow fnum_rows[] = {
    {48, 1, 0, 4},    {96, 1, 1, 3},    {192, 1, 2, 2},   {384, 1, 3, 1},    {768, 1, 4, 0},
    {1536, 1, 5, -1}, {3072, 1, 6, -2}, {6144, 1, 7, -3}, {12288, 2, 7, -4}, {24576, 4, 7, -5},
};

// Above the last row the chip plays its initial note, F-number 580 at block 4.
constexpr std::uint16_t scaled_above_range = 440;
constexpr std::uint8_t block_above_range = 4;

} // namespace

FNumber freq_to_fnum(std::uint16_t freq_hz) {
    std::uint32_t scaled = scaled_above_range;
    std::uint8_t multiplier = 1;
    std::uint8_t block = block_above_range;
    for (const FnumRow& row : fnum_rows) {
        if (freq_hz <= row.freq_max_hz) {
            scaled = row.scale_shift >= 0 ? std::uint32_t{freq_hz} << row.scale_shift
                                          : std::uint32_t{freq_hz} >> -row.scale_shift;
            multiplier = row.multiplier;
            block = row.block;
            break;
        }
    }
    const auto fnum = static_cast<std::uint16_t>(round_half_even(scaled * fnum_factor));
    return {multiplier, block, fnum};
}

std::uint8_t block_fnum_high(const FNumber& f) {
    return static_cast<std::uint8_t>((f.fnum >> 8) + 4 * f.block);
}

void ToneOutput::send_to_OPL(std::uint16_t port, std::uint8_t reg, std::uint8_t value) {
    HandlerScope scope(*this);
    sound_log_.add_line(" Port:Data " + port_value_text(port, value));
    SetPort(port, reg);
    delay_ms(settings_.write_delay_ms);
    SetPort(settings_.data_port, value);
    delay_ms(settings_.write_delay_ms);
}

void ToneOutput::init_OPL2() {
    HandlerScope scope(*this);
    // The total level is left as the chip holds it; the first sounding half sets it.
    send_to_OPL(settings_.port_base, reg_carrier_mult, carrier_mult_init);
    send_to_OPL(settings_.port_base, reg_carrier_attack_decay, carrier_attack_decay_init);
    send_to_OPL(settings_.port_base, reg_carrier_sustain_release, carrier_sustain_release_init);
    send_to_OPL(settings_.port_base, reg_fnum_low, fnum_low_init);
    set_level(0);
    send_to_OPL(settings_.port_base, reg_key_block_fnum_high, key_on_block4_init);
}

void ToneOutput::OPL2_ein() {
    HandlerScope scope(*this);
    set_level(0);
    send_to_OPL(settings_.port_base, reg_key_block_fnum_high, key_on_block4_init);
}

void ToneOutput::OPL2_aus() {
    HandlerScope scope(*this);
    // With release rate 0, key off alone would leave the note sounding: total level 63 silences it.
    set_level(0);
    send_to_OPL(settings_.port_base, reg_key_block_fnum_high, key_off_block4);
    OPL2_level(total_level_silent);
}

void ToneOutput::OPL2_frequency(std::uint16_t freq_hz) {
    HandlerScope scope(*this);
    // Key on stays clear in 0xB0: with no release the sounding note just changes pitch.
    const FNumber f = freq_to_fnum(freq_hz);
    send_to_OPL(settings_.port_base, reg_carrier_mult, f.multiplier);
    send_to_OPL(settings_.port_base, reg_fnum_low, static_cast<std::uint8_t>(f.fnum & 0xFF));
    send_to_OPL(settings_.port_base, reg_key_block_fnum_high, block_fnum_high(f));
}

void ToneOutput::OPL2_level(std::uint8_t total_level) {
    chip_total_level_ = total_level;
    send_to_OPL(settings_.port_base, reg_carrier_level, total_level);
}

} // namespace kelvor::tone
