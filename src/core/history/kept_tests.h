#pragma once
// Every saved test kept, when the user asks for it: one file per test in a folder of the user's data, in
// lines a person can read, read back for the history and compared over the years. Nothing here runs
// unless "Keep every saved test" is on.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/hearing/test_state.h"
#include "core/host/profile_store.h"

namespace kelvor::history {

inline constexpr const char* kept_test_suffix = ".test.txt";

struct KeptPoint {
    std::uint16_t freq_hz = 0;
    double level_db = 0;         // the test tone's level, as the results file keeps it
    std::optional<double> db_hl; // with a profile that has a reference there
};

struct KeptTest {
    std::string date;      // "2026-12-11"
    std::string time;      // "12:33:05"
    std::string profile;   // empty: none chosen
    std::string procedure; // "ascending", "confirmed" or "manual"
    std::vector<KeptPoint> left;
    std::vector<KeptPoint> right;
    std::string verdict; // the confirmed threshold's, "left reliable, right check"; empty without one
};

// The test as it stands now; `when` is ISO 8601 ("2026-12-11T12:33:05+01:00").
KeptTest kept_test_of(const hearing::TestState& state, const std::string& when);
// "2026-12-11_12-33-05.test.txt": the names sort as the tests were taken.
std::string kept_test_file_name(const KeptTest& test);
std::string kept_test_text(const KeptTest& test);

struct KeptRead {
    std::optional<KeptTest> test;
    std::string error; // "<path>: line 4: ..." when the file could not be read
};
KeptRead parse_kept_test(const std::vector<std::string>& lines, const std::string& path);

struct KeptTests {
    std::vector<KeptTest> tests;     // oldest first
    std::vector<std::string> errors; // each damaged file named; the others are read all the same
};
KeptTests load_kept_tests(host::ProfileStore& folder);

// The average dB HL of an ear at the given frequencies; nothing when one of them has no hearing level.
std::optional<double> average_db_hl(const std::vector<KeptPoint>& ear,
                                    std::initializer_list<std::uint16_t> freqs);

// A shift from `before` to `after` in one ear: 10 dB or more in the average of 2, 3 and 4 kHz, or 15 dB
// or more at any frequency from 500 to 6000 Hz.
bool shifted(const std::vector<KeptPoint>& before, const std::vector<KeptPoint>& after);

enum class Change { none, worth_retest, worth_professional };

struct EarChange {
    std::optional<double> number_since_baseline; // hearing number, dB
    std::optional<double> number_since_previous;
    std::optional<double> high_since_baseline; // average of 2, 3 and 4 kHz, dB
    std::optional<double> high_since_previous;
    Change change = Change::none;
};

struct Comparison {
    EarChange left;
    EarChange right;
    std::string profile;                     // the compared test's; empty: none, so no dB HL to compare
    int compared = 0;                        // kept tests with its profile up to and including it
    int same_profile = 0;                    // all kept tests with its profile
    std::vector<std::string> other_profiles; // kept with other profiles (or none): not compared
};

// The test `at` of `oldest_first` against the first of its profile (the baseline) and the one of its
// profile before it. A shift against either is worth a retest; a shift in two tests in a row is worth
// seeing a professional.
Comparison compare_at(const std::vector<KeptTest>& oldest_first, std::size_t at);
inline Comparison compare_latest(const std::vector<KeptTest>& oldest_first) {
    return compare_at(oldest_first, oldest_first.empty() ? 0 : oldest_first.size() - 1);
}

// The comparison in words; never a diagnosis.
std::vector<std::string> comparison_lines(const Comparison& comparison, bool german);

// A kept test as a row of the list: when, profile, the hearing number of each ear (dB HL), the grade,
// the verdict.
struct KeptCells {
    std::string when; // "2026-12-11 12:33"
    std::string profile;
    std::string left;
    std::string right;
    std::string grade;
    std::string verdict;
};
KeptCells kept_cells(const KeptTest& test, bool german);

// "These kept tests cannot be read ...", each file on a line of its own.
std::string unreadable_text(const std::vector<std::string>& errors, bool german);

} // namespace kelvor::history
