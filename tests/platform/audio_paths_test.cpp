// End-to-end sound: the real audio thread and sink on the test environment's sound server, recorded
// from the sink's monitor and measured.
#include <QThread>
#include <cmath>
#include <gtest/gtest.h>

#include "core/tone/wave_stream.h"
#include "emu/opl2_chip.h"
#include "emu/pit_speaker.h"
#include "platform/audio_engine.h"
#include "platform/monitor_recorder.h"
#include "platform/port_access.h"
#include "platform/sound_system.h"
#include "platform/steady_clock.h"
#include "platform/stream_audio_out.h"
#include "support/audio_analysis.h"

namespace kelvor::platform {
namespace {

constexpr double rate = 44100;

// Both backends the program can choose (KELVOR_AUDIO), each with its own timing.
class AudioPaths : public ::testing::TestWithParam<AudioBackendKind> {
  protected:
    void SetUp() override {
        if (AudioEngine::output_device_count() == 0) GTEST_SKIP() << "no sound server";
        ASSERT_TRUE(engine.start());
        engine.wait_until_settled();
        ASSERT_TRUE(recorder.start());
        underruns_before = engine.underruns();
    }
    void wait_ms(int ms) { QThread::msleep(static_cast<unsigned long>(ms)); }
    // Left channel of the recording; checks that both channels carried the same.
    std::vector<std::int16_t> finish() {
        wait_ms(150);
        const auto both = recorder.stop();
        // A sink that ran dry, or a machine that stood still, starved the audio thread, which then takes
        // some events late too.
        starved = engine.underruns() != underruns_before ||
                  recorder.longest_stall_ms() >= testing::MonitorRecorder::stall_limit_ms;
        if (!starved) {
            EXPECT_EQ(engine.stream().stats().events_late, 0u);
        }
        EXPECT_EQ(engine.stream().stats().events_dropped, 0u);
        auto left = testing::channel(both, 0, 2);
        EXPECT_EQ(left, testing::channel(both, 1, 2)) << "mono must reach both channels equally";
        return left;
    }
    void reg(std::uint8_t r, std::uint8_t v) {
        ports.write_port(emu::adlib_address_port, r);
        ports.write_port(emu::adlib_data_port, v);
    }

    SteadyClock clock;
    AudioEngine engine{clock, audio_timing_for(GetParam())};
    EmulatedPortIo ports{engine.stream(), clock};
    testing::MonitorRecorder recorder;
    int underruns_before = 0;
    bool starved = false; // the sink ran dry or the machine stood still: the recording may have a gap
};

TEST_P(AudioPaths, DataStreamRecordingEqualsTheImageSamples) {
    StreamAudioOut audio{engine};
    diagnostics::LogBuffer log{"SOUND", 40};
    tone::WaveStream waves{audio, log};
    waves.make_wave(1000, 12, 100);
    std::vector<std::int16_t> rec;
    std::vector<testing::ToneSpan> tones;
    // A cycle PipeWire's PulseAudio server mixes without us leaves a hole it does not report (see
    // the first image after a sleep): one measurement more then.
    for (int attempt = 0; attempt < 2 && tones.size() != 1; ++attempt) {
        if (attempt > 0) {
            ASSERT_TRUE(recorder.start());
        }
        waves.play_wave();
        wait_ms(450);
        rec = finish();
        if (starved) GTEST_SKIP() << "the sink ran dry or the machine stood still while recording";
        tones = testing::find_tones(rec, 0, 50);
    }
    ASSERT_EQ(tones.size(), 1u) << testing::describe_tones(tones);
    const std::vector<std::uint8_t>& image = waves.buffer(1).image;
    const auto expected = wave_image_samples(image);
    ASSERT_EQ(expected.size(), tone::wave_sample_count);
    // The image starts with a zero sample: the first loud one is its second.
    const std::size_t start = tones[0].begin - 1;
    ASSERT_LE(start + expected.size(), rec.size());
    const std::vector<std::int16_t> got(rec.begin() + std::ptrdiff_t(start),
                                        rec.begin() + std::ptrdiff_t(start + expected.size()));
    EXPECT_EQ(got, expected);
    EXPECT_EQ(tones[0].length(), expected.size() - 1);
}

TEST_P(AudioPaths, EmulatedOpl2PitchAndTotalLevelSteps) {
    // Channel 0's carrier, sustained, at F-number 659 block 5: the chip's own 999.84 Hz.
    reg(0x23, 0x21);
    reg(0x63, 0xF0);
    reg(0x83, 0xF0);
    reg(0xA0, 0x93);
    const int steps[] = {0, 4, 16, 48};
    reg(0x43, 0);
    const double t_on = clock.now_ms();
    reg(0xB0, 0x36);
    std::vector<double> step_at_ms; // stamped, relative to the key-on
    for (int tl : steps) {
        step_at_ms.push_back(clock.now_ms() - t_on);
        reg(0x43, std::uint8_t(tl));
        wait_ms(300);
    }
    reg(0x43, 0x3F);
    const auto rec = finish();
    if (starved) GTEST_SKIP() << "the sink ran dry or the machine stood still while recording";
    const auto tones = testing::find_tones(rec, 200, 50);
    ASSERT_FALSE(tones.empty());
    const std::size_t t0 = tones[0].begin;
    const double expected_hz = 659 * 49716.0 / std::pow(2.0, 15);
    double loudest = 0;
    for (std::size_t k = 0; k < std::size(steps); ++k) {
        const std::size_t from = t0 + std::size_t((step_at_ms[k] + 60) * rate / 1000);
        const std::size_t to = from + std::size_t(200 * rate / 1000);
        ASSERT_LE(to, rec.size());
        const double hz = testing::tone_frequency_hz(rec, from, to, rate);
        EXPECT_NEAR(hz / expected_hz, 1.0, 0.0005) << "total level " << steps[k] << ": " << hz << " Hz";
        const double db = testing::rms_dbfs(rec, from, to);
        if (k == 0) loudest = db;
        EXPECT_NEAR(loudest - db, 0.75 * steps[k], 0.1) << "total level " << steps[k];
    }
}

TEST_P(AudioPaths, EmulatedSpeakerFrequencyFollowsTheDivisor) {
    std::vector<double> sounded_ms; // as stamped: a busy machine may oversleep
    for (std::uint16_t divisor : {std::uint16_t{1193}, std::uint16_t{149}}) {
        ports.write_port(emu::pit_command_port, 0xB6);
        ports.write_port(emu::pit_channel2_port, std::uint8_t(divisor & 0xFF));
        ports.write_port(emu::pit_channel2_port, std::uint8_t(divisor >> 8));
        const double on = clock.now_ms();
        ports.write_port(emu::system_control_port, 0x03);
        wait_ms(400);
        sounded_ms.push_back(clock.now_ms() - on);
        ports.write_port(emu::system_control_port, 0x00);
        wait_ms(200);
    }
    const auto rec = finish();
    if (starved) GTEST_SKIP() << "the sink ran dry or the machine stood still while recording";
    const auto tones = testing::find_tones(rec, 1000, 100);
    ASSERT_EQ(tones.size(), 2u);
    const double expected[] = {emu::pit_clock_hz / 1193, emu::pit_clock_hz / 149};
    for (std::size_t k = 0; k < 2; ++k) {
        const double hz = testing::tone_frequency_hz(rec, tones[k].begin, tones[k].end, rate);
        EXPECT_NEAR(hz / expected[k], 1.0, 0.0005) << hz << " Hz";
        EXPECT_NEAR(double(tones[k].length()), sounded_ms[k] * rate / 1000, rate / 1000); // within 1 ms
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, AudioPaths,
                         ::testing::Values(AudioBackendKind::pulse, AudioBackendKind::qt),
                         [](const auto& info) { return std::string(audio_backend_name(info.param)); });

TEST(AudioSetting, NamesTheBackendAndFallsBackToTheDefault) {
    const struct {
        const char* setting;
        AudioBackendKind expected;
    } cases[] = {{"qt", AudioBackendKind::qt},     {"pulse", AudioBackendKind::pulse},
                 {"sdl", AudioTiming{}.backend}, // measured once, no longer built
                 {nullptr, AudioTiming{}.backend}, {"", AudioTiming{}.backend},
                 {"Pulse", AudioTiming{}.backend}, {"alsa", AudioTiming{}.backend}};
    for (const auto& c : cases) {
        const AudioTiming timing = audio_timing_from_setting(c.setting);
        EXPECT_EQ(timing.backend, c.expected) << (c.setting ? c.setting : "(unset)");
        EXPECT_EQ(timing.sink_buffer_bytes, audio_timing_for(c.expected).sink_buffer_bytes);
    }
}

} // namespace
} // namespace kelvor::platform
