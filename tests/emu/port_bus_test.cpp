#include "emu/port_bus.h"

#include <gtest/gtest.h>

namespace kelvor::emu {
namespace {

struct Latch : PortDevice {
    std::vector<std::pair<std::uint16_t, std::uint8_t>> writes;
    void write_port(std::uint16_t port, std::uint8_t value) override { writes.emplace_back(port, value); }
    std::optional<std::uint8_t> read_port(std::uint16_t port) override {
        if (port == 0x300) return 0x42;
        return std::nullopt;
    }
};

TEST(PortBus, RoutesByRangeAndFloatsElsewhere) {
    PortBus bus;
    Latch a, b;
    bus.attach(a, 0x300, 0x301);
    bus.attach(b, 0x61, 0x61);
    bus.write(0x301, 7);
    bus.write(0x61, 3);
    bus.write(0x302, 9); // nobody there
    EXPECT_EQ(a.writes, (decltype(a.writes){{0x301, 7}}));
    EXPECT_EQ(b.writes, (decltype(b.writes){{0x61, 3}}));
    EXPECT_EQ(bus.read(0x300), 0x42);
    EXPECT_EQ(bus.read(0x301), floating_bus_value); // claimed but not answered
    EXPECT_EQ(bus.read(0x1234), floating_bus_value);
    EXPECT_TRUE(bus.claimed(0x300));
    EXPECT_FALSE(bus.claimed(0x302));
}

} // namespace
} // namespace kelvor::emu
