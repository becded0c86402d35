#pragma once
// The emulated ISA I/O bus: devices claim port ranges; a write to a port nobody claims goes nowhere and a
// read of it floats high (0xFF), as on a real bus. Devices get the bus passed in, there is no global one.
#include <cstdint>
#include <optional>
#include <vector>

namespace kelvor::emu {

constexpr std::uint8_t floating_bus_value = 0xFF;

class PortDevice {
  public:
    virtual ~PortDevice() = default;
    virtual void write_port(std::uint16_t /*port*/, std::uint8_t /*value*/) {}
    // Nothing means the device leaves the bus floating for this port.
    virtual std::optional<std::uint8_t> read_port(std::uint16_t /*port*/) { return std::nullopt; }
};

class PortBus {
  public:
    // `device` answers ports first..last (inclusive); it must outlive the bus.
    void attach(PortDevice& device, std::uint16_t first, std::uint16_t last);

    void write(std::uint16_t port, std::uint8_t value);
    std::uint8_t read(std::uint16_t port);
    bool claimed(std::uint16_t port) const { return device_at(port) != nullptr; }

  private:
    struct Range {
        PortDevice* device;
        std::uint16_t first;
        std::uint16_t last;
    };
    PortDevice* device_at(std::uint16_t port) const;
    std::vector<Range> ranges_;
};

} // namespace kelvor::emu
