#pragma once
// The operating-system services the port driver component needs: the service control manager (to
// install, start, stop and remove the driver as a demand-start kernel service) and the driver's device
// (opened by name, then asked for one port byte per device control request). Every call that fails
// leaves a system error code for last_error(), as the component keeps the code of its last failing step.
//
// On Linux the service manager is an in-process registry and the device's requests reach the port bus;
// tests script the outcomes.
#include <cstdint>
#include <string>

namespace kelvor::port {

// Service manager and service handles: 0 means none. Device handles: invalid_device means none.
using Handle = std::intptr_t;
constexpr Handle no_handle = 0;
constexpr Handle invalid_device = -1;

// System error codes the component decides on.
constexpr std::uint32_t error_invalid_handle = 6;
constexpr std::uint32_t error_service_already_running = 1056;
constexpr std::uint32_t error_service_exists = 1073;

// Access rights, service kinds and control codes of the service manager.
constexpr std::uint32_t sc_manager_all_access = 0xF003F;
constexpr std::uint32_t service_all_access = 0xF01FF;
constexpr std::uint32_t service_kernel_driver = 1;
constexpr std::uint32_t service_demand_start = 3;
constexpr std::uint32_t service_error_normal = 1;
constexpr std::uint32_t service_control_stop = 1;

// Device open arguments.
constexpr std::uint32_t generic_read = 0x80000000;
constexpr std::uint32_t generic_write = 0x40000000;
constexpr std::uint32_t open_existing = 3;
constexpr std::uint32_t file_attribute_normal = 0x80;

// Device control requests. NT codes: device type in bits 16-31, required access in bits 14-15
// (1 read, 2 write), function in bits 2-13, transfer method in bits 0-1 (0 buffered).
//   read:  input = port (2 bytes, little-endian); output = 2 bytes, the port's byte in the low byte
//   write: input = port (2 bytes, little-endian), value (1 byte), one spare byte 0; output ignored
constexpr std::uint32_t ioctl_read_port_nt = 0xF1006404;  // type 0xF100, function 0x901, read access
constexpr std::uint32_t ioctl_write_port_nt = 0xF100A408; // type 0xF100, function 0x902, write access
constexpr std::uint32_t ioctl_read_port_9x = 2;
constexpr std::uint32_t ioctl_write_port_9x = 3;

// Device names: the NT family's kernel driver device is "\\.\" + service name; the 95 family's virtual
// device driver is "\\.\smport.vxd" (or the same file in the system directory).
constexpr const char* device_prefix = "\\\\.\\";
constexpr const char* vxd_file_name = "smport.vxd";

struct ServiceConfig {
    std::string service_name;
    std::string display_name;
    std::uint32_t desired_access = service_all_access;
    std::uint32_t service_type = service_kernel_driver;
    std::uint32_t start_type = service_demand_start;
    std::uint32_t error_control = service_error_normal;
    std::string binary_path; // the driver file
};

struct DeviceOpen {
    std::uint32_t access = 0; // generic_read | generic_write, or 0
    std::uint32_t share_mode = 0;
    std::uint32_t creation_disposition = 0; // open_existing, or 0
    std::uint32_t flags = 0;                // file_attribute_normal, or 0
};

class DriverServices {
  public:
    virtual ~DriverServices() = default;

    // Service control manager of the local machine, default database; no_handle on failure.
    virtual Handle open_sc_manager(std::uint32_t desired_access) = 0;
    // Closes a manager or service handle.
    virtual bool close_service_handle(Handle handle) = 0;
    // Installs a service; its handle, or no_handle on failure (error_service_exists when installed).
    virtual Handle create_service(Handle manager, const ServiceConfig& config) = 0;
    virtual Handle open_service(Handle manager, const std::string& service_name,
                                std::uint32_t desired_access) = 0;
    // Starts with no arguments; fails with error_service_already_running when it runs.
    virtual bool start_service(Handle service) = 0;
    // Sends a control (service_control_stop) to the service.
    virtual bool control_service(Handle service, std::uint32_t control) = 0;
    // Marks the service for deletion.
    virtual bool delete_service(Handle service) = 0;

    // Opens a device by name; invalid_device on failure.
    virtual Handle open_device(const std::string& name, const DeviceOpen& how) = 0;
    virtual bool close_handle(Handle device) = 0;
    // One device control request; `bytes_returned` gets the byte count written to `out`.
    virtual bool device_io_control(Handle device, std::uint32_t code, const std::uint8_t* in,
                                   std::uint32_t in_size, std::uint8_t* out, std::uint32_t out_size,
                                   std::uint32_t& bytes_returned) = 0;

    // System error code of the last failing call.
    virtual std::uint32_t last_error() = 0;
};

} // namespace kelvor::port
