// The hearing number and the grade: the grade's edges, the better ear, "unilateral", and the edges of what a
// test can tell (not reached, missing, not calibrated, an unreliable run).
#include <gtest/gtest.h>

#include <limits>

#include "core/profile/profile.h"
#include "core/results/hearing_number.h"

namespace kelvor::results {
namespace {

constexpr double reference_db = 10; // every reference of the profile below

// Levels in dB HL at 500, 1000, 2000 and 4000 Hz; NaN leaves the frequency out.
hearing::TestState tested(std::array<double, 4> left, std::array<double, 4> right) {
    profile::Profile p;
    p.name = "HD";
    for (const std::uint16_t freq : hearing_number_freqs) {
        profile::add_run(p.left[hearing::freq_to_index(freq)], reference_db);
        profile::add_run(p.right[hearing::freq_to_index(freq)], reference_db);
    }
    hearing::TestState state;
    state.normals = profile::normals_for(&p, state.norm_values);
    for (std::size_t i = 0; i < 4; ++i) {
        const std::uint16_t freq = hearing_number_freqs[i];
        if (left[i] == left[i])
            hearing::set_result_entry(state.results_li, hearing::freq_to_index(freq), freq,
                                      left[i] + reference_db);
        if (right[i] == right[i])
            hearing::set_result_entry(state.results_re, hearing::freq_to_index(freq), freq,
                                      right[i] + reference_db);
    }
    return state;
}

TEST(HearingNumber, GradeEdges) {
    const std::pair<double, Grade> cases[] = {{-10, Grade::normal},
                                              {19.9, Grade::normal},
                                              {20, Grade::mild},
                                              {34.9, Grade::mild},
                                              {35, Grade::moderate},
                                              {49.9, Grade::moderate},
                                              {50, Grade::moderately_severe},
                                              {64.9, Grade::moderately_severe},
                                              {65, Grade::severe},
                                              {79.9, Grade::severe},
                                              {80, Grade::profound},
                                              {94.9, Grade::profound},
                                              {95, Grade::complete},
                                              {120, Grade::complete}};
    for (const auto& [db_hl, grade] : cases)
        EXPECT_EQ(who_grade(db_hl), grade) << db_hl;
}

TEST(HearingNumber, AveragesTheBetterEarAndSaysWhatItCannotTell) {
    const double gone = std::numeric_limits<double>::quiet_NaN();
    // 38 dB at the top level: 48 - 10, "not reached: more than 38 dB HL".
    struct Case {
        std::array<double, 4> left, right;
        const char* left_line;
        const char* right_line;
        const char* grade_line; // nullptr: no grade
    };
    const Case cases[] = {
        // 19.75 rounds to 20: the number shown is the one graded.
        {{18, 20, 20, 21},
         {30, 30, 30, 30},
         "Left ear: 20 dB HL",
         "Right ear: 30 dB HL",
         "Grade (WHO 2021, better ear): mild hearing loss."},
        // Halves to even: 19.5 -> 20, 18.5 -> 18.
        {{18, 20, 20, 20},
         {36, 36, 36, 36},
         "Left ear: 20 dB HL",
         "Right ear: 36 dB HL",
         "Grade (WHO 2021, better ear): mild hearing loss."},
        {{18, 19, 20, 17},
         {10, 10, 10, 10},
         "Left ear: 18 dB HL",
         "Right ear: 10 dB HL",
         "Grade (WHO 2021, better ear): normal hearing."},
        {{0, 0, 10, 20},
         {34, 35, 35, 36},
         "Left ear: 8 dB HL",
         "Right ear: 35 dB HL",
         "Grade (WHO 2021, better ear): unilateral hearing loss."},
        {{0, 0, 10, 20},
         {30, 34, 34, 36},
         "Left ear: 8 dB HL",
         "Right ear: 34 dB HL",
         "Grade (WHO 2021, better ear): normal hearing."},
        // Not reached: the ear is a lower bound; the better ear stays exact when it is below that bound.
        {{30, 30, 30, 38},
         {10, 10, 10, 10},
         "Left ear: more than 32 dB HL; not reached: 4000 Hz more than 38 dB HL",
         "Right ear: 10 dB HL",
         "Grade (WHO 2021, better ear): normal hearing."},
        {{30, 30, 30, 38},
         {38, 38, 38, 38},
         "Left ear: more than 32 dB HL; not reached: 4000 Hz more than 38 dB HL",
         "Right ear: more than 38 dB HL; not reached: 500 Hz more than 38 dB HL; not reached: 1000 Hz more "
         "than "
         "38 dB HL; not reached: 2000 Hz more than 38 dB HL; not reached: 4000 Hz more than 38 dB HL",
         "Grade (WHO 2021, better ear): at least mild hearing loss."},
        {{10, 10, gone, gone},
         {10, 10, 10, 10},
         "Left ear: no number, 2000, 4000 Hz missing or not calibrated",
         "Right ear: 10 dB HL",
         nullptr},
    };
    for (const Case& c : cases) {
        const auto number = hearing_number(tested(c.left, c.right));
        ASSERT_TRUE(number);
        const auto lines = hearing_number_lines(*number, false);
        ASSERT_GE(lines.size(), 4u);
        EXPECT_EQ(lines[1], c.left_line);
        EXPECT_EQ(lines[2], c.right_line);
        if (c.grade_line)
            EXPECT_EQ(lines[3].substr(0, std::string(c.grade_line).size()), c.grade_line) << c.left_line;
        else
            EXPECT_EQ(lines[3], "Grade (WHO 2021): needs the hearing number of both ears");
    }
}

TEST(HearingNumber, NamesUncertaintyBesideTheGradeAndNeedsAProfile) {
    hearing::TestState state = tested({10, 10, 10, 10}, {12, 12, 12, 12});
    state.reliability_li = hearing::EarReliability{};
    state.reliability_li->frequencies = 11;
    state.reliability_li->uncertain = 2;
    state.reliability_re = hearing::EarReliability{};
    state.reliability_re->frequencies = 11;
    state.reliability_re->uncertain = 11;
    const auto lines = hearing_number_lines(*hearing_number(state), true);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[3].rfind("Grad (WHO 2021, besseres Ohr): normales Gehör. ", 0), 0u);
    EXPECT_EQ(lines[4], "Neben dem Grad: Linkes Ohr: 2 unsichere Schwellen; Rechtes Ohr: 11 unsichere "
                        "Schwellen; Rechtes Ohr: Urteil \"unzuverlässig\"");
    // Not calibrated is missing too.
    state.normals.right.calibrated[hearing::freq_to_index(1000)] = false;
    EXPECT_EQ(hearing_number_lines(*hearing_number(state), false)[2],
              "Right ear: no number, 1000 Hz missing or not calibrated");
    state.normals = {};
    EXPECT_FALSE(hearing_number(state));
}

} // namespace
} // namespace kelvor::results
