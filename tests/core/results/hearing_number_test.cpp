// The hearing number and the grade: the grade's edges, the better ear, "unilateral", and the edges of what a
// test can tell (not reached, missing, not calibrated, an unreliable run).
#include <gtest/gtest.h>

#include <limits>

#include "core/profile/profile.h"
#include "core/results/exports.h"
#include "core/results/hearing_number.h"
#include "core/results/text_report.h"

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
    const double lower_edges[] = {20, 35, 50, 65, 80, 95}; // mild ... complete
    EXPECT_EQ(who_grade(-10), Grade::normal);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(who_grade(lower_edges[i] - 0.1), Grade(i)) << lower_edges[i];
        EXPECT_EQ(who_grade(lower_edges[i]), Grade(i + 1)) << lower_edges[i];
    }
}

TEST(HearingNumber, AveragesTheBetterEarAndSaysWhatItCannotTell) {
    const double gone = std::numeric_limits<double>::quiet_NaN();
    const std::string m38 = "more than 38 dB HL", nr = "; not reached: ";
    struct Case {
        std::array<double, 4> left, right;
        std::string left_line, right_line, grade; // grade empty: none
    };
    // clang-format off
    const Case cases[] = {
        // 19.75 and 19.5 round to 20 (halves to even), 18.5 to 18: the number shown is the one graded.
        {{18, 20, 20, 21}, {30, 30, 30, 30}, "Left ear: 20 dB HL", "Right ear: 30 dB HL", "mild hearing loss"},
        {{18, 20, 20, 20}, {36, 36, 36, 36}, "Left ear: 20 dB HL", "Right ear: 36 dB HL", "mild hearing loss"},
        {{18, 19, 20, 17}, {10, 10, 10, 10}, "Left ear: 18 dB HL", "Right ear: 10 dB HL", "normal hearing"},
        {{0, 0, 10, 20}, {34, 35, 35, 36}, "Left ear: 8 dB HL", "Right ear: 35 dB HL", "unilateral hearing loss"},
        {{0, 0, 10, 20}, {30, 34, 34, 36}, "Left ear: 8 dB HL", "Right ear: 34 dB HL", "normal hearing"},
        // 38 dB HL at the top level (48 - 10) bounds the ear from below; the better ear stays exact when
        // it is below that bound.
        {{30, 30, 30, 38}, {10, 10, 10, 10}, "Left ear: more than 32 dB HL" + nr + "4000 Hz " + m38,
         "Right ear: 10 dB HL", "normal hearing"},
        {{30, 30, 30, 38}, {38, 38, 38, 38}, "Left ear: more than 32 dB HL" + nr + "4000 Hz " + m38,
         "Right ear: " + m38 + nr + "500 Hz " + m38 + nr + "1000 Hz " + m38 + nr + "2000 Hz " + m38 + nr + "4000 Hz " + m38,
         "at least mild hearing loss"},
        {{10, 10, gone, gone}, {10, 10, 10, 10}, "Left ear: no number, 2000, 4000 Hz missing or not calibrated",
         "Right ear: 10 dB HL", ""},
    };
    // clang-format on
    for (const Case& c : cases) {
        const auto lines = hearing_number_lines(*hearing_number(tested(c.left, c.right)), false);
        ASSERT_GE(lines.size(), 4u);
        EXPECT_EQ(lines[1], c.left_line);
        EXPECT_EQ(lines[2], c.right_line);
        EXPECT_EQ(lines[3].substr(0, lines[3].find('.')),
                  c.grade.empty() ? "Grade (WHO 2021): needs the hearing number of both ears"
                                  : "Grade (WHO 2021, better ear): " + c.grade)
            << c.left_line;
    }
}

TEST(HearingNumber, NamesUncertaintyBesideTheGradeAndNeedsAProfile) {
    hearing::TestState state = tested({10, 10, 10, 10}, {12, 12, 12, 12});
    state.reliability_li = hearing::EarReliability{.frequencies = 11, .uncertain = 2};
    state.reliability_re = hearing::EarReliability{.frequencies = 11, .uncertain = 11};
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

TEST(HearingNumber, InTheReportAndTheCsv) {
    hearing::TestState state = tested({20, 20, 20, 20}, {30, 30, 30, 38});
    ReportOffsets offsets;
    EXPECT_NE(text_report(state, offsets).find("\r\nRight ear: more than 32 dB HL; not reached: 4000 Hz"),
              std::string::npos);
    EXPECT_TRUE(
        results_csv(state, state.normals)
            .ends_with(
                "left,average_500_1000_2000_4000,,,20,HD\r\nright,average_500_1000_2000_4000,,,>32,HD\r\n"
                "better,who_2021_grade,,,mild hearing loss,HD\r\n"));
}

} // namespace
} // namespace kelvor::results
