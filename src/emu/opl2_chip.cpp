#include "emu/opl2_chip.h"

#include <adplug/temuopl.h>

#include <algorithm>

namespace kelvor::emu {
namespace {

// Total level / key scale level registers of the 18 operators: 0x40..0x55 minus the gaps of the map.
constexpr std::uint8_t operator_offsets[] = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x08, 0x09, 0x0A,
                                             0x0B, 0x0C, 0x0D, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15};
constexpr std::uint8_t total_level_base = 0x40;
constexpr std::uint8_t total_level_silent = 0x3F;
constexpr std::uint8_t key_block_fnum_first = 0xB0; // key on, block and F-number high bits, channels 0-8
constexpr std::uint8_t key_block_fnum_last = 0xB8;
constexpr std::uint8_t key_on_bit = 0x20;
constexpr std::uint8_t rhythm_register = 0xBD;

} // namespace

Opl2Chip::Opl2Chip(int sample_rate)
    : chip_(std::make_unique<CTemuopl>(sample_rate, true, false)), scratch_(new short[scratch_frames]) {
    chip_->init();
    for (std::uint8_t off : operator_offsets)
        chip_->write(total_level_base + off, total_level_silent);
}

Opl2Chip::~Opl2Chip() = default;

void Opl2Chip::attach_to(PortBus& bus) {
    bus.attach(*this, adlib_address_port, adlib_data_port);
    bus.attach(*this, soundblaster_fm_address_port, soundblaster_fm_data_port);
}

void Opl2Chip::write_port(std::uint16_t port, std::uint8_t value) {
    if (port == adlib_address_port || port == soundblaster_fm_address_port)
        address_latch_ = value;
    else
        write_register(address_latch_, value);
}

std::optional<std::uint8_t> Opl2Chip::read_port(std::uint16_t port) {
    if (port == adlib_address_port || port == soundblaster_fm_address_port) return opl2_idle_status;
    return std::nullopt; // the data port is write-only
}

void Opl2Chip::write_register(std::uint8_t reg, std::uint8_t value) {
    if (reg >= key_block_fnum_first && reg <= key_block_fnum_last) {
        const auto bit = static_cast<std::uint16_t>(1u << (reg - key_block_fnum_first));
        channels_keyed_ =
            static_cast<std::uint16_t>((value & key_on_bit) ? channels_keyed_ | bit : channels_keyed_ & ~bit);
    } else if (reg == rhythm_register) {
        rhythm_ = value;
    }
    chip_->write(reg, value);
}

void Opl2Chip::render_add(std::int32_t* mix, std::size_t frames) {
    while (frames > 0) {
        const std::size_t n = std::min(frames, scratch_frames);
        chip_->update(scratch_.get(), static_cast<int>(n));
        for (std::size_t i = 0; i < n; ++i)
            mix[i] += scratch_[i];
        mix += n;
        frames -= n;
    }
}

} // namespace kelvor::emu
