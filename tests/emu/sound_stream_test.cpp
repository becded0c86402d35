#include "emu/sound_stream.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/audio_analysis.h"

namespace kelvor::emu {
namespace {

constexpr double latency_ms = 20;

// Drives the audio side the way a sound server does: it first fills its buffer (`lead_ms`), then asks
// for one block (10 ms unless set) each time it has played one, so rendering runs `lead_ms` ahead of
// the clock.
constexpr double lead_ms = 30;

struct StreamRig {
    SoundStream stream{latency_ms};
    std::vector<std::int16_t> out; // interleaved stereo
    double now_ms = 0;
    double block_ms = 10;

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
            block(block_ms);
            now_ms += clock_ms_per_block * block_ms / 10;
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

// Four pulses of the speaker's tone, 800 ms apart from `first_ms` on, each sounding `on_ms`.
void queue_pulses(SoundStream& s, double first_ms, double on_ms) {
    for (int k = 0; k < 4; ++k) {
        s.write_port(first_ms + 800 * k, system_control_port, 0x03);
        s.write_port(first_ms + on_ms + 800 * k, system_control_port, 0x00);
    }
}

// The rig played those four pulses whole, 800 ms apart to the sample, none of their events late.
void expect_pulses(const StreamRig& rig, double on_ms, const std::string& label) {
    const auto tones = testing::find_tones(rig.left(), 1000, 100);
    ASSERT_EQ(tones.size(), 4u) << label;
    for (std::size_t k = 0; k < tones.size(); ++k) {
        EXPECT_NEAR(double(tones[k].length()), on_ms * stream_samples_per_ms, 2) << label << k;
        if (k > 0) {
            EXPECT_NEAR(double(tones[k].begin - tones[k - 1].begin), 800 * stream_samples_per_ms, 1)
                << label << k;
        }
    }
    EXPECT_EQ(rig.stream.stats().events_late, 0u) << label;
}

TEST(SoundStream, PulsesKeepTheirTimingThroughTheBuffer) {
    StreamRig rig;
    rig.run_until(50);
    speaker_tone(rig.stream, 55, 1193);
    // Events are queued early and out of step with the blocks: each lands at its own time stamp.
    queue_pulses(rig.stream, 63.3, 400);
    rig.run_until(3400);
    expect_pulses(rig, 400, "");
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

TEST(SoundStream, PulsesKeepTheirPlaceWhateverBlockTheServerAsksFor) {
    // PipeWire asks for its graph quantum at a time, which may be longer than the latency asked for
    // (1024 and 2048 frames at 48 kHz here), and may grow while a test runs. Pulses stamped anywhere
    // between two calls still begin 800 ms apart and last their 300 ms, none of their events late.
    struct Case {
        double block_ms, later_block_ms;
    };
    for (const Case c : {Case{10, 10}, Case{1024 / 48.0, 1024 / 48.0}, Case{2048 / 48.0, 2048 / 48.0},
                         Case{512 / 48.0, 2048 / 48.0}}) {
        StreamRig rig;
        rig.block_ms = c.block_ms;
        rig.run_until(1000);
        rig.block_ms = c.later_block_ms;
        rig.run_until(1500);
        speaker_tone(rig.stream, 1500, 1193);
        queue_pulses(rig.stream, 1503.7, 300);
        rig.run_until(5000);
        expect_pulses(rig, 300, "blocks of " + std::to_string(c.later_block_ms) + " ms, pulse ");
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

// ---------------------------------------------------------------- sleeping while nothing can sound

using Action = std::function<void(SoundStream&, double)>;

// Runs the rig's blocks until `until_ms`, doing each action of `schedule` (in order of time) in the
// block where the clock passes it, as the user-interface thread would; asks the stream after every
// block whether it may sleep, and returns the clock when it first may (or -1).
double first_sleep_ms(StreamRig& rig, std::vector<std::pair<double, Action>> schedule, double until_ms) {
    std::size_t next = 0;
    if (rig.out.empty()) rig.block(lead_ms);
    while (rig.now_ms < until_ms) {
        for (; next < schedule.size() && schedule[next].first <= rig.now_ms; ++next)
            schedule[next].second(rig.stream, rig.now_ms);
        rig.block(10);
        if (rig.stream.try_sleep()) return rig.now_ms;
        rig.now_ms += 10;
    }
    return -1;
}

void chip(SoundStream& s, double t, std::uint8_t reg, std::uint8_t value) {
    s.write_port(t, adlib_address_port, reg);
    s.write_port(t, adlib_data_port, value);
}

// Channel 0's carrier at full level; `release` its release rate (0: a keyed-off note holds its level).
void chip_note(SoundStream& s, double t, std::uint8_t release) {
    const std::pair<std::uint8_t, std::uint8_t> regs[] = {
        {0x23, 0x21}, {0x63, 0xF0}, {0x83, std::uint8_t(release)}, {0x43, 0}, {0xA0, 0x93}, {0xB0, 0x36}};
    for (auto [r, v] : regs)
        chip(s, t, r, v);
}

TEST(SoundStream, SleepsOnlyOnceNothingHasBeenAbleToSoundForAWhile) {
    const auto image = std::make_shared<const std::vector<std::int16_t>>(13230, std::int16_t(5000));
    const Action speaker_on = [](SoundStream& s, double t) {
        speaker_tone(s, t, 1193);
        s.write_port(t, system_control_port, 0x03);
    };
    const Action speaker_off = [](SoundStream& s, double t) { s.write_port(t, system_control_port, 0x00); };
    std::vector<std::pair<double, Action>> speaker_pulses, image_pulses, chip_pulses;
    for (double t = 100; t < 9000; t += 800) {
        speaker_pulses.push_back({t, speaker_on});
        speaker_pulses.push_back({t + 400, speaker_off});
        image_pulses.push_back({t, [image](SoundStream& s, double at) { s.play(at, image); }});
        chip_pulses.push_back({t, [](SoundStream& s, double at) { chip(s, at, 0x43, 0); }});
        chip_pulses.push_back({t + 400, [](SoundStream& s, double at) { chip(s, at, 0x43, 0x3F); }});
    }
    chip_pulses.insert(chip_pulses.begin(), {50, [](SoundStream& s, double t) { chip_note(s, t, 0); }});
    const double never = -1;
    const struct {
        const char* what;
        std::vector<std::pair<double, Action>> schedule;
        double quiet_from_ms; // or never
    } cases[] = {
        {"nothing written", {}, 0},
        {"a note keyed on at total level 63, as the program leaves the chip",
         {{50,
           [](SoundStream& s, double t) {
               chip(s, t, 0xA0, 0x93);
               chip(s, t, 0xB0, 0x36);
           }}},
         never},
        {"a note keyed off with a fast release",
         {{50, [](SoundStream& s, double t) { chip_note(s, t, 0x0F); }},
          {1000, [](SoundStream& s, double t) { chip(s, t, 0xB0, 0x16); }}},
         1000},
        {"a note keyed off without release goes on sounding",
         {{50, [](SoundStream& s, double t) { chip_note(s, t, 0); }},
          {1000, [](SoundStream& s, double t) { chip(s, t, 0xB0, 0x16); }}},
         never},
        {"the speaker gate open", {{50, speaker_on}}, never},
        {"the speaker gate closed again", {{50, speaker_on}, {1000, speaker_off}}, 1000},
        {"one image", {{100, [image](SoundStream& s, double t) { s.play(t, image); }}}, 400},
        {"a running test on the speaker", speaker_pulses, never},
        {"a running test on the data stream", image_pulses, never},
        {"a running test on the chip", chip_pulses, never},
    };
    for (const auto& c : cases) {
        StreamRig rig;
        const double slept = first_sleep_ms(rig, c.schedule, 9000);
        if (c.quiet_from_ms == never) {
            EXPECT_EQ(slept, never) << c.what;
        } else {
            // Rendering runs the lead (plus a block) ahead of the clock, events sound one latency after their
            // stamp, and a released note fades a little longer.
            EXPECT_GE(slept, c.quiet_from_ms + stream_sleep_after_ms - lead_ms - 10) << c.what;
            EXPECT_LE(slept, c.quiet_from_ms + stream_sleep_after_ms + 100) << c.what;
        }
    }
}

TEST(SoundStream, AfterASleepTheFirstTonesPlayCompleteAndOnTime) {
    // Thirty seconds after the stream went to sleep, an image and two speaker pulses are queued. The
    // device either paused with its buffer kept (and goes on from there) or was closed (and a new one
    // starts empty and fills its buffer first, as the first one did). Either way every tone must sound
    // as long after its stamp as in a running stream (the lead plus the latency), whole, at its length.
    for (const bool fresh : {false, true}) {
        SCOPED_TRACE(fresh ? "a new device stream" : "the paused device stream");
        StreamRig rig;
        int wakes = 0;
        rig.stream.set_wake([&] { ++wakes; });
        ASSERT_GT(first_sleep_ms(rig, {}, 5000), 0);
        EXPECT_TRUE(rig.stream.asleep());
        rig.now_ms += 30000;
        const double woken_ms = rig.now_ms;
        auto ramp = std::make_shared<std::vector<std::int16_t>>(13230);
        for (std::size_t i = 0; i < ramp->size(); ++i)
            (*ramp)[i] = std::int16_t(1000 + i % 5000); // below the speaker's level
        rig.stream.play(woken_ms, ramp);
        EXPECT_EQ(wakes, 1);
        EXPECT_FALSE(rig.stream.asleep());
        speaker_tone(rig.stream, woken_ms, 1193); // later events do not wake it again
        for (double on : {500.0, 1300.0}) {
            rig.stream.write_port(woken_ms + on, system_control_port, 0x03);
            rig.stream.write_port(woken_ms + on + 400, system_control_port, 0x00);
        }
        EXPECT_EQ(wakes, 1);
        const std::size_t woken_at = rig.left().size();
        if (fresh) {
            rig.stream.start_fresh();
            rig.block(lead_ms); // the new device fills its buffer
        }
        rig.run_until(woken_ms + 2500);
        // When a sample plays: the paused device first plays out what it held.
        auto played_ms = [&](std::size_t index) {
            return woken_ms + (fresh ? 0 : lead_ms) + double(index - woken_at) / stream_samples_per_ms;
        };
        const double in_time_ms = lead_ms + latency_ms; // after its stamp, in a running stream
        const auto left = rig.left();
        const auto image = testing::find_tones(left, 500, 10);
        ASSERT_GE(image.size(), 1u);
        EXPECT_NEAR(played_ms(image[0].begin), woken_ms + in_time_ms, 0.05);
        ASSERT_EQ(image[0].length(), ramp->size());
        EXPECT_TRUE(std::equal(ramp->begin(), ramp->end(), left.begin() + std::ptrdiff_t(image[0].begin)));
        const auto pulses = testing::find_tones(left, 7000, 100);
        ASSERT_EQ(pulses.size(), 2u);
        for (std::size_t k = 0; k < 2; ++k) {
            EXPECT_NEAR(played_ms(pulses[k].begin), woken_ms + 500 + 800 * k + in_time_ms, 0.05) << k;
            EXPECT_NEAR(double(pulses[k].length()), 400 * stream_samples_per_ms, 1) << k;
        }
        EXPECT_EQ(rig.stream.stats().events_late, 0u);
    }
}

TEST(SoundStream, NoEventIsLeftAsleepWhenTheTwoThreadsMeet) {
    // The audio side sleeps whenever it may and waits for the wake hook; the other thread queues events
    // at random moments, some exactly while the audio side decides to sleep. Every event must be
    // rendered in the end; a lost wake-up leaves one in the queue and the audio side asleep for good.
    SoundStream stream{latency_ms};
    std::mutex mutex;
    std::condition_variable woken;
    bool wake_pending = false;
    stream.set_wake([&] {
        std::lock_guard<std::mutex> lock(mutex);
        wake_pending = true;
        woken.notify_one();
    });
    constexpr int events = 300;
    std::atomic<bool> done{false};
    std::thread audio([&] {
        std::vector<std::int16_t> block(2 * 4410);
        double now = 0;
        while (!done.load()) {
            stream.render(block.data(), 4410, now); // 100 ms of audio at a time, as fast as it goes
            now += 100;
            if (!stream.try_sleep()) continue;
            std::unique_lock<std::mutex> lock(mutex);
            if (!woken.wait_for(lock, std::chrono::seconds(10), [&] { return wake_pending || done.load(); }))
                return; // never woken: the check below fails
            wake_pending = false;
        }
    });
    std::mt19937 random{7};
    for (int i = 0; i < events; ++i) {
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
        stream.write_port(0, system_control_port, std::uint8_t(i & 1 ? 0x00 : 0x03));
    }
    for (int waited = 0; stream.stats().events_applied < events && waited < 10000; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(stream.stats().events_applied, std::uint64_t{events});
    {
        std::lock_guard<std::mutex> lock(mutex);
        done = true;
        woken.notify_one();
    }
    audio.join();
}

} // namespace
} // namespace kelvor::emu
