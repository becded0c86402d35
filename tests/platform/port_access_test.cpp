#include "platform/port_access.h"

#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#include "platform/linux_driver_services.h"
#include "platform/stream_audio_out.h"

namespace kelvor::platform {
namespace {

struct StepClock : host::Clock {
    double t = 0;
    double now_ms() override { return t += 1.5; }
};

TEST(PortAccess, EmulatedByDefaultAndUnknownSettingsAreExplained) {
    emu::SoundStream stream{20};
    StepClock clock;
    struct Row {
        const char* setting;
        bool notice;
    };
    for (const Row& r :
         {Row{"", false}, Row{"emulated", false}, Row{"hardwar", true}, Row{"HARDWARE", true}}) {
        PortAccess a = make_port_access(r.setting, "", stream, clock);
        EXPECT_EQ(a.io, a.emulated.get()) << r.setting;
        EXPECT_EQ(a.hardware_access, HardwareAccess::none);
        EXPECT_EQ(!a.notice.empty(), r.notice) << r.setting << ": " << a.notice;
    }
    // KELVOR_PORTS=hardware itself is never tried here: as root on a build host it would reach real ports.
}

TEST(PortAccess, TraceFileGetsOneLinePerAccess) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("trace.txt").toStdString();
    emu::SoundStream stream{20};
    StepClock clock;
    {
        PortAccess a = make_port_access("", path, stream, clock);
        ASSERT_TRUE(a.notice.empty()) << a.notice;
        std::uint8_t v = 0;
        a.io->write_port(0x388, 0x21);
        a.io->write_port(0x61, 0x33);
        ASSERT_TRUE(a.io->read_port(0x61, v));
        EXPECT_EQ(v, 0x33);
        a.io->read_port(0x300, v);
    }
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    // (the emulated bus reads the clock too, to stamp each write)
    EXPECT_EQ(text.str(), "1.500 w 0388 21\n4.500 w 0061 33\n7.500 r 0061 33\n9.000 r 0300 FF\n");

    PortAccess bad = make_port_access("", dir.filePath("no/such/dir/t").toStdString(), stream, clock);
    EXPECT_EQ(bad.io, bad.emulated.get());
    EXPECT_NE(bad.notice.find("cannot open the port trace"), std::string::npos);
}

TEST(PortAccess, SystemFamilyFollowsWhatUserCodeMayDoWithPorts) {
    EXPECT_EQ(LinuxSystemInfo(HardwareAccess::none).os_version().platform_id, host::platform_windows_95);
    EXPECT_EQ(LinuxSystemInfo(HardwareAccess::io_permission).os_version().platform_id,
              host::platform_windows_95);
    EXPECT_EQ(LinuxSystemInfo(HardwareAccess::dev_port).os_version().platform_id, host::platform_windows_nt);
    const host::OsVersion v = LinuxSystemInfo(HardwareAccess::none).os_version();
    EXPECT_GE(v.major, 2u); // the kernel's own numbers
    LinuxSystemInfo sys(HardwareAccess::none);
    EXPECT_EQ(sys.system_directory(), system_directory_path);
    EXPECT_FALSE(sys.current_directory().empty());
    EXPECT_FALSE(sys.file_exists(sys.current_directory())); // a folder is no file
}

TEST(WaveImageSamples, ReadsOnlyPcm16AtTheStreamRate) {
    std::vector<std::uint8_t> image = {'R', 'I', 'F',  'F',  0, 0, 0, 0,    'W',  'A',  'V', 'E',  'f',
                                       'm', 't', ' ',  18,   0, 0, 0, 1,    0,    1,    0,   0x44, 0xAC,
                                       0,   0,   0x88, 0x58, 1, 0, 2, 0,    16,   0,    0,   0,    'd',
                                       'a', 't', 'a',  4,    0, 0, 0, 0x01, 0x00, 0xFF, 0xFF};
    EXPECT_EQ(wave_image_samples(image), (std::vector<std::int16_t>{1, -1}));
    auto wrong_rate = image;
    wrong_rate[24] = 0x22; // 22050 Hz
    EXPECT_TRUE(wave_image_samples(wrong_rate).empty());
    auto truncated = image;
    truncated.resize(truncated.size() - 1); // the data chunk claims more than there is
    EXPECT_TRUE(wave_image_samples(truncated).empty());
    EXPECT_TRUE(wave_image_samples({}).empty());
}

// ---- the port driver's services ----

struct BusRecorder : host::PortIo {
    std::vector<std::pair<std::uint16_t, std::uint8_t>> writes;
    bool write_port(std::uint16_t port, std::uint8_t value) override {
        writes.emplace_back(port, value);
        return true;
    }
    bool read_port(std::uint16_t port, std::uint8_t& value) override {
        value = static_cast<std::uint8_t>(port & 0xFF);
        return true;
    }
};

class DriverServicesTest : public ::testing::Test {
  protected:
    BusRecorder bus;
    LinuxDriverServices services{bus, "/usr/lib/kelvor"};
    port::ServiceConfig config = [] {
        port::ServiceConfig c;
        c.service_name = c.display_name = "Smport";
        c.binary_path = "/usr/lib/kelvor\\Smport.sys";
        return c;
    }();
};

TEST_F(DriverServicesTest, ServiceLifecycleGivesTheServiceManagersOutcomes) {
    const port::Handle m = services.open_sc_manager(port::sc_manager_all_access);
    ASSERT_NE(m, port::no_handle);
    EXPECT_EQ(services.open_service(m, "Smport", port::service_all_access), port::no_handle);
    EXPECT_EQ(services.last_error(), error_service_does_not_exist);

    const port::Handle created = services.create_service(m, config);
    ASSERT_NE(created, port::no_handle);
    EXPECT_TRUE(services.close_service_handle(created));
    EXPECT_EQ(services.create_service(m, config), port::no_handle);
    EXPECT_EQ(services.last_error(), port::error_service_exists);

    const port::Handle s = services.open_service(m, "smport", port::service_all_access); // names ignore case
    ASSERT_NE(s, port::no_handle);
    EXPECT_FALSE(services.control_service(s, port::service_control_stop));
    EXPECT_EQ(services.last_error(), error_service_not_active);
    EXPECT_TRUE(services.start_service(s)); // no driver file needed
    EXPECT_FALSE(services.start_service(s));
    EXPECT_EQ(services.last_error(), port::error_service_already_running);
    EXPECT_TRUE(services.running("Smport"));

    EXPECT_TRUE(services.delete_service(s)); // marked; goes when stopped and closed
    EXPECT_TRUE(services.installed("Smport"));
    EXPECT_TRUE(services.control_service(s, port::service_control_stop));
    EXPECT_TRUE(services.close_service_handle(s));
    EXPECT_FALSE(services.installed("Smport"));
    EXPECT_FALSE(services.close_service_handle(s));
    EXPECT_EQ(services.last_error(), port::error_invalid_handle);
    EXPECT_TRUE(services.close_service_handle(m));
    EXPECT_EQ(services.create_service(m, config), port::no_handle);
    EXPECT_EQ(services.last_error(), port::error_invalid_handle);
}

TEST_F(DriverServicesTest, DeviceRequestsReachThePortBus) {
    // The kernel driver's device exists only while its service runs.
    const port::DeviceOpen nt_open{port::generic_read | port::generic_write, 0, port::open_existing,
                                   port::file_attribute_normal};
    EXPECT_EQ(services.open_device("\\\\.\\Smport", nt_open), port::invalid_device);
    EXPECT_EQ(services.last_error(), error_file_not_found);
    const port::Handle m = services.open_sc_manager(port::sc_manager_all_access);
    services.close_service_handle(services.create_service(m, config));
    const port::Handle s = services.open_service(m, "Smport", port::service_all_access);
    services.start_service(s);
    const port::Handle nt = services.open_device("\\\\.\\Smport", nt_open);
    ASSERT_NE(nt, port::invalid_device);

    std::uint8_t out[2] = {0xAA, 0xAA};
    std::uint32_t got = 9;
    const std::uint8_t read_in[2] = {0x61, 0x00};
    ASSERT_TRUE(services.device_io_control(nt, port::ioctl_read_port_nt, read_in, 2, out, 2, got));
    EXPECT_EQ(got, 2u);
    EXPECT_EQ(out[0], 0x61);
    EXPECT_EQ(out[1], 0);
    const std::uint8_t write_in[4] = {0x88, 0x03, 0x21, 0x00};
    ASSERT_TRUE(services.device_io_control(nt, port::ioctl_write_port_nt, write_in, 4, out, 2, got));
    EXPECT_EQ(bus.writes, (decltype(bus.writes){{0x388, 0x21}}));

    struct Bad {
        std::uint32_t code;
        std::uint32_t in_size;
        std::uint32_t error;
    };
    for (const Bad& b : {Bad{port::ioctl_write_port_9x, 4, error_invalid_function},
                         Bad{port::ioctl_write_port_nt, 2, error_insufficient_buffer},
                         Bad{port::ioctl_read_port_nt, 1, error_insufficient_buffer}}) {
        EXPECT_FALSE(services.device_io_control(nt, b.code, write_in, b.in_size, out, 2, got)) << b.code;
        EXPECT_EQ(services.last_error(), b.error) << b.code;
    }
    EXPECT_TRUE(services.close_handle(nt));
    EXPECT_FALSE(services.device_io_control(nt, port::ioctl_read_port_nt, read_in, 2, out, 2, got));
    EXPECT_EQ(services.last_error(), port::error_invalid_handle);

    // The virtual device of the 95 family, by its name or under the system directory, with its codes.
    for (const char* name : {"\\\\.\\smport.vxd", "\\\\.\\/usr/lib/kelvor\\smport.vxd"}) {
        const port::Handle vxd = services.open_device(name, port::DeviceOpen{});
        ASSERT_NE(vxd, port::invalid_device) << name;
        EXPECT_TRUE(services.device_io_control(vxd, port::ioctl_write_port_9x, write_in, 4, out, 2, got));
        EXPECT_FALSE(services.device_io_control(vxd, port::ioctl_write_port_nt, write_in, 4, out, 2, got));
        services.close_handle(vxd);
    }
    EXPECT_EQ(services.open_device("\\\\.\\other.vxd", port::DeviceOpen{}), port::invalid_device);
}

} // namespace
} // namespace kelvor::platform
