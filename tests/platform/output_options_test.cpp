// The two output options through the real audio thread and sink, recorded in stereo from the sound
// server's monitor: with routing on every path sounds on the tested ear's side only (the other side
// every sample 0) and moves with the ear switch; soft onsets give the data stream's burst a raised
// cosine at both ends, sample for sample, and take the splatter of its edges away.
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

#include "core/tone/wave_stream.h"
#include "platform/live_dialog.h"
#include "platform/stream_audio_out.h"

namespace kelvor::platform {
namespace {

using testing::LiveDialog;
using testing::Recording;

constexpr double rate = 44100;

enum class Path { data_stream, opl2, speaker };

struct PathCase {
    const char* name;
    Path path;
    int threshold; // above the chip's floor in its pause halves
    double tone_hz;
};

class EarRoutingPaths : public ::testing::TestWithParam<PathCase> {};

// Everything at or above `threshold` on either side.
std::vector<testing::ToneSpan> tones_on_either(const Recording& rec, int threshold) {
    std::vector<std::int16_t> loudest(rec.samples.size());
    for (std::size_t i = 0; i < loudest.size(); ++i)
        loudest[i] = std::int16_t(std::max(std::abs(int(rec.samples[i])), std::abs(int(rec.right[i]))));
    return testing::find_tones(loudest, threshold, 60);
}

std::size_t nonzero(const std::vector<std::int16_t>& s, std::size_t from, std::size_t to) {
    return std::size_t(std::count_if(s.begin() + std::ptrdiff_t(from), s.begin() + std::ptrdiff_t(to),
                                     [](std::int16_t v) { return v != 0; }));
}

TEST_P(EarRoutingPaths, TheToneSoundsOnTheTestedSideOnlyAndFollowsTheEarSwitch) {
    if (AudioEngine::output_device_count() == 0) GTEST_SKIP() << "no sound server";
    const PathCase& c = GetParam();
    const Recording rec = testing::record(
        [&](LiveDialog& live) {
            ASSERT_TRUE(live.open());
            if (c.path == Path::opl2) live.click("MethB_Direct_Port");
            if (c.path == Path::speaker) live.click("Dev_PC_Speaker");
            live.click("Ear_Routing");
            auto tone_at_1khz = [&] {
                live.d.m.set_test_level(30);
                live.d.m.set_test_freq(1000);
            };
            live.runner.run([&] {
                live.d.m.Messung_liClick();
                live.tone.start_output();
                tone_at_1khz();
            });
            live.ticks(5); // pause, sound, pause, sound, pause: two tones on the left
            live.runner.run([&] {
                live.d.m.Messung_reClick();
                tone_at_1khz();
            });
            live.ticks(4); // sound, pause, sound, pause: two on the right
            live.click("Ear_Routing");
            live.ticks(4); // two on both sides, as without the option
            live.runner.run([&] {
                live.tone.OPL2_aus();
                live.tone.speaker_off();
            });
        },
        testing::Channels::stereo);
    if (rec.underran) GTEST_SKIP() << "the machine was too busy to feed the sound server";
    ASSERT_FALSE(rec.samples.empty());
    const auto& left = rec.samples;
    const auto& right = rec.right;

    const auto tones = tones_on_either(rec, c.threshold);
    ASSERT_EQ(tones.size(), 6u);
    for (std::size_t k = 0; k < tones.size(); ++k) {
        const auto& heard = k < 2 || k >= 4 ? left : right;
        EXPECT_NEAR(testing::tone_frequency_hz(heard, tones[k].begin, tones[k].end, rate), c.tone_hz, 1.0)
            << "tone " << k;
    }
    // From the start to the last left tone's end the right side is digital silence, and from the first
    // right tone to its second the left side is; at no sample in between do both sides sound.
    EXPECT_EQ(nonzero(right, 0, tones[1].end), 0u);
    EXPECT_EQ(nonzero(left, tones[2].begin, tones[3].end), 0u);
    EXPECT_GT(nonzero(left, tones[0].begin, tones[1].end), tones[0].length());
    EXPECT_GT(nonzero(right, tones[2].begin, tones[3].end), tones[2].length());
    for (std::size_t i = tones[1].end; i < tones[2].begin; ++i)
        ASSERT_TRUE(left[i] == 0 || right[i] == 0) << "sample " << i;
    // Routing off: both sides carry the same again.
    const std::vector<std::int16_t> both_left(left.begin() + std::ptrdiff_t(tones[4].begin), left.end());
    const std::vector<std::int16_t> both_right(right.begin() + std::ptrdiff_t(tones[4].begin), right.end());
    EXPECT_EQ(both_left, both_right);
    std::printf("%s: tone %.1f dBFS on its side, the other side %zu samples other than 0\n", c.name,
                testing::rms_dbfs(left, tones[0].begin, tones[0].end), nonzero(right, 0, tones[1].end));
}

INSTANTIATE_TEST_SUITE_P(Paths, EarRoutingPaths,
                         ::testing::Values(PathCase{"data_stream", Path::data_stream, 100, 1000},
                                           PathCase{"opl2", Path::opl2, 200, 659 * 49716.0 / 32768},
                                           PathCase{"speaker", Path::speaker, 1000,
                                                    emu::pit_clock_hz / 1193}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- soft onsets

double rise(std::size_t k) {
    constexpr std::size_t fade = 882; // 20 ms
    return k >= fade ? 1.0 : 0.5 * (1.0 - std::cos(std::numbers::pi * double(k) / double(fade)));
}

// Where `expected` lies in `rec` sample for sample, looked for around `near`; npos when nowhere.
std::size_t find_exact(const std::vector<std::int16_t>& rec, const std::vector<std::int16_t>& expected,
                       std::size_t near) {
    for (std::size_t at = near > 1000 ? near - 1000 : 0;
         at <= near + 100 && at + expected.size() <= rec.size(); ++at)
        if (std::equal(expected.begin(), expected.end(), rec.begin() + std::ptrdiff_t(at))) return at;
    return std::string::npos;
}

TEST(SoftOnset, TheRecordedBurstFollowsTheRaisedCosineAndLosesItsSplatter) {
    if (AudioEngine::output_device_count() == 0) GTEST_SKIP() << "no sound server";
    std::vector<std::uint8_t> played_image; // the image both bursts were made from, as the stream got it
    const Recording rec = testing::record([&](LiveDialog& live) {
        ASSERT_TRUE(live.open());
        live.runner.run([&] {
            live.tone.start_output(); // the preset data stream
            live.d.m.set_test_level(hearing::level_max_db);
            live.d.m.set_test_freq(1000);
        });
        live.ticks(3); // pause, sound (abrupt), pause
        live.click("Soft_Onset");
        live.ticks(2); // sound (soft), pause
        played_image = live.waves.buffer(live.waves.current()).image;
    });
    if (rec.underran) GTEST_SKIP() << "the machine was too busy to feed the sound server";
    ASSERT_FALSE(rec.samples.empty());

    // The image is what the data stream makes, untouched by the fade.
    std::vector<std::uint8_t> fresh;
    tone::write_wav(fresh, 1000, hearing::level_max_db, 100);
    EXPECT_EQ(played_image, fresh);
    const auto image = wave_image_samples(played_image);
    ASSERT_EQ(image.size(), tone::wave_sample_count);
    std::vector<std::int16_t> soft(image.size());
    for (std::size_t i = 0; i < image.size(); ++i)
        soft[i] = std::int16_t(std::lround(image[i] * std::min(rise(i), rise(image.size() - 1 - i))));

    const auto bursts = testing::find_tones(rec.samples, 0, 200);
    ASSERT_EQ(bursts.size(), 2u);
    const std::size_t abrupt_at = find_exact(rec.samples, image, bursts[0].begin);
    const std::size_t soft_at = find_exact(rec.samples, soft, bursts[1].begin);
    ASSERT_NE(abrupt_at, std::string::npos) << "the first burst is the image itself";
    ASSERT_NE(soft_at, std::string::npos) << "the second burst is the image under the raised cosine";
    EXPECT_EQ(nonzero(rec.samples, soft_at + soft.size(), rec.samples.size()), 0u);

    // Energy farther than 2 kHz from the tone, relative to the burst's, over the burst with 50 ms of the
    // silence around it.
    const std::size_t margin = 2205;
    const double away_abrupt = testing::energy_away_from_tone_db(
        rec.samples, abrupt_at - margin, abrupt_at + image.size() + margin, 1000, 2000, rate);
    const double away_soft = testing::energy_away_from_tone_db(
        rec.samples, soft_at - margin, soft_at + soft.size() + margin, 1000, 2000, rate);
    std::printf("energy farther than 2 kHz from the 1 kHz tone: abrupt %.1f dB, soft %.1f dB\n", away_abrupt,
                away_soft);
    EXPECT_GT(away_abrupt, -55); // the edges' splatter
    EXPECT_LT(away_soft, -85);
}

} // namespace
} // namespace kelvor::platform
