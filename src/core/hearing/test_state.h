#pragma once
// The state of a hearing test, read by the test procedure, tone output, charts, results and reports.
// One instance lives for the whole run; everything touching it runs in the user-interface thread.
#include <cstdint>
#include <optional>

#include "core/hearing/ear_result.h"
#include "core/hearing/frequency_scale.h"
#include "core/hearing/normals_in_use.h"
#include "core/hearing/reliability.h"
#include "core/hearing/room_record.h"

namespace kelvor::hearing {

constexpr std::int8_t ear_left = -1;
constexpr std::int8_t ear_right = 1;

struct TestState {
    std::int8_t test_level = calibration_level_db;
    std::uint16_t test_freq = 500;
    std::uint16_t f_min = f_min_normal;
    std::uint16_t f_max = f_max_normal;
    bool on_hold = false;
    bool test_started = false;
    bool auto_mode = true;
    bool show_level = true;
    std::int8_t cur_ear = ear_left;
    bool port_log_on = false;
    // The settings dialog's "Confirm each threshold": the automatic test confirms each threshold.
    bool confirm_thresholds = false;
    // Each ear's verdict of the confirmed threshold, once that ear is done in this run.
    std::optional<EarReliability> reliability_li;
    std::optional<EarReliability> reliability_re;
    // The settings dialog's "Watch the room noise (microphone)".
    bool watch_room = false;
    // What the room watch found in this run; nothing while it did not run.
    std::optional<RoomRecord> room;

    TEarResult results_li{results_li_name, {}};
    TEarResult results_re{results_re_name, {}};
    TEarResult norm_values{norm_values_name, {}};
    TEarResult delta_li;
    TEarResult delta_re;
    // The normal values each ear is compared with: the built-in ones, or a chosen hearing level profile's.
    NormalsInUse normals;

    // The normal values of one ear's chart, report and printout.
    const TEarResult& norm_of(std::int8_t ear) const {
        if (!normals.profile_chosen()) return norm_values;
        return ear == ear_left ? normals.left.norm : normals.right.norm;
    }

    TEarResult& current_results() { return cur_ear == ear_left ? results_li : results_re; }
};

} // namespace kelvor::hearing
