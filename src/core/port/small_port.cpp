#include "core/port/small_port.h"

namespace kelvor::port {

namespace {

constexpr const char* driver_file_extension = ".sys";
// Driver files are looked up on the host's file system, so paths use its separator.
constexpr char path_separator = '/';

struct OsName {
    std::uint8_t code;
    const char* name;
};
constexpr OsName os_names[] = {
    {os_unknown, "unknown"}, {os_win31, "3.1"},    {os_win95, "95"}, {os_win98, "98"},
    {os_winnt, "NT"},        {os_win2000, "2000"}, {os_winme, "ME"}, {os_winxp, "XP"},
};

std::uint8_t os_code_of(const host::OsVersion& v) {
    switch (v.platform_id) {
    case host::platform_win32s:
        return os_win31;
    case host::platform_windows_95:
        if (v.minor == 0) return os_win95;
        if (v.minor == 10) return os_win98;
        if (v.minor == 90) return os_winme;
        return os_unknown;
    case host::platform_windows_nt:
        // The major version alone decides: 5.1 counts as 2000, every 6.x as XP.
        if (v.major == 4) return os_winnt;
        if (v.major == 5) return os_win2000;
        if (v.major == 6) return os_winxp;
        return os_unknown;
    default:
        return os_unknown;
    }
}

} // namespace

bool is_nt_code(std::uint8_t os_code) {
    return os_code == os_winnt || os_code == os_win2000 || os_code == os_winxp;
}

std::uint8_t GetOSVersion(host::SystemInfo& system) {
    return os_code_of(system.os_version());
}

std::uint32_t PlatformFamily(host::SystemInfo& system) {
    return system.os_version().platform_id;
}

std::string OSVersionName(std::uint8_t os_code) {
    for (const OsName& entry : os_names)
        if (entry.code == os_code) return std::string("Win ") + entry.name;
    return "- ? -";
}

std::string OSVersionText(host::SystemInfo& system, diagnostics::LogBuffer& port_log) {
    const host::OsVersion v = system.os_version();
    const std::string text = OSVersionName(os_code_of(v)) + " Platform: " + std::to_string(v.platform_id) +
                             " MinorVersion: " + std::to_string(v.minor) +
                             " MajorVersion: " + std::to_string(v.major);
    port_log.add_line(" " + text);
    return text;
}

TSmallPort::TSmallPort(host::SystemInfo& system, DriverServices& services, diagnostics::LogBuffer& port_log)
    : system_(system), services_(services), port_log_(port_log) {
    log(".Create - init");
    FDriverHandle = invalid_device;
    FSCManager = no_handle;
    FDriverName = driver_name_default;
    FRemoveOnClose = true;
    FStopOnClose = true;
    FOSCode = GetOSVersion();
    if (nt_family()) {
        log(".Create - Win NT2000XP");
        FReadCode = ioctl_read_port_nt;
        FWriteCode = ioctl_write_port_nt;
    } else {
        log(".Create - Win 9598ME");
        FReadCode = ioctl_read_port_9x;
        FWriteCode = ioctl_write_port_9x;
    }
    FLastOk = false;
    FLastError = 0;
    log(".Create - fini");
}

TSmallPort::~TSmallPort() {
    if (Opened()) CloseDriver();
    if (nt_family()) {
        OpenServiceManager();
        if (FSCManager != no_handle) {
            // A service found installed or running when we opened belongs to someone else: leave it.
            if (FStopOnClose) StopService();
            if (FRemoveOnClose) RemoveDriver();
            CloseServiceManager();
        }
    }
}

std::uint8_t TSmallPort::GetOSVersion() {
    return port::GetOSVersion(system_);
}

void TSmallPort::set_Opened(bool /*value*/) {
    log(".ReOpen Driver");
    if (Opened())
        CloseDriver();
    else
        OpenDriver();
}

void TSmallPort::OpenDriver() {
    log(".OpenDriver - init");
    if (Opened()) CloseDriver();
    if (nt_family())
        open_nt_driver();
    else
        open_vxd();
}

void TSmallPort::open_nt_driver() {
    log("OpenDriver.sys - Win NT2000XP");
    OpenServiceManager();
    if (FSCManager == no_handle) return;

    InstallDriver();
    if (FLastError == error_service_exists) {
        FRemoveOnClose = false; // installed before us: not ours to remove
        FLastError = 0;
    } else if (FLastError != 0) {
        CloseServiceManager();
        return;
    }

    StartService();
    if (FLastError == error_service_already_running) {
        FStopOnClose = false; // running before us: not ours to stop
        FLastError = 0;
    }
    CloseServiceManager();
    if (FLastError != 0) return;

    const DeviceOpen how{generic_read | generic_write, 0, open_existing, file_attribute_normal};
    FDriverHandle = services_.open_device(device_prefix + FDriverName, how);
    if (FDriverHandle == invalid_device) FLastError = services_.last_error();
}

void TSmallPort::open_vxd() {
    log(".OpenDriver.vxd Win 9598ME");
    const DeviceOpen how{};
    FDriverHandle = services_.open_device(std::string(device_prefix) + vxd_file_name, how);
    if (FDriverHandle != invalid_device) {
        FLastOk = false;
        return;
    }
    FDriverHandle =
        services_.open_device(device_prefix + system_.system_directory() + "\\" + vxd_file_name, how);
    if (FDriverHandle == invalid_device) FLastError = services_.last_error();
}

void TSmallPort::CloseDriver() {
    log(".CloseDriver");
    if (FDriverHandle != invalid_device) {
        services_.close_handle(FDriverHandle);
        FDriverHandle = invalid_device;
    }
}

std::uint8_t TSmallPort::ReadPort(std::uint16_t port) {
    if (FDriverHandle == invalid_device) {
        FLastOk = false;
        FLastError = error_invalid_handle;
        return 0;
    }
    const std::array<std::uint8_t, 2> in{static_cast<std::uint8_t>(port & 0xFF),
                                         static_cast<std::uint8_t>(port >> 8)};
    std::array<std::uint8_t, 2> out{};
    FLastOk = services_.device_io_control(FDriverHandle, FReadCode, in.data(), in.size(), out.data(),
                                          out.size(), FBytesReturned);
    if (!FLastOk) {
        FLastError = services_.last_error();
        return 0;
    }
    return out[0];
}

void TSmallPort::WritePort(std::uint16_t port, std::uint8_t value) {
    if (FDriverHandle == invalid_device) {
        FLastOk = false;
        FLastError = error_invalid_handle;
        return;
    }
    FWriteBuffer[0] = static_cast<std::uint8_t>(port & 0xFF);
    FWriteBuffer[1] = static_cast<std::uint8_t>(port >> 8);
    FWriteBuffer[2] = value;
    std::array<std::uint8_t, 2> out{}; // the driver answers nothing we use
    FLastOk = services_.device_io_control(FDriverHandle, FWriteCode, FWriteBuffer.data(), FWriteBuffer.size(),
                                          out.data(), out.size(), FBytesReturned);
    if (!FLastOk) FLastError = services_.last_error();
}

void TSmallPort::OpenServiceManager() {
    log(".OpenServiceManager");
    if (FSCManager != no_handle) return;
    FLastError = 0;
    FSCManager = services_.open_sc_manager(sc_manager_all_access);
    if (FSCManager == no_handle) {
        FLastError = services_.last_error();
        log(".OpenServiceManager ERROR ");
    }
}

void TSmallPort::CloseServiceManager() {
    log(".CloseServiceManager");
    if (FSCManager != no_handle) {
        services_.close_service_handle(FSCManager);
        FSCManager = no_handle;
    }
}

void TSmallPort::InstallDriver() {
    FLastError = 0;
    const std::string file_name = FDriverName + driver_file_extension;
    std::string path = system_.current_directory() + path_separator + file_name;
    log(".InstallDriver");
    if (!system_.file_exists(path)) path = system_.system_directory() + path_separator + file_name;

    ServiceConfig config;
    config.service_name = FDriverName;
    config.display_name = FDriverName;
    config.binary_path = path;
    const Handle service = services_.create_service(FSCManager, config);
    if (service != no_handle) {
        services_.close_service_handle(service);
        FLastError = 0;
    } else {
        FLastError = services_.last_error();
        log(".InstallDriver ERROR");
    }
}

Handle TSmallPort::open_own_service() {
    const Handle service = services_.open_service(FSCManager, FDriverName, service_all_access);
    if (service == no_handle) FLastError = services_.last_error();
    return service;
}

void TSmallPort::StartService() {
    FLastError = 0;
    log(".StartService");
    const Handle service = open_own_service();
    const bool started = service != no_handle && services_.start_service(service);
    if (!started) {
        if (service != no_handle) FLastError = services_.last_error();
        log(".StartService ERROR");
    }
    if (service != no_handle) services_.close_service_handle(service);
}

void TSmallPort::StopService() {
    FLastError = 0;
    const Handle service = open_own_service();
    log(".StopService");
    if (service == no_handle) return;
    if (!services_.control_service(service, service_control_stop)) FLastError = services_.last_error();
    services_.close_service_handle(service);
}

void TSmallPort::RemoveDriver() {
    FLastError = 0;
    const Handle service = open_own_service();
    log(".RemoveDriver");
    if (service == no_handle) return;
    if (!services_.delete_service(service)) FLastError = services_.last_error();
    services_.close_service_handle(service);
}

} // namespace kelvor::port
