// The room watch in a test: synthetic room noise into a real RoomWatch, the timers on the manual clock.
#include <gtest/gtest.h>
#include <random>

#include "core/hearing/room_guard.h"
#include "core/profile/profile_file.h"
#include "core/results/exports.h"
#include "core/results/printed_report.h"
#include "core/results/text_report.h"
#include "support/messung_rig.h"

namespace kelvor::hearing {
namespace {

// White noise at an amplitude the test sets; it can refuse to open or go away while open.
class FakeMicrophone : public host::RoomMicrophone {
  public:
    bool open(int, Samples on_samples, Lost on_lost, std::string& why) override {
        if (!refuse.empty()) return why = refuse, false;
        samples_ = std::move(on_samples), lost_ = std::move(on_lost);
        return true;
    }
    void close() override { samples_ = nullptr, lost_ = nullptr; }
    void lose(const std::string& why) { lost_(why), close(); }
    void feed(int ms) {
        std::vector<float> block(static_cast<std::size_t>(48 * ms));
        for (float& s : block)
            s = static_cast<float>(amplitude * noise_(random_));
        if (samples_) samples_(block.data(), block.size());
    }
    double amplitude = 0.001; // about -60 dB of full scale
    std::string refuse;
    Samples samples_;
    Lost lost_;
    std::mt19937 random_{7};
    std::normal_distribution<double> noise_{0.0, 1.0};
};

struct AskingDialogs : testing::FakeDialogs {
    bool question(const std::string& text, const std::string&, const std::string&) override {
        asked.push_back(text);
        return asked.size() <= waits; // wait and listen again, then test anyway
    }
    std::vector<std::string> asked;
    std::size_t waits = 0;
};

struct RoomRig : testing::MessungFakes {
    explicit RoomRig(bool confirm, std::optional<room::Baseline> stored = std::nullopt)
        : profile_room(std::move(stored)) {
        state.watch_room = true;
        state.confirm_thresholds = confirm;
        files.read_write.insert(results_file_name);
        timers.add(100, [this] { mic.feed(100); });
        timers.add(timer1_interval_ms, [this] { m.Ton_on_off(); });
        timers.add(timer2_interval_ms, [this] { m.Timer2Timer(); });
    }
    void start() { // Start, then the five seconds of listening
        m.StartClick();
        timers.advance(5400);
    }

    AskingDialogs asking;
    FakeMicrophone mic;
    room::RoomWatch watch{mic}; // 48 kHz
    std::optional<room::Baseline> profile_room;
    RoomGuard guard{{state,
                     asking,
                     languages,
                     &watch,
                     [this](std::string& name) {
                         name = "Home";
                         return profile_room;
                     },
                     {}}};
    TMessung m{services({.dialogs = &asking, .room = &guard})};
    testing::ManualClock clock;
    testing::ManualTimers timers{clock};
};

// Lets the level rise to `level_db`, then presses.
void press_at(RoomRig& r, int level_db) {
    for (int step = 0; step < 4000 && !(r.state.test_level == level_db && !r.m.confirmed().silent()); ++step)
        r.timers.advance(100);
    r.timers.advance(400); // heard a moment later
    r.m.db_select();
}

TEST(RoomWatchInATest, ListensFirstThenMarksTheNoisyAscentOfTheClassicTest) {
    RoomRig r(false);
    r.m.StartClick();
    r.timers.advance(3000);
    EXPECT_EQ(r.m.controls().StatusBar1.caption, "Listening to the room (5 seconds), please keep quiet ...");
    EXPECT_EQ(r.state.test_level, 0); // nothing rises while the room is listened to
    r.timers.advance(2400);
    EXPECT_EQ(r.m.controls().StatusBar1.caption, "");
    r.mic.amplitude = 0.1; // a loud room during the 8 kHz ascent
    press_at(r, 10);
    r.mic.amplitude = 0.001;
    r.timers.advance(2000);
    press_at(r, 14); // 6 kHz in quiet
    EXPECT_LT(std::abs(r.state.room->left[freq_to_index(6000)].over_db), 3);
    results::ReportOffsets offsets;
    const std::string report = results::text_report(r.state, offsets);
    EXPECT_NE(
        report.find("Room noise in the band, dB louder than when the test began (noisy: more than 10 dB)"
                    "\r\nleft   8000 Hz: +"),
        std::string::npos);
    EXPECT_NE(report.find(" dB noisy\r\nleft   6000 Hz: "), std::string::npos);
    EXPECT_NE(results::results_csv(r.state, r.state.normals).find(",quiet\r\nleft,8000,10,"),
              std::string::npos);
    EXPECT_NE(results::fhir_bundle(r.state, r.state.normals, {}).find("Noisy: the room was louder"),
              std::string::npos);
    testing::FakePrintJob job;
    results::print_report(r.state, {}, job, offsets);
    ASSERT_EQ(job.documents.size(), 2u); // the room's own page after the report
    // As a reference run it keeps its room for the profile, one line read back as written.
    r.guard.test_ends(true);
    EXPECT_FALSE(r.watch.running());
    profile::Profile p;
    p.room = r.state.room->run_levels;
    const std::string text = profile::profile_text(p);
    const std::string line = text.substr(text.find("room = "), text.find("\n# ear") - text.find("room = "));
    const auto back = profile::parse_profile({"output = data stream", line}, "x", "f");
    ASSERT_TRUE(back.profile) << back.error;
    EXPECT_NE(profile::profile_text(*back.profile).find(line + "\n"), std::string::npos);
}

// The confirmed threshold does not count an ascent heard in a loud room: it is repeated.
TEST(RoomWatchInATest, TheConfirmedProcedureRepeatsANoisyAscent) {
    for (const bool loud : {false, true}) {
        SCOPED_TRACE(loud ? "loud first ascent" : "quiet");
        RoomRig r(true);
        r.start();
        r.mic.amplitude = loud ? 0.1 : 0.001;
        press_at(r, r.state.test_level + 4);
        r.mic.amplitude = 0.001;
        press_at(r, r.state.test_level + 4);
        // Quiet: the two presses agree. Loud: the first did not count, so 8 kHz is still open.
        EXPECT_EQ(r.state.test_freq, loud ? 8000 : 6000);
        EXPECT_EQ(r.state.room->left[freq_to_index(8000)].measured, !loud);
    }
}

TEST(RoomWatchInATest, WithoutAMicrophoneOrLosingItTheTestGoesOnAndTheReportSaysSo) {
    for (const bool refused : {true, false}) {
        SCOPED_TRACE(refused ? "refused" : "lost");
        RoomRig r(false);
        r.mic.refuse = refused ? "The desktop refused the microphone." : "";
        r.start();
        if (!refused) {
            press_at(r, 10);
            r.mic.lose("The source went away.");
        }
        r.timers.advance(4000);
        ASSERT_EQ(r.asking.shown.size(), 1u);
        EXPECT_EQ(
            r.asking.shown[0].find(refused ? "The desktop refused the microphone.\n\nThe test goes on without"
                                           : "The source went away.\n\nThe test goes on without"),
            0u);
        EXPECT_GT(r.state.test_level, 0); // the test goes on
        results::ReportOffsets offsets;
        EXPECT_NE(results::text_report(r.state, offsets)
                      .find(refused ? "Room not watched from the start on: The desktop refused"
                                    : "Room not watched from Left ear 6000 Hz on: The source went away."),
                  std::string::npos);
    }
}

// With a profile's room to compare with, a room louder before the test is named and the user chooses.
TEST(RoomWatchInATest, ALoudRoomBeforeTheTestAsksToWaitOrTestAnyway) {
    for (const double baseline_db : {room::floor_db, -40.0}) {
        RoomRig r(false, room::Baseline{std::vector<double>(room::band_centres().size(), baseline_db), -65});
        r.asking.waits = 1;
        r.mic.amplitude = 0.003;
        r.start();
        ASSERT_EQ(r.asking.asked.size(), baseline_db < -50 ? 1u : 0u); // -40: as quiet as the profile's
        if (r.asking.asked.empty()) continue;
        EXPECT_EQ(
            r.asking.asked[0].find("The room is louder than at the reference run of the profile \"Home\", "
                                   "by more than 10 dB at: 125 Hz, 250 Hz, 500 Hz, 1000 Hz, 2000 Hz, "
                                   "4000 Hz, 8000 Hz."),
            0u);
        r.timers.advance(5400); // listened again
        EXPECT_EQ(r.asking.asked.size(), 2u);
        r.timers.advance(4000);
        EXPECT_GT(r.state.test_level, 0);
    }
}

} // namespace
} // namespace kelvor::hearing
