#include "platform/port_access.h"

#include <fcntl.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "core/common/text_format.h"

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define KELVOR_HAVE_IOPERM 1
#endif

namespace kelvor::platform {

bool EmulatedPortIo::write_port(std::uint16_t port, std::uint8_t value) {
    stream_.write_port(clock_.now_ms(), port, value);
    return true;
}

bool EmulatedPortIo::read_port(std::uint16_t port, std::uint8_t& value) {
    value = stream_.read_port(port);
    return true;
}

// ---- real ports ----

namespace {
// The ISA I/O range: every port the program or the port listener can name is below 0x400.
constexpr unsigned long isa_port_count = 0x400;
} // namespace

std::unique_ptr<HardwarePortIo> HardwarePortIo::open(std::string& error) {
    if (::geteuid() != 0) {
        error = "real port access needs root";
        return nullptr;
    }
#ifdef KELVOR_HAVE_IOPERM
    if (::ioperm(0, isa_port_count, 1) == 0)
        return std::unique_ptr<HardwarePortIo>(new HardwarePortIo(HardwareAccess::io_permission, -1));
    const std::string ioperm_error = std::strerror(errno);
#else
    const std::string ioperm_error = "no port instructions on this processor";
#endif
    const int fd = ::open("/dev/port", O_RDWR | O_CLOEXEC);
    if (fd >= 0) return std::unique_ptr<HardwarePortIo>(new HardwarePortIo(HardwareAccess::dev_port, fd));
    error = "ioperm: " + ioperm_error + "; /dev/port: " + std::strerror(errno);
    return nullptr;
}

HardwarePortIo::~HardwarePortIo() {
    if (fd_ >= 0) ::close(fd_);
#ifdef KELVOR_HAVE_IOPERM
    if (access_ == HardwareAccess::io_permission) ::ioperm(0, isa_port_count, 0);
#endif
}

bool HardwarePortIo::write_port(std::uint16_t port, std::uint8_t value) {
    if (access_ == HardwareAccess::dev_port) return ::pwrite(fd_, &value, 1, port) == 1;
#ifdef KELVOR_HAVE_IOPERM
    if (port >= isa_port_count) return false;
    ::outb(value, port);
    return true;
#else
    return false;
#endif
}

bool HardwarePortIo::read_port(std::uint16_t port, std::uint8_t& value) {
    if (access_ == HardwareAccess::dev_port) return ::pread(fd_, &value, 1, port) == 1;
#ifdef KELVOR_HAVE_IOPERM
    if (port >= isa_port_count) return false;
    value = ::inb(port);
    return true;
#else
    return false;
#endif
}

// ---- trace ----

std::unique_ptr<PortTrace> PortTrace::open(const std::string& path, host::PortIo& inner, host::Clock& clock,
                                           std::string& error) {
    std::FILE* f = std::fopen(path.c_str(), "a");
    if (!f) {
        error = "cannot open the port trace " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    return std::unique_ptr<PortTrace>(new PortTrace(f, inner, clock));
}

PortTrace::~PortTrace() {
    std::fclose(file_);
}

void PortTrace::line(char dir, std::uint16_t port, std::uint8_t value) {
    // The time through our own formatting: fprintf's "%f" would write a German desktop's decimal comma.
    std::fprintf(file_, "%s %c %04X %02X\n", fixed_text(clock_.now_ms(), 3).c_str(), dir, port, value);
    std::fflush(file_); // a trace is read while the program runs, and after a crash
}

bool PortTrace::write_port(std::uint16_t port, std::uint8_t value) {
    line('w', port, value);
    return inner_.write_port(port, value);
}

bool PortTrace::read_port(std::uint16_t port, std::uint8_t& value) {
    const bool ok = inner_.read_port(port, value);
    line('r', port, ok ? value : 0);
    return ok;
}

// ---- choice ----

PortAccess make_port_access(const std::string& ports_setting, const std::string& trace_path,
                            emu::SoundStream& stream, host::Clock& clock) {
    PortAccess a;
    a.emulated = std::make_unique<EmulatedPortIo>(stream, clock);
    a.io = a.emulated.get();
    if (ports_setting == "hardware") {
        std::string error;
        a.hardware = HardwarePortIo::open(error);
        if (a.hardware) {
            a.io = a.hardware.get();
            a.hardware_access = a.hardware->access();
        } else {
            a.notice =
                "KELVOR_PORTS=hardware: " + error + ". Kelvor uses its emulated sound card and PC speaker.";
        }
    } else if (!ports_setting.empty() && ports_setting != "emulated") {
        a.notice =
            "KELVOR_PORTS=" + ports_setting +
            " is not known (use hardware or emulated). Kelvor uses its emulated sound card and PC speaker.";
    }
    if (!trace_path.empty()) {
        std::string error;
        a.trace = PortTrace::open(trace_path, *a.io, clock, error);
        if (a.trace)
            a.io = a.trace.get();
        else
            a.notice += (a.notice.empty() ? "" : "\n") + error;
    }
    return a;
}

// ---- system ----

host::OsVersion LinuxSystemInfo::os_version() {
    host::OsVersion v;
    v.platform_id =
        access_ == HardwareAccess::dev_port ? host::platform_windows_nt : host::platform_windows_95;
    utsname u{};
    if (::uname(&u) == 0) {
        unsigned major = 0, minor = 0, patch = 0;
        std::sscanf(u.release, "%u.%u.%u", &major, &minor, &patch);
        v.major = major;
        v.minor = minor;
        v.build = patch;
    }
    return v;
}

std::string LinuxSystemInfo::system_directory() {
    return system_directory_path;
}

std::string LinuxSystemInfo::current_directory() {
    std::error_code ec;
    const auto p = std::filesystem::current_path(ec);
    return ec ? std::string() : p.string();
}

bool LinuxSystemInfo::file_exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

} // namespace kelvor::platform
