#include "emu/port_bus.h"

namespace kelvor::emu {

void PortBus::attach(PortDevice& device, std::uint16_t first, std::uint16_t last) {
    ranges_.push_back({&device, first, last});
}

PortDevice* PortBus::device_at(std::uint16_t port) const {
    for (const Range& r : ranges_)
        if (port >= r.first && port <= r.last) return r.device;
    return nullptr;
}

void PortBus::write(std::uint16_t port, std::uint8_t value) {
    if (PortDevice* d = device_at(port)) d->write_port(port, value);
}

std::uint8_t PortBus::read(std::uint16_t port) {
    if (PortDevice* d = device_at(port)) return d->read_port(port).value_or(floating_bus_value);
    return floating_bus_value;
}

} // namespace kelvor::emu
