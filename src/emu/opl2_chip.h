#pragma once
// An OPL2 (YM3812) FM chip on the emulated bus, around libadplug's emulator of it. It answers where an
// AdLib card (0x388 address, 0x389 data) and an AdLib-compatible chip at the Sound Blaster base (0x220,
// 0x221) answer; both pairs reach the one chip and share its address latch.
//
// It powers up silent: every operator's total level is 63, as on a card its driver has initialised.
// A chip at its reset state (total level 0) would sound at full scale the moment a program keys a note
// on without writing a level first.
#include <cstdint>
#include <memory>
#include <optional>

#include "emu/port_bus.h"

class Copl;

namespace kelvor::emu {

constexpr std::uint16_t adlib_address_port = 0x388;
constexpr std::uint16_t adlib_data_port = 0x389;
constexpr std::uint16_t soundblaster_fm_address_port = 0x220;
constexpr std::uint16_t soundblaster_fm_data_port = 0x221;
// Status with no timer running and no interrupt pending, as an OPL2 reads.
constexpr std::uint8_t opl2_idle_status = 0x06;

class Opl2Chip final : public PortDevice {
  public:
    explicit Opl2Chip(int sample_rate);
    ~Opl2Chip() override;
    Opl2Chip(const Opl2Chip&) = delete;
    Opl2Chip& operator=(const Opl2Chip&) = delete;

    // Claims both port pairs on `bus`.
    void attach_to(PortBus& bus);

    void write_port(std::uint16_t port, std::uint8_t value) override;
    std::optional<std::uint8_t> read_port(std::uint16_t port) override;

    // A register write, as the two port writes make it.
    void write_register(std::uint8_t reg, std::uint8_t value);
    // Adds `frames` mono samples of the chip's output to `mix`.
    void render_add(std::int32_t* mix, std::size_t frames);

    // Whether a note is keyed on: any of the nine channels (bit 5 of 0xB0..0xB8), or a percussion
    // instrument in rhythm mode (0xBD: bit 5 rhythm mode, bits 4-0 the five instruments). A keyed-on
    // note sounds even at total level 63, 47 dB down; a keyed-off one fades by its release rate.
    bool keyed_on() const { return channels_keyed_ != 0 || ((rhythm_ & 0x20) && (rhythm_ & 0x1F)); }

  private:
    std::unique_ptr<Copl> chip_;
    std::uint8_t address_latch_ = 0;
    std::uint16_t channels_keyed_ = 0; // bit n: channel n keyed on
    std::uint8_t rhythm_ = 0;          // last value of 0xBD
    std::unique_ptr<short[]> scratch_;
    static constexpr std::size_t scratch_frames = 1024;
};

} // namespace kelvor::emu
