#include "platform/linux_driver_services.h"

#include <algorithm>
#include <cctype>

namespace kelvor::platform {

LinuxDriverServices::LinuxDriverServices(host::PortIo& ports, std::string system_directory)
    : ports_(ports), system_directory_(std::move(system_directory)) {}

bool LinuxDriverServices::fail(std::uint32_t code) {
    last_error_ = code;
    return false;
}

std::string LinuxDriverServices::key_of(const std::string& name) {
    std::string key = name;
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return key;
}

LinuxDriverServices::Service* LinuxDriverServices::service_of(port::Handle handle) {
    const auto h = service_handles_.find(handle);
    if (h == service_handles_.end()) return nullptr;
    const auto s = services_.find(h->second);
    return s == services_.end() ? nullptr : &s->second;
}

// A service marked for deletion goes once it is stopped and no handle refers to it any more.
void LinuxDriverServices::remove_if_deleted(const std::string& key) {
    const auto s = services_.find(key);
    if (s == services_.end() || !s->second.marked_for_delete || s->second.running) return;
    for (const auto& [handle, k] : service_handles_)
        if (k == key) return;
    services_.erase(s);
}

bool LinuxDriverServices::installed(const std::string& name) const {
    return services_.count(key_of(name)) > 0;
}

bool LinuxDriverServices::running(const std::string& name) const {
    const auto s = services_.find(key_of(name));
    return s != services_.end() && s->second.running;
}

port::Handle LinuxDriverServices::open_sc_manager(std::uint32_t) {
    const port::Handle h = next_handle_++;
    managers_.insert(h);
    return h;
}

bool LinuxDriverServices::close_service_handle(port::Handle handle) {
    if (managers_.erase(handle) > 0) return true;
    const auto h = service_handles_.find(handle);
    if (h == service_handles_.end()) return fail(port::error_invalid_handle);
    const std::string key = h->second;
    service_handles_.erase(h);
    remove_if_deleted(key);
    return true;
}

port::Handle LinuxDriverServices::create_service(port::Handle manager, const port::ServiceConfig& config) {
    if (!managers_.count(manager)) return fail(port::error_invalid_handle), port::no_handle;
    const std::string key = key_of(config.service_name);
    const auto existing = services_.find(key);
    if (existing != services_.end()) {
        fail(existing->second.marked_for_delete ? error_service_marked_for_delete
                                                : port::error_service_exists);
        return port::no_handle;
    }
    services_[key] = Service{config, false, false};
    const port::Handle h = next_handle_++;
    service_handles_[h] = key;
    return h;
}

port::Handle LinuxDriverServices::open_service(port::Handle manager, const std::string& service_name,
                                               std::uint32_t) {
    if (!managers_.count(manager)) return fail(port::error_invalid_handle), port::no_handle;
    const std::string key = key_of(service_name);
    if (!services_.count(key)) return fail(error_service_does_not_exist), port::no_handle;
    const port::Handle h = next_handle_++;
    service_handles_[h] = key;
    return h;
}

bool LinuxDriverServices::start_service(port::Handle service) {
    Service* s = service_of(service);
    if (!s) return fail(port::error_invalid_handle);
    if (s->marked_for_delete) return fail(error_service_marked_for_delete);
    if (s->running) return fail(port::error_service_already_running);
    s->running = true;
    return true;
}

bool LinuxDriverServices::control_service(port::Handle service, std::uint32_t control) {
    Service* s = service_of(service);
    if (!s) return fail(port::error_invalid_handle);
    if (control != port::service_control_stop) return fail(error_invalid_service_control);
    if (!s->running) return fail(error_service_not_active);
    s->running = false;
    return true;
}

bool LinuxDriverServices::delete_service(port::Handle service) {
    Service* s = service_of(service);
    if (!s) return fail(port::error_invalid_handle);
    if (s->marked_for_delete) return fail(error_service_marked_for_delete);
    s->marked_for_delete = true;
    return true;
}

port::Handle LinuxDriverServices::open_device(const std::string& name, const port::DeviceOpen&) {
    const std::string prefix = port::device_prefix;
    if (name.rfind(prefix, 0) != 0) return fail(error_file_not_found), port::invalid_device;
    const std::string rest = name.substr(prefix.size());
    DeviceKind kind;
    if (key_of(rest) == port::vxd_file_name ||
        key_of(rest) == key_of(system_directory_ + "\\" + port::vxd_file_name)) {
        kind = DeviceKind::vxd;
    } else if (running(rest)) {
        kind = DeviceKind::nt; // a kernel driver's device exists while its service runs
    } else {
        return fail(error_file_not_found), port::invalid_device;
    }
    const port::Handle h = next_handle_++;
    devices_[h] = kind;
    return h;
}

bool LinuxDriverServices::close_handle(port::Handle device) {
    if (devices_.erase(device) == 0) return fail(port::error_invalid_handle);
    return true;
}

bool LinuxDriverServices::device_io_control(port::Handle device, std::uint32_t code, const std::uint8_t* in,
                                            std::uint32_t in_size, std::uint8_t* out, std::uint32_t out_size,
                                            std::uint32_t& bytes_returned) {
    bytes_returned = 0;
    const auto d = devices_.find(device);
    if (d == devices_.end()) return fail(port::error_invalid_handle);
    const bool nt = d->second == DeviceKind::nt;
    const bool read = code == (nt ? port::ioctl_read_port_nt : port::ioctl_read_port_9x);
    const bool write = code == (nt ? port::ioctl_write_port_nt : port::ioctl_write_port_9x);
    if (!read && !write) return fail(error_invalid_function);
    // read: port (2 bytes little-endian) in, the byte in the low byte of 2 bytes out;
    // write: port (2 bytes), value, spare byte in.
    if (in == nullptr || in_size < (read ? 2u : 3u)) return fail(error_insufficient_buffer);
    const auto port = static_cast<std::uint16_t>(in[0] | (in[1] << 8));
    if (read) {
        if (out == nullptr || out_size < 2) return fail(error_insufficient_buffer);
        std::uint8_t value = 0;
        if (!ports_.read_port(port, value)) return fail(error_gen_failure);
        out[0] = value;
        out[1] = 0;
        bytes_returned = 2;
        return true;
    }
    if (!ports_.write_port(port, in[2])) return fail(error_gen_failure);
    return true;
}

} // namespace kelvor::platform
