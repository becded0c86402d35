// The output options over the sound stream: what reaches the stream for each sequence of choices, and
// nothing routed where the ports are real ones.
#include "platform/stream_routing.h"

#include <gtest/gtest.h>

#include "support/audio_analysis.h"
#include "support/fake_host.h"

namespace kelvor::platform {
namespace {

// The channels a held speaker tone reaches after `steps`, rendered straight from the stream.
struct Sides {
    bool left;
    bool right;
};

Sides sides_after(bool available, const std::function<void(StreamRouting&)>& steps) {
    testing::ManualClock clock;
    emu::SoundStream stream{20};
    StreamRouting routing{stream, clock, available};
    std::vector<std::int16_t> block(2 * 4410);
    stream.render(block.data(), 4410, 0);
    steps(routing);
    stream.write_port(0, emu::pit_command_port, 0xB6);
    stream.write_port(0, emu::pit_channel2_port, 0xA9);
    stream.write_port(0, emu::pit_channel2_port, 0x04);
    stream.write_port(0, emu::system_control_port, 0x03);
    for (int i = 0; i < 10; ++i)
        stream.render(block.data(), 4410, 100.0 * (i + 1));
    const auto left = testing::channel(block, 0, 2), right = testing::channel(block, 1, 2);
    return {testing::rms_dbfs(left, 0, left.size()) > -20, testing::rms_dbfs(right, 0, right.size()) > -20};
}

TEST(StreamRouting, TheStreamHearsTheEarOnlyWhileRoutingIsOn) {
    using host::Ear;
    const struct {
        const char* name;
        bool available;
        std::function<void(StreamRouting&)> steps;
        Sides expected;
    } cases[] = {
        {"nothing chosen", true, [](StreamRouting&) {}, {true, true}},
        {"ear right, routing off",
         true,
         [](StreamRouting& r) { r.set_tested_ear(Ear::right); },
         {true, true}},
        {"routing on, left ear at start",
         true,
         [](StreamRouting& r) { r.set_ear_routing(true); },
         {true, false}},
        {"routing on, then the right ear",
         true,
         [](StreamRouting& r) {
             r.set_ear_routing(true);
             r.set_tested_ear(Ear::right);
         },
         {false, true}},
        {"the right ear, then routing on",
         true,
         [](StreamRouting& r) {
             r.set_tested_ear(Ear::right);
             r.set_ear_routing(true);
         },
         {false, true}},
        {"routing on and off again",
         true,
         [](StreamRouting& r) {
             r.set_ear_routing(true);
             r.set_ear_routing(false);
         },
         {true, true}},
        {"real ports: routing asked for",
         false,
         [](StreamRouting& r) {
             r.set_tested_ear(Ear::right);
             r.set_ear_routing(true);
         },
         {true, true}},
    };
    for (const auto& c : cases) {
        const Sides got = sides_after(c.available, c.steps);
        EXPECT_EQ(got.left, c.expected.left) << c.name;
        EXPECT_EQ(got.right, c.expected.right) << c.name;
    }
}

TEST(StreamRouting, OnlyChangesAreQueued) {
    testing::ManualClock clock;
    emu::SoundStream stream{20, 16};
    StreamRouting routing{stream, clock, true};
    // Ear changes while routing is off change nothing; the last one is the left ear.
    for (int i = 0; i < 100; ++i)
        routing.set_tested_ear(i % 2 ? host::Ear::left : host::Ear::right);
    routing.set_ear_routing(true);
    routing.set_ear_routing(true);
    routing.set_tested_ear(host::Ear::right);
    EXPECT_EQ(routing.channels(), emu::StreamChannels::right_only);
    std::vector<std::int16_t> block(2 * 4410); // past the stream's latency
    stream.render(block.data(), 4410, 0);
    EXPECT_EQ(stream.stats().events_applied, 2u);
    EXPECT_EQ(stream.stats().events_dropped, 0u);
}

} // namespace
} // namespace kelvor::platform
