#pragma once
// Fakes for port access and tone output: a port recorder with scripted reads and failures, a clock that
// moves on every read (so busy-waits end), a wave output recorder, fixed system information and a
// driver service layer with scripted outcomes. Message boxes: FakeDialogs in fake_host.h.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/host/clock.h"
#include "core/host/port_io.h"
#include "core/host/system_info.h"
#include "core/port/driver_services.h"
#include "core/tone/wave_output.h"

namespace kelvor::testing {

// Every read returns the time and then moves it on by `step_ms`.
class SteppingClock : public host::Clock {
  public:
    double now_ms() override {
        const double t = now;
        now += step_ms;
        return t;
    }
    double now = 0;
    double step_ms = 1;
};

struct PortWrite {
    std::uint16_t port;
    std::uint8_t value;
    double at_ms; // clock time of the write
    friend bool operator==(const PortWrite& a, const PortWrite& b) {
        return a.port == b.port && a.value == b.value;
    }
};

class RecordingPortIo : public host::PortIo {
  public:
    explicit RecordingPortIo(const SteppingClock* clock = nullptr) : clock_(clock) {}

    bool write_port(std::uint16_t port, std::uint8_t value) override {
        if (on_write) on_write(port, value);
        if (fail_writes) return false;
        writes.push_back({port, value, clock_ ? clock_->now : 0});
        return true;
    }
    bool read_port(std::uint16_t port, std::uint8_t& value) override {
        reads.push_back(port);
        if (fail_reads) return false;
        const auto it = read_values.find(port);
        value = it == read_values.end() ? 0xFF : it->second;
        return true;
    }

    std::vector<PortWrite> writes;
    std::vector<std::uint16_t> reads;
    std::map<std::uint16_t, std::uint8_t> read_values;
    bool fail_writes = false;
    bool fail_reads = false;
    std::function<void(std::uint16_t, std::uint8_t)> on_write; // runs before each write, failing or not

  private:
    const SteppingClock* clock_;
};

class RecordingWaveOutput : public tone::WaveOutput {
  public:
    struct Made {
        std::uint16_t freq_hz;
        std::int8_t level_db;
        std::uint16_t cal_volume;
        friend bool operator==(const Made&, const Made&) = default;
    };
    void make_wave(std::uint16_t freq_hz, std::int8_t level_db, std::uint16_t cal_volume) override {
        made.push_back({freq_hz, level_db, cal_volume});
    }
    void play_wave() override { ++played; }
    void free_waves() override { ++freed; }
    int output_device_count() override { return device_count; }

    std::vector<Made> made;
    int played = 0;
    int freed = 0;
    int device_count = 1;
};

class FixedSystemInfo : public host::SystemInfo {
  public:
    host::OsVersion os_version() override { return version; }
    std::string system_directory() override { return system_dir; }
    std::string current_directory() override { return current_dir; }
    bool file_exists(const std::string& path) override { return files.count(path) > 0; }

    host::OsVersion version{host::platform_windows_nt, 5, 1, 2600};
    std::string system_dir = "/sys32";
    std::string current_dir = "/home/kelvor";
    std::set<std::string> files;
};

// A service manager and device whose answers a test scripts. Records every call in `calls`.
class ScriptedDriverServices : public port::DriverServices {
  public:
    port::Handle open_sc_manager(std::uint32_t access) override {
        calls.push_back("open_sc_manager " + hex(access));
        return fail(manager_error) ? port::no_handle : manager_handle;
    }
    bool close_service_handle(port::Handle handle) override {
        calls.push_back("close_service_handle " + std::to_string(handle));
        return true;
    }
    port::Handle create_service(port::Handle, const port::ServiceConfig& config) override {
        calls.push_back("create_service " + config.service_name + " " + config.binary_path);
        created.push_back(config);
        return fail(create_error) ? port::no_handle : service_handle;
    }
    port::Handle open_service(port::Handle, const std::string& name, std::uint32_t access) override {
        calls.push_back("open_service " + name + " " + hex(access));
        return fail(open_service_error) ? port::no_handle : service_handle;
    }
    bool start_service(port::Handle) override {
        calls.push_back("start_service");
        return !fail(start_error);
    }
    bool control_service(port::Handle, std::uint32_t control) override {
        calls.push_back("control_service " + std::to_string(control));
        return !fail(control_error);
    }
    bool delete_service(port::Handle) override {
        calls.push_back("delete_service");
        return !fail(delete_error);
    }
    port::Handle open_device(const std::string& name, const port::DeviceOpen& how) override {
        calls.push_back("open_device " + name + " " + hex(how.access));
        if (devices.count(name) == 0) {
            error = device_missing_error;
            return port::invalid_device;
        }
        return device_handle;
    }
    bool close_handle(port::Handle device) override {
        calls.push_back("close_handle " + std::to_string(device));
        return true;
    }
    bool device_io_control(port::Handle device, std::uint32_t code, const std::uint8_t* in,
                           std::uint32_t in_size, std::uint8_t* out, std::uint32_t out_size,
                           std::uint32_t& bytes_returned) override {
        requests.push_back({device, code, std::vector<std::uint8_t>(in, in + in_size), out_size});
        if (fail(ioctl_error)) return false;
        if (out_size >= 2) {
            out[0] = read_answer;
            out[1] = 0;
        }
        bytes_returned = 2;
        return true;
    }
    std::uint32_t last_error() override { return error; }

    struct Request {
        port::Handle device;
        std::uint32_t code;
        std::vector<std::uint8_t> in;
        std::uint32_t out_size;
    };

    // Outcomes: 0 succeeds, anything else fails with that error code.
    std::uint32_t manager_error = 0;
    std::uint32_t create_error = 0;
    std::uint32_t open_service_error = 0;
    std::uint32_t start_error = 0;
    std::uint32_t control_error = 0;
    std::uint32_t delete_error = 0;
    std::uint32_t ioctl_error = 0;
    std::uint32_t device_missing_error = 2;
    std::set<std::string> devices{"\\\\.\\Smport"};
    std::uint8_t read_answer = 0;

    port::Handle manager_handle = 11;
    port::Handle service_handle = 22;
    port::Handle device_handle = 33;

    std::vector<std::string> calls;
    std::vector<port::ServiceConfig> created;
    std::vector<Request> requests;

  private:
    bool fail(std::uint32_t code) {
        if (code == 0) return false;
        error = code;
        return true;
    }
    static std::string hex(std::uint32_t v) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%X", v);
        return buf;
    }
    std::uint32_t error = 0;
};

} // namespace kelvor::testing
