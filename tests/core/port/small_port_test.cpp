#include "core/port/small_port.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "support/port_fakes.h"

namespace kelvor::port {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class SmallPortTest : public ::testing::Test {
  protected:
    std::unique_ptr<TSmallPort> create() {
        auto component = std::make_unique<TSmallPort>(system, services, port_log);
        return component;
    }
    std::vector<std::string> take_log() {
        std::vector<std::string> lines;
        for (std::size_t i = 0; i < port_log.count(); ++i)
            lines.push_back(port_log.line(i));
        diagnostics::PortLogRing ring;
        port_log.show(ring);
        return lines;
    }
    std::vector<std::string> take_calls() { return std::exchange(services.calls, {}); }

    testing::FixedSystemInfo system; // NT 5.1 unless a test says otherwise
    testing::ScriptedDriverServices services;
    diagnostics::LogBuffer port_log{port_log_name, 200};
};

TEST(OsVersion, CodesAndNames) {
    struct Case {
        std::uint32_t platform, major, minor;
        std::uint8_t code;
        const char* name;
    };
    const Case cases[] = {
        {0, 3, 10, 1, "Win 3.1"},     {1, 4, 0, 2, "Win 95"},       {1, 4, 10, 3, "Win 98"},
        {1, 4, 90, 6, "Win ME"},      {1, 4, 3, 0, "Win unknown"},  {2, 4, 0, 4, "Win NT"},
        {2, 5, 0, 5, "Win 2000"},     {2, 5, 1, 5, "Win 2000"},     {2, 6, 1, 7, "Win XP"},
        {2, 10, 0, 0, "Win unknown"}, {2, 3, 51, 0, "Win unknown"}, {3, 5, 0, 0, "Win unknown"},
    };
    testing::FixedSystemInfo system;
    for (const Case& c : cases) {
        system.version = {c.platform, c.major, c.minor, 0};
        EXPECT_EQ(GetOSVersion(system), c.code) << c.platform << " " << c.major << "." << c.minor;
        EXPECT_EQ(OSVersionName(c.code), c.name);
        EXPECT_EQ(PlatformFamily(system), c.platform);
    }
    EXPECT_EQ(OSVersionName(8), "- ? -");
    EXPECT_EQ(OSVersionName(255), "- ? -");
}

TEST_F(SmallPortTest, OsVersionTextIsReturnedAndLogged) {
    EXPECT_EQ(OSVersionText(system, port_log), "Win 2000 Platform: 2 MinorVersion: 1 MajorVersion: 5");
    EXPECT_THAT(take_log(), ElementsAre(":> Port Win 2000 Platform: 2 MinorVersion: 1 MajorVersion: 5"));
}

TEST_F(SmallPortTest, CreateChoosesTheFamilysControlCodes) {
    {
        auto c = create();
        EXPECT_FALSE(c->Opened());
        EXPECT_EQ(c->DriverHandle(), -1);
        EXPECT_EQ(c->os_code(), 5);
        EXPECT_EQ(c->read_code(), 0xF1006404u);
        EXPECT_EQ(c->write_code(), 0xF100A408u);
        EXPECT_EQ(c->driver_name(), "Smport");
        EXPECT_TRUE(c->remove_on_close());
        EXPECT_TRUE(c->stop_on_close());
        EXPECT_FALSE(c->last_ok());
        EXPECT_EQ(c->last_error(), 0u);
        EXPECT_THAT(take_log(), ElementsAre(":> Port.Create - init", ":> Port.Create - Win NT2000XP",
                                            ":> Port.Create - fini"));
    }
    take_log();
    system.version = {host::platform_windows_nt, 10, 0,
                      19045}; // too new for the table: the 95 family's codes
    auto c = create();
    EXPECT_EQ(c->os_code(), 0);
    EXPECT_EQ(c->read_code(), 2u);
    EXPECT_EQ(c->write_code(), 3u);
    EXPECT_THAT(take_log(),
                ElementsAre(":> Port.Create - init", ":> Port.Create - Win 9598ME", ":> Port.Create - fini"));
}

TEST_F(SmallPortTest, FreshServiceIsInstalledStartedAndRemovedAgain) {
    system.files.insert("/home/kelvor/Smport.sys");
    auto c = create();
    take_log();
    c->OpenDriver();
    EXPECT_TRUE(c->Opened());
    EXPECT_EQ(c->DriverHandle(), services.device_handle);
    EXPECT_EQ(c->last_error(), 0u);
    EXPECT_THAT(take_calls(),
                ElementsAre("open_sc_manager F003F", "create_service Smport /home/kelvor/Smport.sys",
                            "close_service_handle 22", "open_service Smport F01FF", "start_service",
                            "close_service_handle 22", "close_service_handle 11",
                            "open_device \\\\.\\Smport C0000000"));
    ASSERT_EQ(services.created.size(), 1u);
    const ServiceConfig& config = services.created[0];
    EXPECT_EQ(config.display_name, "Smport");
    EXPECT_EQ(config.desired_access, 0xF01FFu);
    EXPECT_EQ(config.service_type, 1u);
    EXPECT_EQ(config.start_type, 3u);
    EXPECT_EQ(config.error_control, 1u);
    EXPECT_THAT(take_log(), ElementsAre(":> Port.OpenDriver - init", ":> PortOpenDriver.sys - Win NT2000XP",
                                        ":> Port.OpenServiceManager", ":> Port.InstallDriver",
                                        ":> Port.StartService", ":> Port.CloseServiceManager"));
    c.reset();
    EXPECT_THAT(take_calls(),
                ElementsAre("close_handle 33", "open_sc_manager F003F", "open_service Smport F01FF",
                            "control_service 1", "close_service_handle 22", "open_service Smport F01FF",
                            "delete_service", "close_service_handle 22", "close_service_handle 11"));
    EXPECT_THAT(take_log(),
                ElementsAre(":> Port.CloseDriver", ":> Port.OpenServiceManager", ":> Port.StopService",
                            ":> Port.RemoveDriver", ":> Port.CloseServiceManager"));
}

TEST_F(SmallPortTest, ServiceFoundInstalledAndRunningIsLeftAsFound) {
    services.create_error = error_service_exists;
    services.start_error = error_service_already_running;
    auto c = create();
    take_log();
    c->OpenDriver();
    EXPECT_TRUE(c->Opened());
    EXPECT_EQ(c->last_error(), 0u);
    EXPECT_FALSE(c->remove_on_close());
    EXPECT_FALSE(c->stop_on_close());
    // No driver file in the current directory: the service points at the system directory's.
    ASSERT_EQ(services.created.size(), 1u);
    EXPECT_EQ(services.created[0].binary_path, "/sys32/Smport.sys");
    EXPECT_THAT(take_log(), ElementsAre(":> Port.OpenDriver - init", ":> PortOpenDriver.sys - Win NT2000XP",
                                        ":> Port.OpenServiceManager", ":> Port.InstallDriver",
                                        ":> Port.InstallDriver ERROR", ":> Port.StartService",
                                        ":> Port.StartService ERROR", ":> Port.CloseServiceManager"));
    take_calls();
    c.reset();
    EXPECT_THAT(take_calls(),
                ElementsAre("close_handle 33", "open_sc_manager F003F", "close_service_handle 11"));
}

TEST_F(SmallPortTest, EachFamilyGetsItsControlCodes) {
    struct Case {
        std::uint32_t platform, major, minor;
        bool nt;
    };
    // Version codes 1..7 and 0: only NT (4), 2000 (5) and XP (7) take the driver's NT requests.
    const Case cases[] = {{0, 3, 10, false}, {1, 4, 0, false},  {1, 4, 10, false}, {2, 4, 0, true},
                          {2, 5, 1, true},   {1, 4, 90, false}, {2, 6, 0, true},   {2, 10, 0, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.platform) + " " + std::to_string(c.major) + "." +
                     std::to_string(c.minor));
        system.version = {c.platform, c.major, c.minor, 0};
        auto component = create();
        EXPECT_EQ(component->read_code(), c.nt ? 0xF1006404u : 2u);
        EXPECT_EQ(component->write_code(), c.nt ? 0xF100A408u : 3u);
        EXPECT_EQ(take_log().at(1), c.nt ? ":> Port.Create - Win NT2000XP" : ":> Port.Create - Win 9598ME");
        component->OpenDriver();
        EXPECT_EQ(take_log().at(1),
                  c.nt ? ":> PortOpenDriver.sys - Win NT2000XP" : ":> Port.OpenDriver.vxd Win 9598ME");
        component.reset();
        take_log();
    }
}

// What the end of the run does to the service depends on what the driver's opening found.
TEST_F(SmallPortTest, DestroyUndoesOnlyWhatThisRunDid) {
    struct Case {
        const char* found;
        std::uint32_t create_error;
        std::uint32_t start_error;
        bool stopped;
        bool removed;
    };
    const Case cases[] = {
        {"nothing", 0, 0, true, true},
        {"installed, not running", error_service_exists, 0, true, false},
        {"running", 0, error_service_already_running, false, true},
        {"installed and running", error_service_exists, error_service_already_running, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.found);
        services = testing::ScriptedDriverServices{};
        services.create_error = c.create_error;
        services.start_error = c.start_error;
        auto component = create();
        component->OpenDriver();
        EXPECT_TRUE(component->Opened());
        EXPECT_EQ(component->last_error(), 0u);
        take_calls();
        take_log();
        component.reset();
        const auto calls = take_calls();
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "control_service 1"), c.stopped ? 1 : 0);
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "delete_service"), c.removed ? 1 : 0);
        const auto log = take_log();
        EXPECT_EQ(std::count(log.begin(), log.end(), ":> Port.StopService"), c.stopped ? 1 : 0);
        EXPECT_EQ(std::count(log.begin(), log.end(), ":> Port.RemoveDriver"), c.removed ? 1 : 0);
        EXPECT_EQ(log.back(), ":> Port.CloseServiceManager");
    }
}

TEST_F(SmallPortTest, FailedStepsLeaveTheComponentClosed) {
    struct Case {
        const char* what;
        std::uint32_t testing::ScriptedDriverServices::*outcome;
        std::uint32_t error;
        const char* last_call;
        const char* error_line;
    };
    const Case cases[] = {
        {"no manager", &testing::ScriptedDriverServices::manager_error, 5, "open_sc_manager F003F",
         ":> Port.OpenServiceManager ERROR "},
        {"install refused", &testing::ScriptedDriverServices::create_error, 5, "close_service_handle 11",
         ":> Port.InstallDriver ERROR"},
        {"start fails", &testing::ScriptedDriverServices::start_error, 2, "close_service_handle 11",
         ":> Port.StartService ERROR"},
        {"no such service", &testing::ScriptedDriverServices::open_service_error, 1060,
         "close_service_handle 11", ":> Port.StartService ERROR"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing::ScriptedDriverServices fresh;
        services = fresh;
        services.*c.outcome = c.error;
        auto component = create();
        take_log();
        component->OpenDriver();
        EXPECT_FALSE(component->Opened());
        EXPECT_EQ(component->last_error(), c.error);
        const auto calls = take_calls();
        EXPECT_EQ(calls.back(), c.last_call);
        const auto log = take_log();
        EXPECT_EQ(std::count(log.begin(), log.end(), c.error_line), 1);
        component->WritePort(0x388, 1);
        EXPECT_EQ(component->last_error(), error_invalid_handle);
        EXPECT_THAT(services.requests, IsEmpty());
    }
}

TEST_F(SmallPortTest, MissingDeviceKeepsItsError) {
    services.devices.clear();
    services.device_missing_error = 2;
    auto c = create();
    c->OpenDriver();
    EXPECT_FALSE(c->Opened());
    EXPECT_EQ(c->last_error(), 2u);
    take_calls();
    c.reset(); // installed and started by us: still stopped and removed
    EXPECT_THAT(take_calls(),
                ElementsAre("open_sc_manager F003F", "open_service Smport F01FF", "control_service 1",
                            "close_service_handle 22", "open_service Smport F01FF", "delete_service",
                            "close_service_handle 22", "close_service_handle 11"));
}

TEST_F(SmallPortTest, NinetyFiveFamilyOpensTheVirtualDeviceDriver) {
    system.version = {host::platform_windows_95, 4, 10, 0};
    services.devices = {"\\\\.\\/sys32\\smport.vxd"};
    auto c = create();
    take_log();
    c->OpenDriver();
    EXPECT_TRUE(c->Opened());
    EXPECT_THAT(take_calls(),
                ElementsAre("open_device \\\\.\\smport.vxd 0", "open_device \\\\.\\/sys32\\smport.vxd 0"));
    EXPECT_THAT(take_log(), ElementsAre(":> Port.OpenDriver - init", ":> Port.OpenDriver.vxd Win 9598ME"));
    services.devices = {"\\\\.\\smport.vxd"};
    c->OpenDriver(); // an open driver is closed first
    EXPECT_TRUE(c->Opened());
    EXPECT_THAT(take_calls(), ElementsAre("close_handle 33", "open_device \\\\.\\smport.vxd 0"));
    services.devices.clear();
    c->OpenDriver();
    EXPECT_FALSE(c->Opened());
    EXPECT_EQ(c->last_error(), 2u);
    take_calls();
    c.reset(); // no services on this family
    EXPECT_THAT(take_calls(), IsEmpty());
}

TEST_F(SmallPortTest, PortRequests) {
    services.read_answer = 0x5A;
    auto c = create();
    EXPECT_EQ(c->ReadPort(0x61), 0);
    EXPECT_FALSE(c->last_ok());
    EXPECT_EQ(c->last_error(), error_invalid_handle);
    c->OpenDriver();
    EXPECT_EQ(c->ReadPort(0x0388), 0x5A);
    EXPECT_TRUE(c->last_ok());
    c->WritePort(0x0389, 0xF0);
    EXPECT_TRUE(c->last_ok());
    EXPECT_EQ(c->bytes_returned(), 2u);
    ASSERT_EQ(services.requests.size(), 2u);
    EXPECT_EQ(services.requests[0].code, 0xF1006404u);
    EXPECT_THAT(services.requests[0].in, ElementsAre(0x88, 0x03));
    EXPECT_EQ(services.requests[0].out_size, 2u);
    EXPECT_EQ(services.requests[1].code, 0xF100A408u);
    EXPECT_THAT(services.requests[1].in, ElementsAre(0x89, 0x03, 0xF0, 0x00));
    EXPECT_EQ(services.requests[1].out_size, 2u);

    services.ioctl_error = 1;
    EXPECT_EQ(c->ReadPort(0x61), 0);
    EXPECT_FALSE(c->last_ok());
    EXPECT_EQ(c->last_error(), 1u);
    services.ioctl_error = 0;
    c->WritePort(0x61, 3);
    EXPECT_TRUE(c->last_ok());
    EXPECT_EQ(c->last_error(), 1u); // kept until the next failing step
}

TEST_F(SmallPortTest, WritingOpenedSwitchesTheState) {
    auto c = create();
    take_log();
    c->set_Opened(false); // the value is not consulted
    EXPECT_TRUE(c->Opened());
    c->set_Opened(true);
    EXPECT_FALSE(c->Opened());
    const auto log = take_log();
    EXPECT_EQ(log.front(), ":> Port.ReOpen Driver");
    EXPECT_EQ(std::count(log.begin(), log.end(), ":> Port.ReOpen Driver"), 2);
    EXPECT_EQ(log.back(), ":> Port.CloseDriver");
}

} // namespace
} // namespace kelvor::port
