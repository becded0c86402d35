#pragma once
// A hearing level profile: the thresholds people with normal hearing reached on one headphone on one
// computer, per ear and scale position, and the conditions under which they hold. With a profile the
// level a listener reaches, minus the reference there, is his hearing level in dB HL; the headphone's own
// response and the mixer's settings cancel out as long as the conditions are the same.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/hearing/frequency_scale.h"
#include "core/hearing/normals_in_use.h"
#include "core/room/room_watch.h"

namespace kelvor::profile {

// The sound path and the settings that change what level reaches the ear.
struct Conditions {
    std::string output_path;          // "data stream", "OPL2", "PC speaker"
    int cal_volume = 100;             // percent, the data stream's own scaling
    std::string sink;                 // the sound server's default output; empty: unknown
    std::optional<int> sink_volume;   // percent of that output's volume (mean of its channels)
    std::optional<int> stream_volume; // percent of our stream's volume, while it is on the server
    bool ear_routing = false;         // the tone only on the tested ear's side
    std::string date;                 // of the last reference run; never compared
    bool confirm_thresholds = false;  // each threshold confirmed (in the file only when on)
};

// One entry per difference between the profile's conditions and today's, as "what: then -> now". A value
// the sound server could not tell on one side is not a difference: it cannot be checked.
std::vector<std::string> compare_conditions(const Conditions& profile, const Conditions& now,
                                            bool german = false);

// The reference at one scale position of one ear.
struct Reference {
    int runs = 0;      // 0: no reference here
    double mean = 0;   // threshold in the program's level scale, dB
    double spread = 0; // standard deviation of the runs, dB (0 for a single run)
};

using EarReferences = std::array<Reference, hearing::freq_index_count + 1>; // by frequency index

struct Profile {
    std::string name;
    Conditions conditions;
    EarReferences left{};
    EarReferences right{};
    // The room of the reference runs, as the microphone heard it (the median window per band); none
    // before a reference run with the room watch.
    std::optional<room::Baseline> room;

    const EarReferences& ear(bool left_ear) const { return left_ear ? left : right; }
    EarReferences& ear(bool left_ear) { return left_ear ? left : right; }
};

// A name that is also a safe file name: 1 to 60 letters, digits, blanks, '-', '_', '.', '(' or ')', not
// beginning with '.' or a blank.
bool valid_profile_name(const std::string& name);

// Folds one more run into a reference: running mean and sample standard deviation.
void add_run(Reference& reference, double level_db);

// What a reference run left behind, frequency by frequency.
struct RunOutcome {
    std::vector<std::string> kept;      // "left 1000 Hz: 14 dB"
    std::vector<std::string> too_loud;  // heard at the very start of the scale
    std::vector<std::string> not_heard; // not heard even at the top of the scale
};

// Levels of the lowest scale steps: a tone heard at once says nothing about the threshold, which lies
// somewhere below what the output can make.
constexpr double lowest_usable_level_db = 4;

// Adds the results of one reference run (both ears) to the profile. A result at 0 or 2 dB (heard from
// the start) or at the top of the scale (never heard) adds nothing at that position; the outcome lists
// what was kept and what was not.
RunOutcome add_reference_run(Profile& profile, const hearing::TEarResult& left,
                             const hearing::TEarResult& right);

// The normal values each ear uses with `profile` (or, with none, the built-in ones for both ears).
hearing::NormalsInUse normals_for(const Profile* profile, const hearing::TEarResult& built_in);

} // namespace kelvor::profile
