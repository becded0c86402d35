#pragma once
// The hearing number of each ear (the average hearing level of 500, 1000, 2000 and 4000 Hz) and the WHO
// 2021 grade of the better ear, with what the test could not tell said beside them: a frequency the test
// took to the top level without a press only bounds the number from below, and one missing or not
// calibrated leaves it out. Only while a profile is chosen: without one there are no dB HL to average.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/hearing/test_state.h"
#include "core/settings/interface_texts.h"

namespace kelvor::results {

inline constexpr std::array<std::uint16_t, 4> hearing_number_freqs{500, 1000, 2000, 4000};

enum class Grade { normal, mild, moderate, moderately_severe, severe, profound, complete, unilateral };

// The lower edges of the WHO 2021 grades in dB HL, from mild to complete: grade n starts at edge n - 1.
inline constexpr std::array<int, 6> grade_lower_edges_db_hl{20, 35, 50, 65, 80, 95};

// The WHO 2021 grade of an average in dB HL (never unilateral: that takes both ears).
Grade who_grade(double db_hl);

struct NotReached {
    std::uint16_t freq_hz = 0;
    int more_than_db_hl = 0; // the top level minus the ear's reference there, rounded
};

struct EarNumber {
    std::vector<std::uint16_t> missing; // not measured or not calibrated: then there is no number
    std::vector<NotReached> not_reached;
    int db_hl = 0; // the rounded average; a lower bound when something was not reached

    bool known() const { return missing.empty(); }
    bool more_than() const { return !not_reached.empty(); }
};

struct HearingNumber {
    EarNumber left;
    EarNumber right;
    std::optional<Grade> grade; // only when both ears have a number
    bool at_least = false;      // the better ear's number is only a lower bound
    // What the confirmed threshold left uncertain in each ear's run.
    int uncertain_left = 0;
    int uncertain_right = 0;
    bool unreliable_left = false;
    bool unreliable_right = false;
};

// Nothing while no profile is chosen. The exports pass the normal values they were given.
std::optional<HearingNumber> hearing_number(const hearing::TestState& state,
                                            const hearing::NormalsInUse& normals);
inline std::optional<HearingNumber> hearing_number(const hearing::TestState& state) {
    return hearing_number(state, state.normals);
}

// Either ear has results at all four frequencies: only then do the files carry the number, so a shorter
// run's files stay as they were.
bool hearing_number_tested(const hearing::TestState& state);

// "Hearing number ...", a line per ear, the grade with its plain description, and what stands beside it.
std::vector<std::string> hearing_number_lines(const HearingNumber& number, bool german);

// The grade's name in the interface texts ("mild hearing loss").
settings::Text grade_name(Grade grade);

// "normal hearing", "at least mild hearing loss": the grade's name as shown.
std::string grade_text(const HearingNumber& number, bool german);

} // namespace kelvor::results
