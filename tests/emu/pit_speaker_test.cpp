#include "emu/pit_speaker.h"

#include <gtest/gtest.h>

#include "support/audio_analysis.h"

namespace kelvor::emu {
namespace {

constexpr int rate = 44100;

struct SpeakerRig {
    PortBus bus;
    PitSpeaker speaker{rate};
    SpeakerRig() { speaker.attach_to(bus); }
    void program(std::uint32_t divisor) {
        bus.write(pit_command_port, 0xB6);
        bus.write(pit_channel2_port, std::uint8_t(divisor & 0xFF));
        bus.write(pit_channel2_port, std::uint8_t(divisor >> 8));
    }
    std::vector<std::int16_t> render(std::size_t frames) {
        std::vector<std::int32_t> mix(frames, 0);
        speaker.render_add(mix.data(), frames);
        return {mix.begin(), mix.end()};
    }
};

TEST(PitSpeaker, SquareWaveFrequencyFollowsTheDivisor) {
    for (std::uint32_t d : {1193u, 9545u, 149u, 2386u, 62798u}) {
        SpeakerRig rig;
        rig.program(d);
        rig.bus.write(system_control_port, 0x03);
        const auto out = rig.render(rate);
        const double f = testing::tone_frequency_hz(out, 0, out.size(), rate);
        EXPECT_NEAR(f / (pit_clock_hz / d), 1.0, 0.0005) << "divisor " << d << ": " << f << " Hz";
    }
}

TEST(PitSpeaker, CountZeroRunsTheLongestPeriod) {
    SpeakerRig rig;
    rig.program(0);
    EXPECT_EQ(rig.speaker.divisor(), 65536u);
    rig.program(0xFFFF);
    EXPECT_EQ(rig.speaker.divisor(), 65535u);
}

TEST(PitSpeaker, SoundsOnlyWithBothGateBitsSet) {
    struct Row {
        std::uint8_t control;
        bool sounds;
    };
    for (const Row& r : {Row{0x00, false}, Row{0x01, false}, Row{0x02, false}, Row{0x03, true},
                         Row{0x33, true}, Row{0x30, false}}) {
        SpeakerRig rig;
        rig.program(1193);
        rig.bus.write(system_control_port, r.control);
        const auto out = rig.render(rate / 10);
        const bool loud = testing::rms_dbfs(out, 0, out.size()) > -40;
        EXPECT_EQ(loud, r.sounds) << int(r.control);
        EXPECT_EQ(rig.bus.read(system_control_port), r.control);
    }
}

TEST(PitSpeaker, OtherChannelsAndModesLeaveTheSpeakerQuiet) {
    SpeakerRig rig;
    rig.program(1193);
    rig.bus.write(pit_command_port, 0x36); // channel 0: not ours
    rig.bus.write(system_control_port, 0x03);
    EXPECT_TRUE(rig.speaker.sounding());
    rig.bus.write(pit_command_port, 0xB0); // channel 2, mode 0: a one-shot, no tone
    EXPECT_FALSE(rig.speaker.sounding());
    EXPECT_EQ(rig.bus.read(pit_channel2_port), floating_bus_value);
}

} // namespace
} // namespace kelvor::emu
