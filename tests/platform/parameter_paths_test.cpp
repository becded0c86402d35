// The settings dialog's window driving the real tone output on the emulated bus, recorded from the sound
// server's monitor: a port where no card answers falls silent, and the PC speaker takes over the tone.
#include <cmath>
#include <gtest/gtest.h>

#include "emu/opl2_chip.h"
#include "emu/pit_speaker.h"
#include "platform/live_dialog.h"

namespace kelvor::platform {
namespace {

constexpr double rate = 44100;
constexpr double tick_ms = testing::live_tick_ms;

using testing::LiveDialog;
using testing::peak;
using testing::record;
using testing::Recording;

TEST(ParameterPaths, TestingAPortWhereNoCardAnswersSilencesTheChip) {
    if (AudioEngine::output_device_count() == 0) GTEST_SKIP() << "no sound server";
    double sounding_ms = 0; // from the last sounding half to "Test"
    int boxes = 0;
    bool opened = false;
    const Recording rec = record([&](LiveDialog& live) {
        opened = live.open();
        live.click("MethB_Direct_Port");
        live.click("Port0240");
        live.tone.start_output();
        live.d.m.set_test_level(30);
        live.d.m.set_test_freq(1000);
        live.ticks(4); // pause, sound, pause, sound at 0x388
        QThread::msleep(100);
        sounding_ms = live.now() - live.ticked.back();
        live.state.test_started = true; // as Start leaves it: the chip at 0x388 is keyed
        live.click("Port_Test");        // while it sounds
        live.ticks(4);           // the pulse now writes to 0x240, where nothing answers
        boxes = int(live.dialogs.shown.size());
    });
    if (rec.underran) GTEST_SKIP() << "the machine was too busy to feed the sound server";
    ASSERT_TRUE(opened);
    EXPECT_EQ(boxes, 0);

    const auto tones = testing::find_tones(rec.samples, 200, 60);
    ASSERT_EQ(tones.size(), 2u);
    for (const auto& t : tones)
        EXPECT_NEAR(testing::tone_frequency_hz(rec.samples, t.begin, t.begin + t.length() * 3 / 4, rate),
                    659 * 49716.0 / 32768, 1.0);
    // The first tone is a whole sounding half; the second stops when "Test" moves the port.
    const double slack = 11 * rate / 1000;
    EXPECT_NEAR(double(tones[0].length()), tick_ms * rate / 1000, slack);
    EXPECT_NEAR(double(tones[1].length()), sounding_ms * rate / 1000, slack);
    // Two more sounding halves came and went after it, and the chip stayed at its floor (total level 63,
    // 47 dB down: what every pause half makes), as quiet as the pause between the two tones.
    EXPECT_GT(rec.samples.size() - tones[1].end, std::size_t(1.5 * rate));
    const int tone_peak = peak(rec.samples, tones[0].begin, tones[0].end);
    const int pause_peak = peak(rec.samples, tones[0].end + 100, tones[1].begin - 100);
    const int after_peak = peak(rec.samples, tones[1].end + 100, rec.samples.size());
    EXPECT_LE(after_peak, pause_peak + 1) << "tone " << tone_peak << ", pause " << pause_peak;
    EXPECT_LT(after_peak * 20, tone_peak);
}

TEST(ParameterPaths, ThePcSpeakerTakesOverTheToneFromTheDataStream) {
    if (AudioEngine::output_device_count() == 0) GTEST_SKIP() << "no sound server";
    std::vector<std::string> boxes;
    bool opened = false;
    const Recording rec = record([&](LiveDialog& live) {
        opened = live.open();
        live.tone.start_output(); // on the preset data stream
        live.d.m.set_test_level(12);
        live.d.m.set_test_freq(1000);
        live.ticks(3); // one 300 ms image
        live.click("Dev_PC_Speaker");
        live.d.m.set_test_freq(1000); // the next frequency set programs the timer
        live.ticks(4);
        live.tone.speaker_off();
        boxes = live.dialogs.shown;
    });
    if (rec.underran) GTEST_SKIP() << "the machine was too busy to feed the sound server";
    ASSERT_TRUE(opened);
    EXPECT_EQ(boxes, std::vector<std::string>{"no Volume Adjustment for PC Speaker !"});

    const auto tones = testing::find_tones(rec.samples, 100, 60);
    ASSERT_EQ(tones.size(), 3u);
    // The stream's sine at 1 kHz and the calibration amplitude, then the speaker's square wave.
    EXPECT_NEAR(testing::tone_frequency_hz(rec.samples, tones[0].begin, tones[0].end, rate), 1000, 0.5);
    EXPECT_NEAR(peak(rec.samples, tones[0].begin, tones[0].end), 398, 1);
    for (std::size_t k = 1; k < tones.size(); ++k) {
        const auto& t = tones[k];
        EXPECT_NEAR(testing::tone_frequency_hz(rec.samples, t.begin, t.end, rate) /
                        (emu::pit_clock_hz / 1193),
                    1.0, 0.0005);
        EXPECT_NEAR(double(t.length()), tick_ms * rate / 1000, 11 * rate / 1000);
        // A square wave: nearly every sample sits at one of its two levels.
        std::size_t at_level = 0;
        for (std::size_t i = t.begin; i < t.end; ++i)
            at_level += std::abs(std::abs(int(rec.samples[i])) - emu::speaker_amplitude) < 200;
        EXPECT_GT(double(at_level) / double(t.length()), 0.9) << "tone " << k;
    }
}

TEST(ParameterPaths, TheVolumeArrowsScaleTheCalibrationToneOnTheDataStream) {
    if (AudioEngine::output_device_count() == 0) GTEST_SKIP() << "no sound server";
    const Recording rec = record([&](LiveDialog& live) {
        ASSERT_TRUE(live.open());
        live.tone.start_output();
        live.d.m.Justierung1kHz12dB1Click();
        live.ticks(3); // the calibration tone at 100 %
        for (int i = 0; i < 49; ++i)
            live.click("Vol_0dB_down");
        live.ticks(4); // at 2 %
    });
    if (rec.underran) GTEST_SKIP() << "the machine was too busy to feed the sound server";
    const auto tones = testing::find_tones(rec.samples, 3, 60);
    ASSERT_EQ(tones.size(), 3u);
    const int expected[] = {398, 7, 7};
    for (std::size_t k = 0; k < tones.size(); ++k) {
        EXPECT_NEAR(peak(rec.samples, tones[k].begin, tones[k].end), expected[k], 1) << "tone " << k;
        EXPECT_NEAR(double(tones[k].length()), 300 * rate / 1000, 11 * rate / 1000) << "tone " << k;
    }
}

} // namespace
} // namespace kelvor::platform
