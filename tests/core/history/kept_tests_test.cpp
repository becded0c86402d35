// Kept tests: the file written and read back, a damaged one named while the others are read, and the
// shift rules over a series of tests.
#include <gtest/gtest.h>

#include "core/history/kept_tests.h"
#include "core/history/kept_tests_window.h"
#include "core/results/results_rig.h"
#include "support/profile_fakes.h"
#include "support/recording_canvas.h"

namespace kelvor::history {
namespace {

// A kept test with the profile `profile` and the same dB HL on both ears at 500 ... 6000 Hz.
KeptTest test_with(const std::string& profile, std::array<double, 6> db_hl,
                   const std::string& date = "2026-01-01") {
    KeptTest t{date, "10:00:00", profile, "ascending", {}, {}, {}};
    constexpr std::uint16_t freqs[] = {500, 1000, 2000, 3000, 4000, 6000};
    for (std::size_t i = 0; i < 6; ++i) {
        t.left.push_back({freqs[i], db_hl[i] + 10, db_hl[i]});
        t.right.push_back({freqs[i], db_hl[i] + 10, db_hl[i]});
    }
    return t;
}

TEST(KeptTests, WrittenAndReadBackADamagedOneNamed) {
    hearing::TestState state;
    state.normals.profile_name = "HD";
    state.normals.left.calibrated[10] = true;
    state.normals.left.norm.entries[10].level = 12.5;
    hearing::set_result_entry(state.results_li, 10, 1000, 30);
    hearing::set_result_entry(state.results_re, 18, 4000, 40);
    state.reliability_li = hearing::EarReliability{};
    const KeptTest kept = kept_test_of(state, "2026-12-11T12:33:05+01:00");
    EXPECT_EQ(kept_test_file_name(kept), "2026-12-11_12-33-05.test.txt");
    EXPECT_EQ(kept_test_text(kept),
              "Kelvor kept test\ndate: 2026-12-11\ntime: 12:33:05\nprofile: HD\n"
              "procedure: ascending\nverdict: left reliable\nleft 1000 Hz: 30 dB, 17.5 dB HL\n"
              "right 4000 Hz: 40 dB, not calibrated\n");

    testing::MemoryStore folder;
    folder.files.contents[kept_test_file_name(kept)] = kept_test_text(kept);
    folder.files.contents["2026-01-01_09-00-00.test.txt"] =
        "Kelvor kept test\ndate: 2026-01-01\ntime: 09:00:00\n"
        "profile: none\nprocedure: manual\nleft 1000 Hz: x dB\n";
    const KeptTests read = load_kept_tests(folder);
    ASSERT_EQ(read.tests.size(), 1u);
    EXPECT_EQ(kept_test_text(read.tests[0]), kept_test_text(kept));
    EXPECT_EQ(read.errors,
              (std::vector<std::string>{
                  "/cfg/2026-01-01_09-00-00.test.txt: line 6: not a result: left 1000 Hz: x dB"}));
}

TEST(KeptTests, ShiftRules) {
    using A = std::array<double, 6>; // 500, 1000, 2000, 3000, 4000, 6000 Hz
    const A base{10, 10, 10, 10, 10, 10};
    const struct {
        A after;
        bool shift;
    } pairs[] = {
        {{10, 10, 20, 20, 19, 10}, false}, // 2-4 kHz +9.7
        {{10, 10, 20, 20, 20, 10}, true},  // 2-4 kHz +10
        {{10, 10, 10, 10, 24, 10}, false}, // one frequency +14
        {{10, 10, 10, 10, 25, 10}, true},  // one frequency +15: the loss made at 4 kHz
        {{25, 10, 10, 10, 10, 10}, true},  // 500 Hz counts
        {{10, 10, 10, 10, 10, 25}, true},  // and 6000 Hz
        {{0, 0, 0, 0, 0, 0}, false},       // better is no shift
    };
    for (const auto& p : pairs)
        EXPECT_EQ(shifted(test_with("HD", base).left, test_with("HD", p.after).left), p.shift) << p.after[4];

    // Three tests, a 15 dB loss at 4 kHz between the second and the third: worth a retest; the retest
    // shows it again: worth seeing a professional. Another profile's tests are left out.
    const A lost{10, 10, 10, 10, 25, 10};
    std::vector<KeptTest> series{test_with("HD", base), test_with("Other", lost), test_with("HD", base),
                                 test_with("HD", lost)};
    Comparison c = compare_latest(series);
    EXPECT_EQ(c.compared, 3);
    EXPECT_EQ(c.left.change, Change::worth_retest);
    EXPECT_EQ(*c.left.high_since_previous, 5);
    const auto lines = comparison_lines(c, false);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0],
              "Left ear: hearing number +4 dB since the first test, +4 dB since the previous; 2-4 kHz +5 dB, "
              "+5 dB: a change worth a retest");
    EXPECT_EQ(lines[2],
              "Tests with the profile Other are not compared: their dB HL rest on other references");
    series.push_back(test_with("HD", lost));
    EXPECT_EQ(compare_latest(series).right.change, Change::worth_professional);
    EXPECT_EQ(comparison_lines(compare_latest({test_with("HD", base)}), true)[0],
              "Nur ein aufbewahrter Test mit diesem Profil: noch nichts zu vergleichen");
}

// Off, a save keeps nothing; on, it keeps the test; a failed keep is said and both files stay as saved.
TEST(KeptTests, EverySaveKeptWhileTheItemIsOn) {
    testing::ResultsRig rig;
    testing::MemoryStore folder;
    rig.r.keep_tests_in(folder, [] { return false; });
    hearing::set_result_entry(rig.state.results_li, 10, 1000, 30);
    rig.r.speichernClick();
    EXPECT_TRUE(folder.files.contents.empty());
    rig.c.menu.Keep_Tests.checked = true;
    rig.r.speichernClick();
    EXPECT_EQ(folder.files.contents.count("2004-06-24_10-30-00.test.txt"), 1u);
    const std::string dat = rig.files.contents["Kelvor.dat"];
    folder.files.write_fails["2004-06-24_10-30-00.test.txt"] = "No space left on device";
    rig.r.speichernClick();
    EXPECT_EQ(rig.dialogs.shown.back(), "The test is saved, but it could not be kept in the history: "
                                        "/cfg/2004-06-24_10-30-00.test.txt (No space left on device)");
    EXPECT_EQ(rig.files.contents["Kelvor.dat"], dat);

}

// The window: newest first, the chosen test (or the latest) compared, the one without a profile said to
// need one; a chosen test is drawn beside the current one with its legend, which leaves the surface's
// font size as it found it; none and closing take it off.
TEST(KeptTests, TheWindowListsComparesAndDrawsTheChosenTest) {
    testing::MemoryStore folder;
    const std::array<double, 6> base{10, 10, 10, 10, 10, 10}, lost{10, 10, 10, 10, 25, 10};
    KeptTest without = test_with("", base, "2024-06-01"); // without a profile: no dB HL
    for (auto* ear : {&without.left, &without.right})
        for (KeptPoint& p : *ear)
            p.db_hl.reset();
    for (const KeptTest& t : {test_with("HD", base, "2024-01-01"), without,
                              test_with("HD", base, "2025-01-01"), test_with("HD", lost, "2026-01-01")})
        folder.files.contents[kept_test_file_name(t)] = kept_test_text(t);
    hearing::TestState state;
    testing::RecordingImage li{240, 160}, re{240, 160};
    chart::Charts charts{li, re, state};
    int redraws = 0;
    KeptTestsWindow w({folder, state, charts, [&] { ++redraws; }});
    const KeptTestsControls& c = w.controls();
    w.show();
    EXPECT_TRUE(c.Kept_Intro.caption.ends_with("\nHearing number: needs a hearing level profile (dB HL)"));
    ASSERT_EQ(c.Kept_List.lines.size(), 5u);
    EXPECT_EQ(c.Kept_List.lines[1], "2026-01-01 10:00\tHD\t14\t14\tnormal hearing\t");
    EXPECT_EQ(c.Kept_List.lines[3], "2024-06-01 10:00\tnone\t-\t-\t-\t");
    // The latest test's change always; a test chosen besides, its own below.
    const std::string ear_change =
        "ear: hearing number +4 dB since the first test, +4 dB since the previous; "
        "2-4 kHz +5 dB, +5 dB: a change worth a retest";
    const std::vector<std::string> latest{
        "Change of the test of 2026-01-01 10:00, per ear:", "Left " + ear_change, "Right " + ear_change,
        "Tests with the profile none are not compared: their dB HL rest on other references"};
    const struct {
        int row;
        std::vector<std::string> chosen;
    } rows[] = {
        {0, {}},
        {3,
         {"", "Change of the test of 2024-06-01 10:00, per ear:",
          "Hearing number: needs a hearing level profile (dB HL)",
          "Tests kept without a profile have no dB HL and are not compared.",
          "Tests with the profile HD are not compared: their dB HL rest on other references"}},
        {4,
         {"", "Change of the test of 2024-01-01 10:00, per ear:",
          "The first kept test with this profile: the later ones are compared with it",
          "Tests with the profile none are not compared: their dB HL rest on other references"}},
    };
    for (const auto& r : rows) {
        w.Kept_ListChoose(r.row);
        std::vector<std::string> change = latest;
        change.insert(change.end(), r.chosen.begin(), r.chosen.end());
        EXPECT_EQ(c.Kept_Change.lines, change) << r.row;
        EXPECT_EQ(charts.beside().has_value(), r.row > 0) << r.row;
    }
    EXPECT_EQ(redraws, 2); // none stayed none; then two tests drawn

    ASSERT_TRUE(charts.beside());
    EXPECT_EQ(charts.beside()->left.entries[hearing::freq_to_index(4000)].level, 20);
    charts.clear_chart(hearing::ear_left, 22);
    const testing::RecordingCanvas& ops = li.recording();
    ASSERT_NE(ops.find_text("this test"), nullptr);
    EXPECT_EQ(ops.find_text("this test")->fill, colours::margin_grey);
    const int font = li.canvas().font_size();
    w.use_language(true);
    EXPECT_EQ(c.Kept_List.columns[0], "Datum");
    EXPECT_EQ(charts.beside()->current_label, "dieser Test");
    w.Kept_CloseClick();
    EXPECT_FALSE(charts.beside());
    charts.clear_chart(hearing::ear_left, 22);
    EXPECT_EQ(li.canvas().font_size(), font);
}

} // namespace
} // namespace kelvor::history
