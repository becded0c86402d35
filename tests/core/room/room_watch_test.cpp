#include "core/room/room_watch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

namespace kelvor::room {
namespace {

constexpr int rate = 48000;

// Hands the watch whatever the test plays, synchronously, in the 10 ms blocks a sound server would.
class FakeMicrophone final : public host::RoomMicrophone {
  public:
    bool open(int, Samples on_samples, Lost on_lost, std::string&) override {
        samples_ = std::move(on_samples);
        lost_ = std::move(on_lost);
        ++opened;
        return true;
    }
    void close() override { samples_ = nullptr; }
    void play(const std::vector<float>& s) {
        for (std::size_t at = 0; at < s.size() && samples_; at += 480)
            samples_(s.data() + at, std::min<std::size_t>(480, s.size() - at));
    }
    void lose(const std::string& why) {
        lost_(why);
        samples_ = nullptr;
    }
    int opened = 0;

  private:
    Samples samples_;
    Lost lost_;
};

// Noise as many sines of random phase, log-spaced from `low_hz` to `high_hz`, at `level_db` in all
// (a sine of amplitude 1 is 0 dB): its level in any band is known without a filter of our own.
std::vector<float> noise(std::size_t count, double low_hz, double high_hz, double level_db, unsigned seed) {
    std::vector<float> s(count, 0.0f);
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> phase(0, 2 * std::numbers::pi);
    constexpr int sines = 30;
    const double amplitude = std::pow(10.0, level_db / 20) / std::sqrt(double(sines));
    for (int k = 0; k < sines; ++k) {
        const double w = 2 * std::numbers::pi * low_hz * std::pow(high_hz / low_hz, (k + 0.5) / sines) / rate;
        const double p = phase(random), cw = std::cos(w), sw = std::sin(w);
        double re = amplitude * std::cos(p), im = amplitude * std::sin(p);
        for (float& x : s) { // a rotating phasor: sin() per sample would take seconds here
            x += static_cast<float>(im);
            const double r = re * cw - im * sw;
            im = re * sw + im * cw;
            re = r;
        }
    }
    return s;
}

void add(std::vector<float>& to, const std::vector<float>& s) {
    for (std::size_t i = 0; i < to.size() && i < s.size(); ++i)
        to[i] += s[i];
}

// The test's pulse at full scale, switched hard as the data stream does: 300 ms of every 800 ms.
void add_pulsed_tone(std::vector<float>& s, std::uint16_t freq_hz) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        const std::size_t t = i % (rate * 8 / 10);
        if (t < rate * 3 / 10)
            s[i] += static_cast<float>(std::sin(2 * std::numbers::pi * freq_hz * double(t) / rate));
    }
}

enum Room { silent, quiet };
constexpr double quiet_band_db = -60; // a microphone's own noise, per octave band
constexpr double noise_db = -35;      // a noise in one band, 25 dB over the quiet room

// Sines spread evenly over the octaves 88 Hz .. 11.3 kHz: each band gets a seventh.
std::vector<float> quiet_room(std::size_t count, unsigned seed) {
    return noise(count, 88.4, 11314, quiet_band_db + 10 * std::log10(7.0), seed);
}

struct Case {
    const char* what;
    Room room;
    std::uint16_t tone_hz; // 0: none sounds
    int noise_band;        // -1: none; the one band over the limit
};

TEST(RoomWatch, LevelsOfToneAndNoiseAgainstTheRoomAsItWas) {
    const std::vector<Case> cases = {
        {"silence reads the floor", silent, 0, -1},
        {"a full-scale tone in a silent room", silent, 1000, -1},
        {"a full-scale low tone in a silent room", silent, 125, -1},
        {"a full-scale tone in a quiet room", quiet, 1000, -1},
        {"a full-scale low tone in a quiet room", quiet, 125, -1},
        {"a full-scale tone between bands", quiet, 750, -1},
        {"a full-scale high tone", quiet, 8000, -1},
        {"noise in the band", quiet, 0, 3},
        {"noise in the band, low", quiet, 0, 0},
        {"noise outside the band", quiet, 1000, 5},
        {"tone plus noise in its band", quiet, 1000, 3},
        {"low tone plus noise in its band", quiet, 125, 0},
    };
    const auto& centres = band_centres();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeMicrophone mic;
        RoomWatch watch(mic, rate);
        std::string why;
        ASSERT_TRUE(watch.start(why));
        static const std::vector<float> room_before = quiet_room(rate * 3, 1);
        static const std::vector<float> room_during = quiet_room(rate * 4, 2);
        mic.play(c.room == quiet ? room_before : std::vector<float>(rate * 3, 0.0f));
        const Baseline baseline = baseline_from(watch.take_windows());

        watch.set_tone(c.tone_hz);
        std::vector<float> during(rate * 4, 0.0f);
        if (c.room == quiet) add(during, room_during);
        if (c.tone_hz != 0) add_pulsed_tone(during, c.tone_hz);
        if (c.noise_band >= 0) {
            const double centre = centres[std::size_t(c.noise_band)];
            add(during, noise(during.size(), centre / std::numbers::sqrt2, centre * std::numbers::sqrt2,
                              noise_db, 3));
        }
        mic.play(during);
        std::vector<NoiseWindow> windows = watch.take_windows();
        ASSERT_EQ(windows.size(), 16u); // every quarter second, the first a second after the start
        windows.erase(windows.begin(), windows.begin() + 4); // those that began before the change

        for (const NoiseWindow& w : windows) {
            EXPECT_EQ(w.tone_hz, c.tone_hz);
            const auto over = bands_over_limit(w, baseline);
            for (std::size_t band = 0; band < centres.size(); ++band) {
                const bool flagged = std::find(over.begin(), over.end(), band) != over.end();
                const int from_noise = std::abs(int(band) - c.noise_band);
                // An octave band's slopes let half the noise at its edges into the neighbours.
                if (c.noise_band < 0 || from_noise != 1) {
                    EXPECT_EQ(flagged, from_noise == 0) << centres[band] << " Hz, window " << w.index;
                }
            }
            for (std::size_t band = 0; band < centres.size(); ++band) {
                if (int(band) == c.noise_band) {
                    // The sines' level, less what the band's slopes take at their ends.
                    EXPECT_NEAR(w.band_db[band], noise_db - 1, 1.0) << centres[band] << " Hz";
                } else if (c.room == silent) {
                    EXPECT_EQ(w.band_db[band], floor_db) << centres[band] << " Hz";
                } else {
                    // The tone, its edges and the neighbouring band's noise move a band a little at most.
                    const double allowed = std::abs(int(band) - c.noise_band) == 1 ? 25.0 : 2.0;
                    EXPECT_LT(w.band_db[band] - baseline.band_db[band], allowed) << centres[band] << " Hz";
                    EXPECT_GT(w.band_db[band] - baseline.band_db[band], -2.0) << centres[band] << " Hz";
                }
            }
            if (c.room == silent) {
                EXPECT_EQ(w.broadband_db, floor_db);
            }
        }
    }
}

TEST(RoomWatch, BaselinePercentilesBandsAndTheMicrophonesLife) {
    std::vector<NoiseWindow> windows;
    for (int i = 0; i < 5; ++i)
        windows.push_back({std::uint64_t(i), 0, std::vector<double>(7, -70.0 + i), -50.0 - i});
    const Baseline median = baseline_from(windows);
    EXPECT_DOUBLE_EQ(median.band_db[3], -68.0);
    EXPECT_DOUBLE_EQ(median.broadband_db, -52.0);
    EXPECT_DOUBLE_EQ(baseline_from(windows, 90).band_db[0], -66.4);
    EXPECT_EQ(baseline_from({}).band_db, std::vector<double>(7, floor_db));

    EXPECT_EQ(band_of(125), 0u);
    EXPECT_EQ(band_of(750), 3u); // nearer 1000 than 500 on a log scale
    EXPECT_EQ(band_of(1500), 4u);
    EXPECT_EQ(band_of(12000), 6u);

    FakeMicrophone mic;
    {
        RoomWatch watch(mic, rate);
        EXPECT_EQ(mic.opened, 0); // nothing is opened before start
        std::string why;
        ASSERT_TRUE(watch.start(why));
        mic.play(std::vector<float>(rate * 2, 0.0f));
        mic.lose("The microphone was unplugged.");
        EXPECT_EQ(watch.lost(), "The microphone was unplugged.");
        EXPECT_EQ(watch.take_windows().size(), 5u);
        watch.stop();
        ASSERT_TRUE(watch.start(why));
        EXPECT_FALSE(watch.lost());
        mic.play(std::vector<float>(rate, 0.0f));
        const auto again = watch.take_windows();
        ASSERT_EQ(again.size(), 1u);
        EXPECT_EQ(again[0].index, 0u); // numbered from the new start
    }
    EXPECT_EQ(mic.opened, 2);
}

} // namespace
} // namespace kelvor::room
