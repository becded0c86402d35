#include "core/room/room_watch.h"

#include <gtest/gtest.h>

#include "support/room_sounds.h"

namespace kelvor::room {
namespace {

constexpr int rate = 48000;

// Hands the watch what the test plays, synchronously, in the 10 ms blocks of a sound server.
struct FakeMicrophone final : host::RoomMicrophone {
    bool open(int, Samples s, Lost, std::string&) override { return (samples = std::move(s)) != nullptr; }
    void close() override { samples = nullptr; }
    void play(const std::vector<float>& s) {
        for (std::size_t at = 0; at < s.size() && samples; at += 480)
            samples(s.data() + at, std::min<std::size_t>(480, s.size() - at));
    }
    Samples samples;
};

struct Case {
    const char* what;
    bool quiet_room; // a microphone's own noise at -60 dB per band; else digital silence
    std::uint16_t tone_hz;
    int noise_band; // -1: none; else a noise 25 dB over the quiet room there, the one band over the limit
    bool square = false; // the PC speaker's tone
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
        {"the speaker's full-scale square wave", true, 1000, -1, true},
        {"the speaker's low square wave plus noise in its band", true, 125, 0, true},
    };
    const auto& centres = band_centres();
    std::vector<float> quiet(rate * 7, 0.0f); // a seventh of it in each band
    testing::add_noise(quiet, rate, 0, quiet.size(), 88.4, 11314, -60 + 8.45, 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<float> room = c.quiet_room ? quiet : std::vector<float>(quiet.size(), 0.0f);
        const std::vector<float> before(room.begin(), room.begin() + rate * 3);
        room.erase(room.begin(), room.begin() + rate * 3);
        testing::add_pulse(room, rate, 0, room.size(), c.tone_hz, c.square);
        if (c.noise_band >= 0) {
            const double centre = centres[std::size_t(c.noise_band)];
            testing::add_noise(room, rate, 0, room.size(), centre / std::numbers::sqrt2,
                               centre * std::numbers::sqrt2, -35, 3);
        }
        FakeMicrophone mic;
        RoomWatch watch(mic, rate);
        std::string why;
        ASSERT_TRUE(watch.start(why));
        mic.play(before);
        const Baseline baseline = baseline_from(watch.take_windows());
        watch.set_tone(c.tone_hz, !c.square);
        mic.play(room);
        std::vector<NoiseWindow> windows = watch.take_windows();
        ASSERT_EQ(windows.size(), 16u); // every quarter second, the first a second after the start
        for (std::size_t n = 4; n < windows.size(); ++n) { // those begun after the change
            const NoiseWindow& w = windows[n];
            EXPECT_EQ(w.tone_hz, c.tone_hz);
            const auto over = bands_over_limit(w, baseline);
            for (std::size_t band = 0; band < centres.size(); ++band) {
                SCOPED_TRACE(std::to_string(centres[band]) + " Hz, window " + std::to_string(w.index));
                const int from_noise = c.noise_band < 0 ? 99 : std::abs(int(band) - c.noise_band);
                // An octave band's slopes let some of the noise at its edges into the neighbours.
                if (from_noise != 1) {
                    EXPECT_EQ(std::count(over.begin(), over.end(), band), from_noise == 0);
                }
                if (from_noise == 0) {
                    EXPECT_NEAR(w.band_db[band], c.square ? -37 : -36, 1.0); // the quiet part reads lower
                } else if (!c.quiet_room) {
                    EXPECT_EQ(w.band_db[band], floor_db);
                } else if (from_noise > 1) { // the tone, its edges: a dB or two at most
                    EXPECT_LT(std::abs(w.band_db[band] - baseline.band_db[band]), 2.0);
                }
            }
        }
    }
}

} // namespace
} // namespace kelvor::room
