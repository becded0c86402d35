#pragma once
// The port driver's services on Linux: an in-process service registry that behaves like the service
// control manager (same outcomes, same error codes), and the driver's device, whose port requests go to
// the program's port I/O (the emulated bus, or real ports when the user chose them). No driver file is
// needed: starting the service succeeds without one, and the device exists while the service runs.
// The 95 family's virtual device ("\\.\smport.vxd", also under the system directory) is always there.
#include <map>
#include <set>
#include <string>

#include "core/host/port_io.h"
#include "core/port/driver_services.h"

namespace kelvor::platform {

// System error codes beyond those the component decides on.
constexpr std::uint32_t error_invalid_function = 1;
constexpr std::uint32_t error_file_not_found = 2;
constexpr std::uint32_t error_gen_failure = 31;
constexpr std::uint32_t error_insufficient_buffer = 122;
constexpr std::uint32_t error_service_does_not_exist = 1060;
constexpr std::uint32_t error_service_not_active = 1062;
constexpr std::uint32_t error_service_marked_for_delete = 1072;
constexpr std::uint32_t error_invalid_service_control = 1052;

class LinuxDriverServices final : public port::DriverServices {
  public:
    // `system_directory` is the folder the 95 family's device may be named under.
    LinuxDriverServices(host::PortIo& ports, std::string system_directory);

    port::Handle open_sc_manager(std::uint32_t desired_access) override;
    bool close_service_handle(port::Handle handle) override;
    port::Handle create_service(port::Handle manager, const port::ServiceConfig& config) override;
    port::Handle open_service(port::Handle manager, const std::string& service_name,
                              std::uint32_t desired_access) override;
    bool start_service(port::Handle service) override;
    bool control_service(port::Handle service, std::uint32_t control) override;
    bool delete_service(port::Handle service) override;

    port::Handle open_device(const std::string& name, const port::DeviceOpen& how) override;
    bool close_handle(port::Handle device) override;
    bool device_io_control(port::Handle device, std::uint32_t code, const std::uint8_t* in,
                           std::uint32_t in_size, std::uint8_t* out, std::uint32_t out_size,
                           std::uint32_t& bytes_returned) override;

    std::uint32_t last_error() override { return last_error_; }

    // For checks: whether a service is installed and whether it runs.
    bool installed(const std::string& name) const;
    bool running(const std::string& name) const;

  private:
    struct Service {
        port::ServiceConfig config;
        bool running = false;
        bool marked_for_delete = false;
    };
    enum class DeviceKind { nt, vxd };

    bool fail(std::uint32_t code);
    Service* service_of(port::Handle handle);
    void remove_if_deleted(const std::string& key);
    static std::string key_of(const std::string& name); // service names ignore case

    host::PortIo& ports_;
    std::string system_directory_;
    std::uint32_t last_error_ = 0;
    port::Handle next_handle_ = 0x100;
    std::set<port::Handle> managers_;
    std::map<port::Handle, std::string> service_handles_; // handle -> service key
    std::map<std::string, Service> services_;
    std::map<port::Handle, DeviceKind> devices_;
};

} // namespace kelvor::platform
