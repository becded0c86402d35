#include "emu/sound_stream.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

#include "support/audio_analysis.h"

namespace kelvor::emu {
namespace {

constexpr double latency_ms = 20;

// Drives the audio side the way a sound server does: it first fills its buffer (`lead_ms`), then asks
// for one 10 ms block every 10 ms, so rendering runs `lead_ms` ahead of the clock.
constexpr double lead_ms = 30;

struct StreamRig {
    SoundStream stream{latency_ms};
    std::vector<std::int16_t> out; // interleaved stereo
    double now_ms = 0;

    void block(double ms) {
        const auto frames = static_cast<std::size_t>(ms * stream_samples_per_ms);
        const std::size_t at = out.size();
        out.resize(at + 2 * frames);
        stream.render(out.data() + at, frames, now_ms);
    }
    // `clock_ms_per_block`: how much of our clock passes while the device plays 10 ms (its own
    // crystal may run a little fast or slow).
    void run_until(double until_ms, double clock_ms_per_block = 10) {
        if (out.empty()) block(lead_ms);
        while (now_ms < until_ms) {
            block(10);
            now_ms += clock_ms_per_block;
        }
    }
    std::vector<std::int16_t> left() const { return testing::channel(out, 0, 2); }
    std::vector<std::int16_t> right() const { return testing::channel(out, 1, 2); }
};

void speaker_tone(SoundStream& s, double t, std::uint16_t divisor) {
    s.write_port(t, pit_command_port, 0xB6);
    s.write_port(t, pit_channel2_port, std::uint8_t(divisor & 0xFF));
    s.write_port(t, pit_channel2_port, std::uint8_t(divisor >> 8));
}

TEST(SoundStream, PulsesKeepTheirTimingThroughTheBuffer) {
    StreamRig rig;
    rig.run_until(50);
    speaker_tone(rig.stream, 55, 1193);
    // Events are queued early and out of step with the blocks: each lands at its own time stamp.
    for (int k = 0; k < 4; ++k) {
        rig.stream.write_port(63.3 + 800 * k, system_control_port, 0x03);
        rig.stream.write_port(463.3 + 800 * k, system_control_port, 0x00);
    }
    rig.run_until(3400);
    const auto tones = testing::find_tones(rig.left(), 1000, 100);
    ASSERT_EQ(tones.size(), 4u);
    for (std::size_t k = 0; k < tones.size(); ++k) {
        EXPECT_NEAR(double(tones[k].length()), 400 * stream_samples_per_ms, 2) << k;
        if (k > 0) {
            EXPECT_NEAR(double(tones[k].begin - tones[k - 1].begin), 800 * stream_samples_per_ms, 1) << k;
        }
    }
    EXPECT_EQ(rig.stream.stats().events_late, 0u);
    EXPECT_EQ(rig.left(), rig.right());
}

TEST(SoundStream, FollowsADeviceWhoseClockDriftsFromOurs) {
    // 100 ppm either way, more than real crystals drift apart: no event comes late, and the pulses keep
    // their spacing to within the small step the tracked lead takes when it catches up (0.2 ms).
    for (double ms_per_block : {10.001, 9.999}) {
        StreamRig rig;
        rig.run_until(50, ms_per_block);
        speaker_tone(rig.stream, 55, 1193);
        rig.run_until(20000, ms_per_block); // long enough for the drift to matter
        const double t0 = rig.now_ms;
        for (int k = 0; k < 3; ++k) {
            rig.stream.write_port(t0 + 5 + 800 * k, system_control_port, 0x03);
            rig.stream.write_port(t0 + 405 + 800 * k, system_control_port, 0x00);
        }
        rig.run_until(t0 + 2500, ms_per_block);
        const auto tones = testing::find_tones(rig.left(), 1000, 100);
        ASSERT_EQ(tones.size(), 3u) << ms_per_block;
        for (std::size_t k = 1; k < tones.size(); ++k)
            EXPECT_NEAR(double(tones[k].begin - tones[k - 1].begin), 800 * stream_samples_per_ms, 12)
                << ms_per_block;
        EXPECT_EQ(rig.stream.stats().events_late, 0u) << ms_per_block;
    }
}

TEST(SoundStream, AWriteArrivingDuringPlaybackSoundsOneLatencyAfterItsStamp) {
    StreamRig rig;
    rig.run_until(200);
    speaker_tone(rig.stream, rig.now_ms - 5, 1193);
    rig.stream.write_port(rig.now_ms - 5, system_control_port, 0x03); // stamped just before this block
    rig.run_until(400);
    const auto tones = testing::find_tones(rig.left(), 1000, 100);
    ASSERT_EQ(tones.size(), 1u);
    // Output runs `lead_ms` behind the rendering; the tone starts one latency after its stamp.
    const double expected = (195 + lead_ms + latency_ms) * stream_samples_per_ms;
    EXPECT_NEAR(double(tones[0].begin), expected, 2);
}

TEST(SoundStream, AfterTheDeviceRanDryEventsAreTimedFromTheNewLead) {
    // The device plays silence for 50 ms that the stream never rendered, then refills its buffer as at
    // the start: from then on the rendering runs 20 ms less ahead of the clock. Told so, the stream
    // times the next event from the new lead at once; left to its tracked maximum it would sound every
    // event 20 ms late for seconds.
    StreamRig rig;
    rig.run_until(1000); // past the start's settling
    rig.now_ms += 50;
    rig.stream.resync_after_gap();
    rig.block(lead_ms);
    rig.run_until(1100);
    speaker_tone(rig.stream, 1200, 1193);
    rig.stream.write_port(1200, system_control_port, 0x03);
    rig.run_until(1400);
    const auto tones = testing::find_tones(rig.left(), 1000, 100);
    ASSERT_EQ(tones.size(), 1u);
    const double expected = (1200 + lead_ms - 20 + latency_ms) * stream_samples_per_ms;
    EXPECT_NEAR(double(tones[0].begin), expected, 2);
    EXPECT_EQ(rig.stream.stats().events_late, 0u);
}

TEST(SoundStream, ImagesPlayFromTheirStampAndANewOneCutsTheOldOff) {
    StreamRig rig;
    rig.run_until(30);
    auto ramp = std::make_shared<std::vector<std::int16_t>>(4410);
    for (std::size_t i = 0; i < ramp->size(); ++i)
        (*ramp)[i] = std::int16_t(1000 + i);
    auto flat = std::make_shared<std::vector<std::int16_t>>(2205, std::int16_t(-3000));
    rig.stream.play(40, ramp);
    rig.stream.play(90, flat); // 50 ms in: the ramp is cut off at 2205 samples
    rig.stream.play(300, ramp);
    rig.stream.stop(320);
    rig.run_until(500);
    const auto left = rig.left();
    const auto tones = testing::find_tones(left, 500, 10);
    ASSERT_EQ(tones.size(), 2u);
    EXPECT_EQ(tones[0].length(), 2205u + 2205u);
    EXPECT_EQ(left[tones[0].begin], 1000); // image samples exactly
    EXPECT_EQ(left[tones[0].begin + 2204], 1000 + 2204);
    EXPECT_EQ(left[tones[0].begin + 2205], -3000);
    EXPECT_NEAR(double(tones[1].length()), 20 * stream_samples_per_ms, 1);
}

// The three paths of the stream, each started at `t` and left sounding.
void start_path(SoundStream& s, int path, double t, const SampleImage& image) {
    switch (path) {
    case 0: // the PC speaker's square wave
        speaker_tone(s, t, 1193);
        s.write_port(t, system_control_port, 0x03);
        break;
    case 1: { // the OPL2 chip's sine, sustained
        const std::pair<std::uint8_t, std::uint8_t> regs[] = {{0x23, 0x21}, {0x63, 0xF0}, {0x83, 0xF0},
                                                              {0x43, 0},    {0xA0, 0x93}, {0xB0, 0x36}};
        for (auto [r, v] : regs) {
            s.write_port(t, adlib_address_port, r);
            s.write_port(t, adlib_data_port, v);
        }
        break;
    }
    default: // a wave image
        s.play(t, image);
        break;
    }
}

TEST(SoundStream, RoutedToOneSideTheOtherChannelIsSilentFromTheSwitchesSamplesOn) {
    // Both rigs get the same tone; one of them is routed left, then right mid-tone (between two blocks'
    // boundaries), then back to both. The routed one carries the other's mono exactly on the side routed
    // to and zero on the other, switching at the sample of each event's stamp.
    auto image = std::make_shared<std::vector<std::int16_t>>(44100);
    for (std::size_t i = 0; i < image->size(); ++i)
        (*image)[i] = std::int16_t(8000 * std::sin(2 * std::numbers::pi * 1000 * double(i) / 44100));
    const char* names[] = {"speaker", "OPL2", "image"};
    for (int path = 0; path < 3; ++path) {
        SCOPED_TRACE(names[path]);
        StreamRig mono, routed;
        mono.run_until(1000);
        routed.run_until(1000);
        // Queued in the order of their stamps, as the user-interface thread makes them.
        const double switches[] = {1000, 1234.5, 1400.25};
        routed.stream.route(switches[0], StreamChannels::left_only);
        for (StreamRig* rig : {&mono, &routed})
            start_path(rig->stream, path, 1010, image);
        routed.stream.route(switches[1], StreamChannels::right_only);
        routed.stream.route(switches[2], StreamChannels::both);
        mono.run_until(1600);
        routed.run_until(1600);

        const auto reference = mono.left();
        ASSERT_EQ(reference, mono.right());
        const auto left = routed.left(), right = routed.right();
        ASSERT_EQ(left.size(), reference.size());
        std::size_t at[3];
        for (int k = 0; k < 3; ++k)
            at[k] = static_cast<std::size_t>((switches[k] + lead_ms + latency_ms) * stream_samples_per_ms);
        std::size_t heard_left = 0, heard_right = 0;
        for (std::size_t i = 0; i < reference.size(); ++i) {
            const bool only_left = i >= at[0] && i < at[1];
            const bool only_right = i >= at[1] && i < at[2];
            ASSERT_EQ(left[i], only_right ? 0 : reference[i]) << "sample " << i;
            ASSERT_EQ(right[i], only_left ? 0 : reference[i]) << "sample " << i;
            heard_left += only_left && reference[i] != 0;
            heard_right += only_right && reference[i] != 0;
        }
        // The tone sounded on each side alone.
        EXPECT_GT(heard_left, std::size_t(5000));
        EXPECT_GT(heard_right, std::size_t(5000));
        EXPECT_EQ(routed.stream.stats().events_late, 0u);
    }
}

TEST(SoundStream, SoftImagesFadeWhereTheStreamMixesThem) {
    auto image = std::make_shared<std::vector<std::int16_t>>(13230, std::int16_t(10000));
    const std::vector<std::int16_t> before = *image;
    StreamRig rig;
    rig.run_until(1000);
    rig.stream.soften_images(1000, true);
    rig.stream.play(1000, image);
    rig.stream.soften_images(1100, false); // after the start: this image keeps its fades
    rig.run_until(1500);
    const auto left = rig.left();
    const auto start = static_cast<std::size_t>((1000 + lead_ms + latency_ms) * stream_samples_per_ms);
    EXPECT_EQ(left[start - 1], 0);
    EXPECT_EQ(left[start], 0);
    EXPECT_EQ(left[start + 441], 5000);  // half way up after 10 ms
    EXPECT_EQ(left[start + 882], 10000); // fully up after 20 ms
    EXPECT_EQ(left[start + 13230 - 1 - 441], 5000);
    EXPECT_EQ(left[start + 13230 - 1], 0);
    EXPECT_EQ(*image, before);
}

TEST(SoundStream, ReadsAreAnsweredAtOnceFromWhatWasWritten) {
    SoundStream stream{latency_ms};
    EXPECT_EQ(stream.read_port(system_control_port), 0);
    stream.write_port(0, system_control_port, 0x33);
    EXPECT_EQ(stream.read_port(system_control_port), 0x33);
    EXPECT_EQ(stream.read_port(adlib_address_port), opl2_idle_status);
    EXPECT_EQ(stream.read_port(0x300), floating_bus_value);
    EXPECT_TRUE(stream.answers(0x389));
    EXPECT_TRUE(stream.answers(0x221));
    EXPECT_FALSE(stream.answers(0x378));
}

TEST(SoundStream, AQueueNobodyDrainsStaysBoundedAndCatchesUpLate) {
    SoundStream stream{latency_ms, 8};
    for (int i = 0; i < 20; ++i)
        stream.write_port(i, system_control_port, std::uint8_t(i & 3));
    EXPECT_EQ(stream.stats().events_dropped, 12u);
    std::vector<std::int16_t> block(2 * 441);
    stream.render(block.data(), 441, 1000);
    EXPECT_EQ(stream.stats().events_applied, 8u);
    EXPECT_EQ(stream.stats().events_late, 8u);
}

TEST(SoundStream, TheEmulatedChipAndTheSpeakerMixIntoOneStream) {
    StreamRig rig;
    rig.run_until(20);
    const std::pair<std::uint8_t, std::uint8_t> regs[] = {{0x23, 0x21}, {0x63, 0xF0}, {0x83, 0xF0},
                                                          {0x43, 0},    {0xA0, 0x93}, {0xB0, 0x36}};
    for (auto [r, v] : regs) {
        rig.stream.write_port(25, adlib_address_port, r);
        rig.stream.write_port(25, adlib_data_port, v);
    }
    rig.run_until(1000);
    const auto left = rig.left();
    const double f = testing::tone_frequency_hz(left, 44100 / 10, left.size(), stream_sample_rate);
    EXPECT_NEAR(f, 659 * 49716.0 / 32768.0, 0.5);
}

} // namespace
} // namespace kelvor::emu
