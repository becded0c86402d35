// Hearing level profiles: the reference arithmetic, what a reference run keeps, the conditions compared,
// the file read back and refused, and a reference run through to the written file and the normal values.
#include <gtest/gtest.h>

#include "core/host/profile_store.h"
#include "core/profile/hearing_profiles.h"
#include "core/profile/profile_file.h"
#include "core/results/hearing_levels.h"
#include "support/fake_host.h"
#include "support/profile_fakes.h"

namespace kelvor::profile {
namespace {

hearing::TEarResult ear_with(std::initializer_list<std::pair<std::uint16_t, double>> points) {
    hearing::TEarResult r;
    for (const auto& [hz, level] : points)
        hearing::set_result_entry(r, hearing::freq_to_index(hz), hz, level);
    return r;
}

TEST(ProfileArithmetic, RunningMeanAndSpread) {
    struct Case {
        std::vector<double> runs;
        double mean, spread;
    };
    const Case cases[] = {
        {{20}, 20, 0}, {{20, 24}, 22, 2.8284}, {{10, 12, 14}, 12, 2}, {{30, 30, 30, 30}, 30, 0}};
    for (const Case& c : cases) {
        Reference r;
        for (double level : c.runs)
            add_run(r, level);
        EXPECT_EQ(r.runs, static_cast<int>(c.runs.size()));
        EXPECT_NEAR(r.mean, c.mean, 1e-9);
        EXPECT_NEAR(r.spread, c.spread, 1e-4);
    }
}

TEST(ProfileArithmetic, ReferenceRunKeepsOnlyRealThresholds) {
    Profile p;
    p.name = "HD";
    const auto left = ear_with({{8000, 0}, {4000, 2}, {2000, 4}, {1000, 30}, {125, 48}});
    const auto right = ear_with({{1000, 20}});
    const RunOutcome out = add_reference_run(p, left, right);
    EXPECT_EQ(out.kept.size(), 3u);
    EXPECT_EQ(out.too_loud, (std::vector<std::string>{"left 8000 Hz", "left 4000 Hz"}));
    EXPECT_EQ(out.not_heard, (std::vector<std::string>{"left 125 Hz"}));
    EXPECT_EQ(p.left[hearing::freq_to_index(8000)].runs, 0);
    EXPECT_EQ(p.left[hearing::freq_to_index(2000)].runs, 1);
    EXPECT_EQ(p.right[hearing::freq_to_index(1000)].mean, 20);

    // Missing positions keep the built-in value and are not calibrated; hearing level = level - reference.
    hearing::TEarResult built_in = ear_with({{1000, 0}, {2000, -2}, {8000, 5}});
    const auto normals = normals_for(&p, built_in);
    EXPECT_TRUE(normals.left.calibrated[hearing::freq_to_index(1000)]);
    EXPECT_FALSE(normals.left.calibrated[hearing::freq_to_index(8000)]);
    EXPECT_EQ(normals.left.norm.entries[hearing::freq_to_index(8000)].level, 5);
    const auto measured = ear_with({{1000, 42}, {8000, 20}});
    EXPECT_EQ(*hearing::hearing_level(normals, normals.left, measured, hearing::freq_to_index(1000)), 12);
    EXPECT_FALSE(hearing::hearing_level(normals, normals.left, measured, hearing::freq_to_index(8000)));
    EXPECT_FALSE(normals_for(nullptr, built_in).profile_chosen());
}

TEST(ProfileConditions, DifferencesNamed) {
    const Conditions base{"data stream", 100, "sink-a", 60, 100, false, "01.01.2026"};
    struct Case {
        void (*change)(Conditions&);
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {[](Conditions& c) { c.date = "other"; }, {}},
        {[](Conditions& c) { c.output_path = "OPL2"; }, {"output: data stream -> OPL2"}},
        {[](Conditions& c) { c.cal_volume = 50; }, {"volume of the data stream: 100 % -> 50 %"}},
        {[](Conditions& c) {
             c.sink = "sink-b";
             c.sink_volume = 70;
         },
         {"sound output: sink-a -> sink-b", "volume of the sound output: 60 % -> 70 %"}},
        {[](Conditions& c) {
             c.sink.clear();
             c.stream_volume.reset();
         },
         {}}, // the server could not tell
        {[](Conditions& c) { c.ear_routing = true; }, {"tone to the tested ear only: off -> on"}},
    };
    for (const Case& c : cases) {
        Conditions now = base;
        c.change(now);
        EXPECT_EQ(compare_conditions(base, now), c.expected);
    }
}

TEST(ProfileFile, ReadsBackWhatItWrites) {
    Profile p;
    p.name = "HD 280";
    p.conditions = {"OPL2", 80, "sink-a", 55, std::nullopt, true, "09.12.2026"};
    add_run(p.left[10], 14);
    add_run(p.left[10], 16);
    add_run(p.right[28], 30.5);
    std::vector<std::string> lines;
    const std::string text = profile_text(p);
    for (std::size_t at = 0, nl; (nl = text.find('\n', at)) != std::string::npos; at = nl + 1)
        lines.push_back(text.substr(at, nl - at));
    const ParseResult back = parse_profile(lines, "HD 280", "f");
    ASSERT_TRUE(back.profile) << back.error;
    EXPECT_EQ(profile_text(*back.profile), text);
    EXPECT_EQ(back.profile->left[10].runs, 2);
    EXPECT_NEAR(back.profile->left[10].spread, 1.41, 0.005);
}

TEST(ProfileFile, DamagedLinesNamedWithFileAndLine) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"output = tape", "f, line 2: output must be"},
        {"cal_volume = 1", "f, line 2: cal_volume"},
        {"volume = 3", "f, line 2: unknown setting \"volume\""},
        {"left 1001 20 1 0", "f, line 2: \"1001\" is not a frequency"},
        {"left 1000 49 1 0", "f, line 2: the mean"},
        {"left 1000 20 0 0", "f, line 2: the number of runs"},
        {"middle 1000 20 1 0", "f, line 2: the ear"},
        {"left 1000 20,5.1 1 0", "f, line 2: the mean"},
        {"left 1000 20 1", "f, line 2: expected"},
        {"date = 2", "f, line 2: \"date\" is given twice"},
    };
    for (const auto& [line, error] : cases) {
        const ParseResult r = parse_profile({"date = 1", line}, "x", "f");
        EXPECT_FALSE(r.profile) << line;
        EXPECT_EQ(r.error.rfind(error, 0), 0u) << r.error;
    }
    EXPECT_FALSE(parse_profile({"# nothing"}, "x", "f").profile); // which path it holds for is unknown
    EXPECT_FALSE(valid_profile_name("../x"));
    EXPECT_FALSE(valid_profile_name(".hidden"));
    EXPECT_TRUE(valid_profile_name("HD 280 (home)"));
}

using testing::MemoryStore;

struct FixedConditions : ConditionsSource {
    Conditions now() override { return c; }
    Conditions c{"data stream", 100, "sink-a", 60, std::nullopt, false, "09.12.2026"};
};

TEST(HearingProfiles, ReferenceRunsMakeTheNormalValues) {
    hearing::TestState state;
    state.norm_values = ear_with({{1000, 0}, {4000, -8}});
    MemoryStore store;
    store.files.contents["broken.profile"] = "output = OPL2\nleft 1000\n";
    testing::FakeDialogs dialogs;
    FixedConditions conditions;
    HearingProfiles profiles({state, store, dialogs, conditions});
    profiles.load();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].find("/cfg/broken.profile, line 2:"), std::string::npos);
    EXPECT_EQ(profiles.choices(), (std::vector<std::string>{"none"}));

    conditions.c.output_path = "PC speaker";
    EXPECT_FALSE(profiles.begin_reference_run("HD"));
    conditions.c.output_path = "data stream";
    for (const double level : {20.0, 24.0}) {
        ASSERT_TRUE(profiles.begin_reference_run("HD"));
        profiles.before_first_tone();
        state.results_li = ear_with({{1000, level}, {4000, 2}});
        state.results_re = ear_with({{1000, level - 4}});
        profiles.sequence_complete();
    }
    EXPECT_NE(dialogs.shown.back().find("left 4000 Hz"), std::string::npos);
    EXPECT_NE(store.files.contents["HD.profile"].find("left 1000 22.00 2 2.83"), std::string::npos);
    EXPECT_EQ(profiles.chosen(), 1); // the profile just made is in use
    EXPECT_EQ(state.norm_of(hearing::ear_left).entries[10].level, 22);
    EXPECT_EQ(state.norm_of(hearing::ear_right).entries[10].level, 18);

    // A test with the profile: hearing levels per ear, "not calibrated" where it has no reference, and the
    // conditions message before the first tone.
    state.results_li = ear_with({{1000, 40}, {4000, 30}});
    const auto rows = results::hearing_level_rows(state, hearing::ear_left);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(results::hearing_level_line(rows[0]), "4000 Hz  not calibrated");
    EXPECT_EQ(results::hearing_level_line(rows[1]), "1000 Hz   18 dB HL");
    const std::size_t before = dialogs.shown.size();
    conditions.c.sink_volume = 70;
    profiles.before_first_tone();
    ASSERT_EQ(dialogs.shown.size(), before + 1);
    EXPECT_NE(dialogs.shown.back().find("volume of the sound output: 60 % -> 70 %"), std::string::npos);
}

// The roads by which a reference run becomes an ordinary test, a write that fails, and a reload.
TEST(HearingProfiles, RunsThatCannotBeReferencesAndFilesThatCannotBeWritten) {
    hearing::TestState state;
    state.norm_values = ear_with({{1000, 0}});
    MemoryStore store;
    testing::FakeDialogs dialogs;
    FixedConditions conditions;
    HearingProfiles profiles({state, store, dialogs, conditions});
    profiles.load();
    auto run = [&](double level) {
        state.results_li = ear_with({{1000, level}});
        state.results_re = ear_with({{1000, level}});
        profiles.sequence_complete();
    };
    ASSERT_TRUE(profiles.begin_reference_run("HD"));
    profiles.before_first_tone();
    run(20);
    const std::string made = store.files.contents["HD.profile"];
    ASSERT_NE(made.find("left 1000 20.00 1 0.00"), std::string::npos);

    struct Case {
        const char* what;
        void (*change)(Conditions&);
        const char* said; // the start of the message at Start
    };
    const Case cases[] = {
        {"other conditions", [](Conditions& c) { c.sink = "sink-b"; },
         "The profile \"HD\" was made under other"},
        {"the PC speaker", [](Conditions& c) { c.output_path = "PC speaker"; },
         "The PC speaker cannot be calibrated"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Conditions before = conditions.c;
        ASSERT_TRUE(profiles.begin_reference_run("HD"));
        c.change(conditions.c); // changed between the name and Start
        profiles.before_first_tone();
        EXPECT_EQ(dialogs.shown.back().rfind(c.said, 0), 0u) << dialogs.shown.back();
        EXPECT_FALSE(profiles.reference_run_active());
        run(40);
        EXPECT_EQ(store.files.contents["HD.profile"], made); // an ordinary test: nothing folded in
        conditions.c = before;
    }

    // A write that fails keeps the profile as it was, in the file and in use.
    store.files.write_fails["HD.profile"] = "No space left on device";
    ASSERT_TRUE(profiles.begin_reference_run("HD"));
    profiles.before_first_tone();
    run(30);
    EXPECT_EQ(dialogs.shown.back(),
              "The reference run could not be kept: /cfg/HD.profile: No space left on device");
    EXPECT_EQ(store.files.contents["HD.profile"], made);
    EXPECT_EQ(state.norm_of(hearing::ear_left).entries[10].level, 20);

    // The choice survives a reload that still finds the profile, and falls to none when it is gone.
    store.files.contents["AA.profile"] = "output = data stream\nleft 1000 10 1 0\n";
    profiles.load();
    EXPECT_EQ(profiles.choices(), (std::vector<std::string>{"none", "AA", "HD"}));
    EXPECT_EQ(profiles.chosen_profile()->name, "HD");
    store.files.contents.erase("HD.profile");
    profiles.load();
    EXPECT_EQ(profiles.chosen(), 0);
    EXPECT_EQ(state.norm_of(hearing::ear_left).entries[10].level, 0);
}

// Hearing levels are whole dB, halves to the even neighbour.
TEST(HearingProfiles, HearingLevelsRoundHalvesToEven) {
    const std::pair<double, int> cases[] = {{12.5, 12}, {13.5, 14}, {-0.5, 0},
                                            {-1.5, -2}, {7.25, 7},  {7.75, 8}};
    for (const auto& [level, rounded] : cases) {
        hearing::TestState state;
        state.normals.profile_name = "HD";
        state.normals.left.calibrated[10] = true;
        state.normals.left.norm.entries[10].level = 20;
        state.results_li = ear_with({{1000, 20 + level}});
        const auto rows = results::hearing_level_rows(state, hearing::ear_left);
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].level_db_hl, rounded) << level;
    }
}

} // namespace
} // namespace kelvor::profile
