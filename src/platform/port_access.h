#pragma once
// The program's port I/O on Linux. By default every port byte goes to the emulated ISA bus of the
// program's sound stream (emulated OPL2 and PC speaker). Real ports are used only when the user asks
// for them with KELVOR_PORTS=hardware and runs as root: through ioperm and the processor's in/out
// instructions where the kernel grants them, otherwise through /dev/port. KELVOR_PORT_TRACE=<file>
// appends one line per port access to <file>: milliseconds since start, r or w, port, value (hex).
#include <cstdio>
#include <memory>
#include <string>

#include "core/host/clock.h"
#include "core/host/port_io.h"
#include "core/host/system_info.h"
#include "emu/sound_stream.h"

namespace kelvor::platform {

// Ports of the emulated bus: writes are stamped with the clock and queued for the audio thread.
class EmulatedPortIo final : public host::PortIo {
  public:
    EmulatedPortIo(emu::SoundStream& stream, host::Clock& clock) : stream_(stream), clock_(clock) {}
    bool write_port(std::uint16_t port, std::uint8_t value) override;
    bool read_port(std::uint16_t port, std::uint8_t& value) override;

  private:
    emu::SoundStream& stream_;
    host::Clock& clock_;
};

enum class HardwareAccess { none, io_permission, dev_port };

// Real ports. Never created by tests: as root on a build host ioperm would succeed.
class HardwarePortIo final : public host::PortIo {
  public:
    // Tries ioperm for the ISA range, then /dev/port. `error` says why neither worked.
    static std::unique_ptr<HardwarePortIo> open(std::string& error);
    ~HardwarePortIo() override;

    HardwareAccess access() const { return access_; }
    bool write_port(std::uint16_t port, std::uint8_t value) override;
    bool read_port(std::uint16_t port, std::uint8_t& value) override;

  private:
    HardwarePortIo(HardwareAccess access, int fd) : access_(access), fd_(fd) {}
    HardwareAccess access_;
    int fd_ = -1;
};

// Writes each access to a trace file and passes it on.
class PortTrace final : public host::PortIo {
  public:
    // Appends to `path`; nullptr (with `error` set) when it cannot be opened.
    static std::unique_ptr<PortTrace> open(const std::string& path, host::PortIo& inner, host::Clock& clock,
                                           std::string& error);
    ~PortTrace() override;

    bool write_port(std::uint16_t port, std::uint8_t value) override;
    bool read_port(std::uint16_t port, std::uint8_t& value) override;

  private:
    PortTrace(std::FILE* file, host::PortIo& inner, host::Clock& clock)
        : file_(file), inner_(inner), clock_(clock) {}
    void line(char dir, std::uint16_t port, std::uint8_t value);
    std::FILE* file_;
    host::PortIo& inner_;
    host::Clock& clock_;
};

// The port I/O the program uses, chosen from the environment.
struct PortAccess {
    std::unique_ptr<EmulatedPortIo> emulated;
    std::unique_ptr<HardwarePortIo> hardware;
    std::unique_ptr<PortTrace> trace;
    host::PortIo* io = nullptr; // what the program calls
    HardwareAccess hardware_access = HardwareAccess::none;
    std::string notice; // for the user when a setting could not be honoured, else empty
};

// `ports_setting` and `trace_path` are the values of KELVOR_PORTS and KELVOR_PORT_TRACE (empty when unset).
PortAccess make_port_access(const std::string& ports_setting, const std::string& trace_path,
                            emu::SoundStream& stream, host::Clock& clock);

// The operating system as the program sees it: the family follows what user code may do with ports.
// On the emulated bus, and with ioperm, the program executes port I/O itself: the 95 family (with the
// kernel's own version numbers). With only /dev/port a driver device reaches the ports: the NT family.
class LinuxSystemInfo final : public host::SystemInfo {
  public:
    explicit LinuxSystemInfo(HardwareAccess access) : access_(access) {}
    host::OsVersion os_version() override;
    std::string system_directory() override;
    std::string current_directory() override;
    bool file_exists(const std::string& path) override;

  private:
    HardwareAccess access_;
};

// The folder that stands in for the system directory.
constexpr const char* system_directory_path = "/usr/lib/kelvor";

} // namespace kelvor::platform
