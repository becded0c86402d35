#pragma once
// What the room watch found in one run: per threshold how much louder than its baseline the room was in
// that frequency's band during the ascent that found it, and where the watch stopped if the microphone
// went away. Kept with the test state only; the results file never holds it.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/hearing/frequency_scale.h"
#include "core/room/room_watch.h"

namespace kelvor::hearing {

struct RoomAtThreshold {
    bool measured = false; // the watch heard this threshold's ascent
    double over_db = 0;    // the loudest window of the ascent in the band, over the baseline
};

struct RoomRecord {
    // Compared with a profile's reference run (true) or with the first seconds before this test.
    bool profile_baseline = false;
    double limit_db = room::default_limit_db;
    std::array<RoomAtThreshold, freq_index_count + 1> left{};
    std::array<RoomAtThreshold, freq_index_count + 1> right{};
    // Why the watch stopped (empty: it watched to the end), and where the test stood then (ear 0: before
    // the first threshold).
    std::string lost;
    std::int8_t lost_ear = 0;
    std::uint16_t lost_freq_hz = 0;
    // The room over the whole run (the median window per band), for a reference run's profile.
    std::optional<room::Baseline> run_levels;

    // Over the limit: the threshold may lie too high.
    bool noisy(const RoomAtThreshold& at) const { return at.measured && at.over_db > limit_db; }

    std::array<RoomAtThreshold, freq_index_count + 1>& ear(bool left_ear) { return left_ear ? left : right; }
    const std::array<RoomAtThreshold, freq_index_count + 1>& ear(bool left_ear) const {
        return left_ear ? left : right;
    }
};

} // namespace kelvor::hearing
