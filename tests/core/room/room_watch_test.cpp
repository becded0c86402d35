#include "core/room/room_watch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

namespace kelvor::room {
namespace {

constexpr int rate = 48000;
constexpr double pi = std::numbers::pi;

// Hands the watch what the test plays, synchronously, in the 10 ms blocks of a sound server.
struct FakeMicrophone final : host::RoomMicrophone {
    bool open(int, Samples s, Lost l, std::string&) override {
        samples = std::move(s), lost = std::move(l), ++opened;
        return true;
    }
    void close() override { samples = nullptr; }
    void play(const std::vector<float>& s) {
        for (std::size_t at = 0; at < s.size() && samples; at += 480)
            samples(s.data() + at, std::min<std::size_t>(480, s.size() - at));
    }
    Samples samples;
    Lost lost;
    int opened = 0;
};

// Noise as 30 sines of random phase, log-spaced from `low_hz` to `high_hz`, at `level_db` in all (a sine
// of amplitude 1 is 0 dB): its level in a band is known without a filter of our own.
std::vector<float> noise(std::size_t count, double low_hz, double high_hz, double level_db, unsigned seed) {
    std::vector<float> s(count, 0.0f);
    std::mt19937 random(seed);
    const double amplitude = std::pow(10.0, level_db / 20) / std::sqrt(30.0);
    for (int k = 0; k < 30; ++k) {
        const double w = 2 * pi * low_hz * std::pow(high_hz / low_hz, (k + 0.5) / 30) / rate;
        const double p = std::uniform_real_distribution<double>(0, 2 * pi)(random);
        const double cw = std::cos(w), sw = std::sin(w);
        double re = amplitude * std::cos(p), im = amplitude * std::sin(p);
        for (float& x : s) { // a rotating phasor: a sin() per sample takes seconds unoptimised
            x += static_cast<float>(im);
            const double r = re * cw - im * sw;
            im = re * sw + im * cw, re = r;
        }
    }
    return s;
}

constexpr double quiet_band_db = -60; // a microphone's own noise, per octave band
constexpr double noise_db = -35;      // a noise in one band, 25 dB over the quiet room

struct Case {
    const char* what;
    bool quiet_room; // else digital silence
    std::uint16_t tone_hz;
    int noise_band; // -1: none; else the one band over the limit
};

TEST(RoomWatch, LevelsOfToneAndNoiseAgainstTheRoomAsItWas) {
    const Case cases[] = {
        {"silence reads the floor", false, 0, -1},
        {"a full-scale tone in a silent room", false, 1000, -1},
        {"a full-scale low tone in a silent room", false, 125, -1},
        {"a full-scale tone in a quiet room", true, 1000, -1},
        {"a full-scale low tone in a quiet room", true, 125, -1},
        {"a full-scale tone between bands", true, 750, -1},
        {"a full-scale high tone", true, 8000, -1},
        {"noise in the band", true, 0, 3},
        {"noise in the lowest band", true, 0, 0},
        {"noise outside the band", true, 1000, 5},
        {"tone plus noise in its band", true, 1000, 3},
        {"low tone plus noise in its band", true, 125, 0},
    };
    const auto& centres = band_centres();
    // Sines spread evenly over the octaves 88 Hz .. 11.3 kHz: a seventh in each band.
    const auto room = [](std::size_t n, unsigned seed) {
        return noise(n, 88.4, 11314, quiet_band_db + 8.45, seed);
    };
    const std::vector<float> room_before = room(rate * 3, 1), room_during = room(rate * 4, 2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeMicrophone mic;
        RoomWatch watch(mic, rate);
        std::string why;
        ASSERT_TRUE(watch.start(why));
        mic.play(c.quiet_room ? room_before : std::vector<float>(rate * 3, 0.0f));
        const Baseline baseline = baseline_from(watch.take_windows());

        watch.set_tone(c.tone_hz);
        std::vector<float> during = c.quiet_room ? room_during : std::vector<float>(rate * 4, 0.0f);
        for (std::size_t i = 0; i < during.size() && c.tone_hz; ++i) // 300 ms of every 800, switched hard
            if (i % (rate * 8 / 10) < rate * 3 / 10)
                during[i] += float(std::sin(2 * pi * c.tone_hz * i / rate));
        if (c.noise_band >= 0) {
            const double centre = centres[std::size_t(c.noise_band)];
            const auto in_band =
                noise(during.size(), centre / std::numbers::sqrt2, centre * std::numbers::sqrt2, noise_db, 3);
            for (std::size_t i = 0; i < during.size(); ++i)
                during[i] += in_band[i];
        }
        mic.play(during);
        std::vector<NoiseWindow> windows = watch.take_windows();
        ASSERT_EQ(windows.size(), 16u); // every quarter second, the first a second after the start
        for (std::size_t n = 4; n < windows.size(); ++n) { // those begun after the change
            const NoiseWindow& w = windows[n];
            EXPECT_EQ(w.tone_hz, c.tone_hz);
            const auto over = bands_over_limit(w, baseline);
            for (std::size_t band = 0; band < centres.size(); ++band) {
                SCOPED_TRACE(std::to_string(centres[band]) + " Hz, window " + std::to_string(w.index));
                const int from_noise = c.noise_band < 0 ? 99 : std::abs(int(band) - c.noise_band);
                const double rise = w.band_db[band] - baseline.band_db[band];
                // An octave band's slopes let some of the noise at its edges into the neighbours.
                if (from_noise != 1) {
                    EXPECT_EQ(std::count(over.begin(), over.end(), band), from_noise == 0);
                }
                if (from_noise == 0) {
                    EXPECT_NEAR(w.band_db[band], noise_db - 1, 1.0);
                } else if (!c.quiet_room) {
                    EXPECT_EQ(w.band_db[band], floor_db);
                } else if (from_noise > 1) { // the tone, its edges: a dB or two at most
                    EXPECT_LT(std::abs(rise), 2.0);
                }
            }
        }
    }
}

TEST(RoomWatch, TheMicrophoneOpensOnlyOnStartAndALossIsKept) {
    std::vector<NoiseWindow> windows;
    for (int i = 0; i < 5; ++i)
        windows.push_back({std::uint64_t(i), 0, std::vector<double>(7, -70.0 + i), -50.0 - i});
    EXPECT_DOUBLE_EQ(baseline_from(windows).broadband_db, -52.0);
    EXPECT_DOUBLE_EQ(baseline_from(windows, 90).band_db[0], -66.4); // between the ranks
    EXPECT_EQ(band_of(750), 3u);                                    // nearer 1000 than 500 on a log scale

    FakeMicrophone mic;
    RoomWatch watch(mic, rate);
    EXPECT_EQ(mic.opened, 0);
    std::string why;
    ASSERT_TRUE(watch.start(why));
    mic.play(std::vector<float>(rate * 2, 0.0f));
    mic.lost("gone");
    EXPECT_EQ(watch.lost(), "gone");
    EXPECT_EQ(watch.take_windows().size(), 5u);
    watch.stop();
    ASSERT_TRUE(watch.start(why));
    EXPECT_FALSE(watch.lost());
    mic.play(std::vector<float>(rate, 0.0f));
    const auto again = watch.take_windows();
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].index, 0u); // numbered from the new start
    EXPECT_EQ(mic.opened, 2);
}

} // namespace
} // namespace kelvor::room
