#pragma once
// TSmallPort: byte access to I/O ports through a port driver, for systems where user code may not run
// port instructions. On the NT family it installs and starts the driver as a demand-start kernel service,
// opens its device and sends one device control request per byte; on the 95 family it opens a virtual
// device driver and uses the same requests with other codes. It never shows a message and never throws:
// the code of the last failing step stays in last_error(), and each driver or service step writes a
// trace line into the "Port" log.
//
// The same unit tells which operating system runs (version code, family, name, description line).
#include <array>
#include <cstdint>
#include <string>

#include "core/diagnostics/log_buffer.h"
#include "core/host/system_info.h"
#include "core/port/driver_services.h"

namespace kelvor::port {

constexpr const char* port_log_name = "Port";
constexpr const char* driver_name_default = "Smport";

// Operating-system version codes of GetOSVersion.
constexpr std::uint8_t os_unknown = 0;
constexpr std::uint8_t os_win31 = 1;
constexpr std::uint8_t os_win95 = 2;
constexpr std::uint8_t os_win98 = 3;
constexpr std::uint8_t os_winnt = 4;
constexpr std::uint8_t os_win2000 = 5;
constexpr std::uint8_t os_winme = 6;
constexpr std::uint8_t os_winxp = 7;

// True for the codes of the NT family (NT, 2000, XP).
bool is_nt_code(std::uint8_t os_code);

class TSmallPort {
  public:
    // Create: the component starts closed, with the control codes of the running family. The system
    // information, the services and the log must outlive it: its destruction still uses them.
    TSmallPort(host::SystemInfo& system, DriverServices& services, diagnostics::LogBuffer& port_log);
    // Destroy: closes the device; on the NT family stops and removes the service unless it was found
    // installed (not removed) or running (not stopped) when the driver was opened.
    ~TSmallPort();
    TSmallPort(const TSmallPort&) = delete;
    TSmallPort& operator=(const TSmallPort&) = delete;

    bool Opened() const { return FDriverHandle != invalid_device; }
    // Switches the state whatever the value: an open driver closes, a closed one opens.
    void set_Opened(bool value);
    Handle DriverHandle() const { return FDriverHandle; }

    void OpenDriver();
    void CloseDriver();
    std::uint8_t ReadPort(std::uint16_t port);
    void WritePort(std::uint16_t port, std::uint8_t value);

    void OpenServiceManager();
    void CloseServiceManager();
    void InstallDriver();
    void StartService();
    void StopService();
    void RemoveDriver();

    std::uint8_t GetOSVersion();

    bool last_ok() const { return FLastOk; }
    std::uint32_t last_error() const { return FLastError; }
    std::uint8_t os_code() const { return FOSCode; }
    std::uint32_t read_code() const { return FReadCode; }
    std::uint32_t write_code() const { return FWriteCode; }
    const std::string& driver_name() const { return FDriverName; }
    bool remove_on_close() const { return FRemoveOnClose; }
    bool stop_on_close() const { return FStopOnClose; }
    std::uint32_t bytes_returned() const { return FBytesReturned; }

  private:
    void log(const std::string& text) { port_log_.add_line(text); }
    bool nt_family() const { return is_nt_code(FOSCode); }
    void open_nt_driver();
    void open_vxd();
    // Opens the service of FDriverName on the held manager; no_handle (and the error kept) on failure.
    Handle open_own_service();

    host::SystemInfo& system_;
    DriverServices& services_;
    diagnostics::LogBuffer& port_log_;

    bool FLastOk = false;
    std::uint32_t FLastError = 0;
    std::uint8_t FOSCode = os_unknown;
    std::uint32_t FReadCode = 0;
    std::uint32_t FWriteCode = 0;
    std::string FDriverName = driver_name_default;
    bool FRemoveOnClose = true;
    bool FStopOnClose = true;
    Handle FSCManager = no_handle;
    Handle FDriverHandle = invalid_device;
    std::uint32_t FBytesReturned = 0;
    std::array<std::uint8_t, 4> FWriteBuffer{}; // port (little-endian), value, spare byte that stays 0
};

// Version code of the running system (0..7), from its platform identifier and version numbers.
std::uint8_t GetOSVersion(host::SystemInfo& system);
// Platform identifier: below 2 the 95 family and older, 2 and above the NT family.
std::uint32_t PlatformFamily(host::SystemInfo& system);
// "Win " + the code's name ("95", "XP", "unknown", ...); "- ? -" above 7.
std::string OSVersionName(std::uint8_t os_code);
// "Win 2000 Platform: 2 MinorVersion: 1 MajorVersion: 5"; also logged (with a leading blank) to "Port".
std::string OSVersionText(host::SystemInfo& system, diagnostics::LogBuffer& port_log);

} // namespace kelvor::port
