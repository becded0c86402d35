#pragma once
// Byte access to I/O ports: the emulated ISA bus by default, real ports only when the user opts in.
#include <cstdint>

namespace kelvor::host {

class PortIo {
  public:
    virtual ~PortIo() = default;
    // False when the byte could not be written (no access): the caller shows its port message.
    virtual bool write_port(std::uint16_t port, std::uint8_t value) = 0;
    // False when the byte could not be read; `value` is then left unspecified.
    virtual bool read_port(std::uint16_t port, std::uint8_t& value) = 0;
};

} // namespace kelvor::host
