#include "core/diagnostics/port_listener.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/port_fakes.h"

namespace kelvor::diagnostics {
namespace {

using Lines = std::vector<std::string>;

struct ListenerRig {
    testing::RecordingPortIo ports;
    TTinyPortListener w{ports};
    PortListenerControls& c = w.controls();

    void ticks(int n) {
        for (int i = 0; i < n; ++i)
            w.TimerTimer();
    }
    // The listed lines, oldest first, without the empty lines still left from the start.
    Lines listed() const {
        Lines out;
        for (const auto& line : c.PortResponse.lines)
            if (!line.empty() && line != ":>") out.push_back(line);
        return out;
    }
};

TEST(PortListener, StartListsEveryTickWhetherOrNotTheValueChanged) {
    ListenerRig rig;
    rig.ports.read_values[0x0388] = 6;
    rig.ticks(3); // not started: the timer reads nothing
    EXPECT_TRUE(rig.ports.reads.empty());
    rig.w.StartClick();
    EXPECT_TRUE(rig.w.running());
    EXPECT_EQ(rig.c.Timer.interval_ms, 500);
    rig.ticks(3);
    EXPECT_EQ(rig.listed(), (Lines{"1:> $0388 :   6", "2:> $0388 :   6", "3:> $0388 :   6"}));
    EXPECT_EQ(rig.c.PortResponse.lines.size(), 12u);
    EXPECT_EQ(rig.c.PortResponse.lines[11], "3:> $0388 :   6"); // the newest at the bottom
    EXPECT_EQ(rig.ports.reads, (std::vector<std::uint16_t>(3, 0x0388)));

    rig.ticks(10); // the oldest lines scroll out at the top
    EXPECT_EQ(rig.c.PortResponse.lines.front(), "2:> $0388 :   6");
    EXPECT_EQ(rig.c.PortResponse.lines.back(), "13:> $0388 :   6");

    rig.w.StopClick();
    rig.ports.reads.clear();
    rig.ticks(5);
    EXPECT_TRUE(rig.ports.reads.empty());
    EXPECT_FALSE(rig.w.running());
    EXPECT_EQ(rig.c.Timer.interval_ms, 500);
}

TEST(PortListener, ListenListsOnlyChanges) {
    ListenerRig rig;
    rig.ports.read_values[0x0388] = 42;
    rig.w.ListenButtonClick();
    EXPECT_EQ(rig.c.Timer.interval_ms, 50);
    EXPECT_TRUE(rig.w.changes_only());
    rig.ticks(20); // 42 differs from the start value 0 once, then never again
    EXPECT_EQ(rig.listed(), (Lines{"1:> $0388 : 42"}));
    rig.ports.read_values[0x0388] = 43;
    rig.ticks(5);
    rig.ports.read_values[0x0388] = 42;
    rig.ticks(5);
    EXPECT_EQ(rig.listed(), (Lines{"1:> $0388 : 42", "2:> $0388 : 43", "3:> $0388 : 42"}));
    EXPECT_EQ(rig.ports.reads.size(), 30u);

    // START lists every tick again and then starts over from 0; Listen keeps the last value it saw.
    rig.w.StartClick();
    EXPECT_FALSE(rig.w.changes_only());
    EXPECT_EQ(rig.c.Timer.interval_ms, 500);
    rig.ticks(2);
    rig.w.ListenButtonClick();
    rig.ticks(5);
    EXPECT_EQ(rig.w.line_number(), 5);
}

TEST(PortListener, ChoosingAPortKeepsReadingAndTheLastValues) {
    ListenerRig rig;
    rig.ports.read_values[0x0388] = 7;
    rig.ports.read_values[0x0220] = 7;
    rig.w.ListenButtonClick();
    rig.ticks(1);
    rig.w.Port0220Click();
    rig.ticks(3);
    EXPECT_TRUE(rig.w.running());
    EXPECT_EQ(rig.listed(), (Lines{"1:> $0388 :   7"}));
    EXPECT_EQ(rig.ports.reads, (std::vector<std::uint16_t>{0x0388, 0x0220, 0x0220, 0x0220}));
}

// Whether a Listen tick lists, and what it reads, with and without "incl. Base+1". The last values are
// both 0x10 before the tick.
TEST(PortListener, BasePlusOneDecidesChangesOnlyWhenTicked) {
    struct Case {
        bool extension;
        std::uint8_t base, next;
        Lines listed;
        std::vector<std::uint16_t> reads;
    };
    const Case cases[] = {
        {false, 0x10, 0x10, {}, {0x0388}},
        {false, 0x10, 0x20, {}, {0x0388}},
        {false, 0x11, 0x10, {"1:> $0388 : 17"}, {0x0388}},
        {true, 0x10, 0x10, {}, {0x0388, 0x0389}},
        {true, 0x10, 0x20, {"1:> $0388 : 16  $0389 : 32"}, {0x0388, 0x0389}},
        {true, 0x11, 0x10, {"1:> $0388 : 17  $0389 : 16"}, {0x0388, 0x0389}},
        {true, 0x11, 0x03, {"1:> $0388 : 17  $0389 :   3"}, {0x0388, 0x0389}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(::testing::Message() << k.extension << " " << int(k.base) << " " << int(k.next));
        ListenerRig rig;
        rig.c.Extension.checked = true;
        rig.ports.read_values = {{0x0388, 0x10}, {0x0389, 0x10}};
        rig.w.StartClick();
        rig.w.TimerTimer(); // both last values become 0x10
        rig.w.ClearClick();
        rig.w.ListenButtonClick();
        rig.ports.reads.clear();

        rig.c.Extension.checked = k.extension;
        rig.w.ExtensionClick();
        rig.ports.read_values = {{0x0388, k.base}, {0x0389, k.next}};
        rig.w.TimerTimer();
        EXPECT_EQ(rig.listed(), k.listed);
        EXPECT_EQ(rig.ports.reads, k.reads);
        EXPECT_EQ(rig.w.last_base_value(), k.listed.empty() ? 0x10 : k.base);
        EXPECT_EQ(rig.w.last_next_value(), k.extension && !k.listed.empty() ? k.next : 0x10);
    }
}

TEST(PortListener, LineNumbersRunTo65535ThenStartAtOneAndClearRestarts) {
    ListenerRig rig;
    rig.ports.read_values[0x0388] = 255;
    rig.w.StartClick();
    rig.ticks(65534);
    rig.c.Extension.checked = true;
    rig.ticks(1);
    EXPECT_EQ(rig.c.PortResponse.lines[11], "65535:> $0388 : 255  $0389 : 255");
    rig.c.Extension.checked = false;
    rig.ticks(2);
    EXPECT_EQ(rig.c.PortResponse.lines[8], "65534:> $0388 : 255");
    EXPECT_EQ(rig.c.PortResponse.lines[9], "65535:> $0388 : 255  $0389 : 255");
    EXPECT_EQ(rig.c.PortResponse.lines[11], "2:> $0388 : 255");
    EXPECT_EQ(rig.c.PortResponse.lines[10], "1:> $0388 : 255");

    rig.w.ClearClick();
    EXPECT_EQ(rig.c.PortResponse.lines, Lines(12, ":>"));
    EXPECT_EQ(rig.w.line_number(), 0);
    EXPECT_TRUE(rig.w.running()); // Clear does not stop reading
    rig.ticks(1);
    EXPECT_EQ(rig.c.PortResponse.lines[11], "1:> $0388 : 255");
    EXPECT_EQ(rig.c.PortResponse.lines[10], ":>");
}

TEST(PortListener, ScanListsWhereTheValueChangesAcrossItsRange) {
    struct Case {
        const char* what;
        std::uint8_t before; // last base value when the scan starts
        std::map<std::uint16_t, std::uint8_t> values;
        Lines listed;
    };
    const Case cases[] = {
        {"all 255, seen before", 255, {}, {}},
        {"all 255, first differs", 0, {}, {"1:> $0300 : 255"}},
        {"one device",
         255,
         {{0x0388, 0}, {0x0389, 0}, {0x038A, 6}},
         {"1:> $0388 :   0", "2:> $038A :   6", "3:> $038B : 255"}},
        {"last port", 255, {{0x03FF, 1}}, {"1:> $03FF :   1"}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        ListenerRig rig;
        rig.ports.read_values = {{0x0388, k.before}};
        rig.w.ListenButtonClick();
        rig.ticks(1);
        rig.w.ClearClick();
        rig.ports.reads.clear();
        rig.ports.read_values = k.values;

        rig.w.scanClick();
        EXPECT_EQ(rig.listed(), k.listed);
        ASSERT_EQ(rig.ports.reads.size(), 256u);
        for (int i = 0; i < 256; ++i)
            EXPECT_EQ(rig.ports.reads[i], 0x0300 + i);
        EXPECT_FALSE(rig.w.running());
        EXPECT_FALSE(rig.w.changes_only());
        rig.ports.reads.clear();
        rig.ticks(2);
        EXPECT_TRUE(rig.ports.reads.empty());
    }
}

// With "incl. Base+1" ticked a tick shows the next port's reading; the scan does not read it, so its
// lines show none rather than a value that came from another port.
TEST(PortListener, ScanLinesLeaveOutTheNextPortItDidNotRead) {
    ListenerRig rig;
    rig.c.Extension.checked = true;
    rig.ports.read_values = {{0x0388, 1}, {0x0389, 2}};
    rig.w.StartClick();
    rig.ticks(1);
    rig.ports.read_values = {{0x0300, 1}, {0x0301, 9}};
    rig.w.scanClick();
    EXPECT_EQ(rig.listed(), (Lines{"1:> $0388 :   1  $0389 :   2", "2:> $0301 :   9", "3:> $0302 : 255"}));
}

TEST(PortListener, PortButtonsChooseTheirPortAndUserButtonsShowIt) {
    using Click = void (TTinyPortListener::*)();
    struct Case {
        Click click;
        CheckControl PortListenerControls::*button;
        std::uint16_t port;
        const char* caption;
    };
    using L = TTinyPortListener;
    using C = PortListenerControls;
    const Case cases[] = {
        {&L::Port0220Click, &C::Port0220, 0x0220, "Port $0220"},
        {&L::Port0240Click, &C::Port0240, 0x0240, "Port $0240"},
        {&L::Port0260Click, &C::Port0260, 0x0260, "Port $0260"},
        {&L::Port0280Click, &C::Port0280, 0x0280, "Port $0280"},
        {&L::Port0330Click, &C::Port0330, 0x0330, "Port $0330"},
        {&L::Port0388Click, &C::Port0388, 0x0388, "Port $0388"},
        {&L::Port0530Click, &C::Port0530, 0x0530, "Port $0530"},
        {&L::PortD400Click, &C::PortD400, 0xD400, "Port $D400"},
        {&L::COM1Click, &C::COM1, 0x03F8, "COM1 $03F8"},
        {&L::COM2Click, &C::COM2, 0x02F8, "COM2 $02F8"},
        {&L::LPT1Click, &C::LPT1, 0x0378, "LPT1 $0378"},
        {&L::LPT2Click, &C::LPT2, 0x0278, "LPT2 $0278"},
        {&L::User1Click, &C::User1, 0x0700, "User 1: $0700"},
        {&L::User2Click, &C::User2, 0x0070, "User 2: $0070"},
        {&L::User3Click, &C::User3, 0x0061, "User 3: $0061"},
        {&L::User4Click, &C::User4, 0x0060, "User 4: $0060"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.caption);
        ListenerRig rig;
        rig.w.LPT2Click();
        (rig.w.*k.click)();
        EXPECT_EQ(rig.w.port_address(), k.port);
        EXPECT_EQ((rig.c.*k.button).caption, k.caption);
        rig.c.for_each_port_button(
            [&](CheckControl& b) { EXPECT_EQ(b.checked, &b == &(rig.c.*k.button)) << b.name; });
        rig.w.StartClick();
        rig.ticks(1);
        EXPECT_EQ(rig.ports.reads, (std::vector<std::uint16_t>{k.port}));
    }
}

TEST(PortListener, AFailedReadListsWhatAnEmptyBusReads) {
    ListenerRig rig;
    rig.ports.fail_reads = true;
    rig.w.StartClick();
    rig.ticks(1);
    EXPECT_EQ(rig.listed(), (Lines{"1:> $0388 : 255"}));
}

TEST(PortListener, HexDigits) {
    const std::pair<unsigned, char> digits[] = {{0, '0'},  {9, '9'},  {10, 'A'},
                                                {15, 'F'}, {16, '*'}, {255, '*'}};
    for (auto [value, digit] : digits)
        EXPECT_EQ(hex_digit(value), digit) << value;
    EXPECT_EQ(hex_byte(0x00), "00");
    EXPECT_EQ(hex_byte(0xA5), "A5");
    EXPECT_EQ(hex_word(0xD400), "D400");
    EXPECT_EQ(hex_word(0x0061), "0061");
    EXPECT_EQ(hex_word(0xFFFF), "FFFF");
}

} // namespace
} // namespace kelvor::diagnostics
