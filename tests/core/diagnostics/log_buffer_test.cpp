#include "core/diagnostics/log_buffer.h"

#include <gtest/gtest.h>

namespace kelvor::diagnostics {
namespace {

TEST(LogBuffer, LinesAreNamedAndCutTo80Characters) {
    LogBuffer port("Port", log_capacity_default);
    port.add_line(".Create - init");
    port.add_line(std::string(100, 'x'));
    port.add_line(std::string(255, 'y'));
    EXPECT_EQ(port.line(0), ":> Port.Create - init");
    EXPECT_EQ(port.line(1), ":> Port" + std::string(73, 'x'));
    EXPECT_EQ(port.line(2).size(), 80u);
    EXPECT_EQ(LogBuffer("SOUND", 500).capacity(), 200);
}

TEST(LogBuffer, DropsLinesWhenFullUntilShown) {
    LogBuffer sound("SOUND", log_capacity_default);
    PortLogRing ring;
    for (int i = 0; i < 41; ++i)
        sound.add_line(" " + std::to_string(i));
    EXPECT_EQ(sound.count(), 40);
    EXPECT_EQ(sound.line(39), ":> SOUND 39");
    sound.show(ring);
    EXPECT_EQ(sound.count(), 0);
    EXPECT_EQ(ring.position(), 40);
    sound.add_line(" 41");
    EXPECT_EQ(sound.count(), 1);
    EXPECT_EQ(sound.line(0), ":> SOUND 41");
}

TEST(PortLogRing, ShowingWrapsAndLeavesAnEmptyLineAfterTheNewest) {
    LogBuffer port("Port", log_capacity_default);
    PortLogRing ring;
    for (int i = 0; i < 14; ++i)
        port.add_line(" x");
    port.show(ring);
    ASSERT_EQ(ring.position(), 14);

    for (const char* text : {" a", " b", " c"})
        port.add_line(text);
    port.show(ring);
    EXPECT_EQ(ring.lines()[14], ":> Port a");
    EXPECT_EQ(ring.lines()[15], ":> Port b");
    EXPECT_EQ(ring.lines()[0], ":> Port c");
    EXPECT_EQ(ring.lines()[1], "");
    EXPECT_EQ(ring.lines()[2], ":> Port x");
    EXPECT_EQ(ring.position(), 17);

    const std::string before = ring.text();
    port.show(ring); // nothing waiting: nothing changes
    EXPECT_EQ(ring.text(), before);
    EXPECT_EQ(ring.position(), 17);
}

TEST(PortLogRing, BothLogsShareOnePositionAndItWrapsAt65536) {
    LogBuffer port("Port", log_capacity_default), sound("SOUND", log_capacity_default);
    PortLogRing ring;
    port.add_line(" p");
    port.show(ring);
    sound.add_line(" s");
    sound.show(ring);
    EXPECT_EQ(ring.lines()[0], ":> Port p");
    EXPECT_EQ(ring.lines()[1], ":> SOUND s");

    for (int i = 0; i < 65536 - 2 + 3; ++i)
        ring.put("n");
    EXPECT_EQ(ring.position(), 3);
    EXPECT_EQ(ring.lines()[3], ""); // still consistent modulo 16 after the wrap
    EXPECT_EQ(ring.text().size(), 15u + 15u);
}

} // namespace
} // namespace kelvor::diagnostics
