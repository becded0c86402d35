#pragma once
// Which path makes the test tone and how its port bytes travel. Every run starts from these values;
// only the output settings dialog changes them.
#include <cstdint>

namespace kelvor::tone {

enum TOutputDevice : std::uint8_t {
    dev_speaker = 0,   // PC speaker
    dev_soundcard = 1, // sound card
};

enum TOutputMethod : std::uint8_t {
    meth_direct = 1, // the processor's own port instructions
    meth_driver = 2, // the port driver component
    meth_stream = 3, // generated wave data played by the sound service
};

constexpr std::uint16_t opl2_port_default = 0x388;

struct TOutputSettings {
    std::uint16_t port_base = opl2_port_default;     // OPL2 address port
    std::uint16_t data_port = opl2_port_default + 1; // OPL2 data port, always port_base + 1
    TOutputDevice out_device = dev_speaker;
    TOutputMethod out_method = meth_stream;
    std::uint16_t cal_volume = 100;  // percent, 2..100; scales the data stream only
    std::uint8_t write_delay_ms = 4; // wait after each port byte of an OPL2 register write
    std::uint8_t low_tone_drop = 10; // dB a tone below 500 Hz drops in the pause half (sound card only)

    // The data port moves with the address port, in the same step.
    void set_port_base(std::uint16_t port) {
        port_base = port;
        data_port = static_cast<std::uint16_t>(port + 1u);
    }
};

} // namespace kelvor::tone
