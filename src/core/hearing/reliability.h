#pragma once
// What an ear's run with the confirmed threshold tells about the listener, and the verdict drawn from it;
// kept with the test state for the report.
#include <string>

namespace kelvor::hearing {

enum class Verdict { reliable, check, unreliable };

// What one ear's run tells about the listener, and the verdict drawn from it.
struct EarReliability {
    int false_alarms = 0;
    double silent_ms = 0; // pauses and silent ascents, where any press is a false alarm
    int frequencies = 0;  // thresholds recorded, without the retest
    int uncertain = 0;    // of those, without two agreeing presses
    bool retested = false;
    int retest_difference_db = 0; // second 1 kHz threshold minus the first
    double test_ms = 0;           // the whole ear, first ascent to the retest's end

    double false_alarms_per_minute() const;
    double uncertain_share() const;
    Verdict verdict() const;
};

// "Left ear: reliable (false alarms 0.7 a minute of silence, 1 kHz retest +2 dB, uncertain 0 of 11)".
std::string verdict_text(const EarReliability& ear, bool left, bool german);

} // namespace kelvor::hearing
