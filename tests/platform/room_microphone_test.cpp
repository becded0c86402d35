// The room watch on the test environment's sound server: a second null sink is "the room", its monitor
// the default source; the test plays the room into it (silence, noise bursts in the test band, the test
// tone itself) and the real microphone and the watch must flag exactly the bursts.
#include <unistd.h>

#include <QProcess>
#include <QThread>
#include <chrono>
#include <gtest/gtest.h>

#include "core/room/room_watch.h"
#include "platform/pulse_room_microphone.h"
#include "support/room_sounds.h"

namespace kelvor::platform {
namespace {

QString pactl(const QStringList& args, bool* ok = nullptr) {
    QProcess p;
    p.start("pactl", args);
    const bool done = p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (ok) *ok = done;
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// This process's capture streams, one block of `pactl list source-outputs` each.
QStringList our_source_outputs() {
    return pactl({"list", "source-outputs"})
        .split("Source Output #")
        .filter(QString("process.id = \"%1\"").arg(::getpid()));
}

constexpr int rate = 48000;
constexpr std::uint16_t test_hz = 1000;
using Clock = std::chrono::steady_clock;

// Between the real microphone and the watch: finds the click that starts the room's time, and when its
// block arrived. Read once the watch has the microphone lost (under its lock): no block follows.
struct Tap final : host::RoomMicrophone {
    explicit Tap(host::RoomMicrophone& m) : mic(m) {}
    bool open(int r, Samples on_samples, Lost on_lost, std::string& why) override {
        const auto tap = [this, on_samples](const float* s, std::size_t n) {
            for (std::size_t i = 0; i < n && click < 0; ++i)
                if (std::abs(s[i]) > 0.5f) click = count + std::int64_t(i), click_at = Clock::now();
            count += std::int64_t(n);
            on_samples(s, n);
        };
        return mic.open(r, tap, on_lost, why);
    }
    void close() override { mic.close(); }
    host::RoomMicrophone& mic;
    std::int64_t click = -1, count = 0;
    Clock::time_point click_at;
};

TEST(RoomWatchOnServer, FlagsEveryNoiseBurstAndNeitherSilenceNorTheTone) {
    bool ok = false;
    if (pactl({"info"}, &ok); !ok) GTEST_SKIP() << "no sound server";
    const QString module = pactl({"load-module", "module-null-sink", "sink_name=kelvor_room", "rate=48000",
                                  "channels=1", "format=float32le"},
                                 &ok);
    ASSERT_TRUE(ok) << "no second null sink";
    const QString default_source = pactl({"get-default-source"});
    const std::shared_ptr<void> restore(nullptr, [&](void*) {
        pactl({"set-default-source", default_source}), pactl({"unload-module", module});
    });
    for (int i = 0; i < 40 && pactl({"get-default-source"}) != "kelvor_room.monitor"; ++i)
        pactl({"set-default-source", "kelvor_room.monitor"}), QThread::msleep(50);

    // After the click, digital silence: the baseline is the floor, each burst 15 dB or more above it.
    struct Burst {
        double from_s, to_s, level_db;
    };
    const Burst bursts[] = {{4.0, 5.0, room::floor_db + 15}, {6.5, 8.0, -60}, {9.5, 10.5, -40}};
    constexpr double baseline_to_s = 3.5, tone_from_s = 12.0;
    std::vector<float> room(std::size_t(17 * rate), 0.0f);
    testing::add_pulse(room, rate, 0, rate / 50, test_hz); // the click
    for (const Burst& b : bursts)                          // in the band around the test frequency
        testing::add_noise(room, rate, std::size_t(b.from_s * rate), std::size_t(b.to_s * rate),
                           test_hz / 1.2, test_hz * 1.2, b.level_db, 1);
    testing::add_pulse(room, rate, std::size_t(tone_from_s * rate), 16 * rate, test_hz);

    PulseRoomMicrophone microphone(true);
    Tap tap(microphone);
    room::RoomWatch watch(tap, rate);
    EXPECT_TRUE(our_source_outputs().isEmpty()) << "a capture stream before the watch started";
    std::string why;
    watch.set_tone(test_hz);
    ASSERT_TRUE(watch.start(why)) << why;
    ASSERT_EQ(our_source_outputs().size(), 1);
    EXPECT_TRUE(our_source_outputs()[0].contains("application.name = \"Kelvor\"") &&
                our_source_outputs()[0].contains("media.name = \"Room noise\""));
    QProcess player;
    player.start("pacat", {"--playback", "--device=kelvor_room", "--raw", "--format=float32le",
                           "--rate=48000", "--channels=1", "--latency-msec=20"});
    player.write(reinterpret_cast<const char*>(room.data()), qint64(room.size() * sizeof(float)));
    player.closeWriteChannel();
    std::vector<std::pair<Clock::time_point, room::NoiseWindow>> heard;
    while (player.state() != QProcess::NotRunning && !watch.lost()) {
        for (room::NoiseWindow& w : watch.take_windows())
            heard.emplace_back(Clock::now(), std::move(w));
        player.waitForFinished(20);
    }
    pactl({"unload-module", module}); // the source going away ends the watch with its sentence
    for (int i = 0; i < 40 && !watch.lost(); ++i)
        QThread::msleep(50);
    ASSERT_TRUE(watch.lost());
    ASSERT_GE(tap.click, 0) << "the room was not heard";

    // A window's span in the room's time: the n-th ends a second and n quarters after the capture began.
    const auto span = [&](const room::NoiseWindow& w) {
        const double end = double(rate + std::int64_t(w.index) * rate / 4 - tap.click) / rate;
        return std::pair{end - 1.0, end};
    };
    std::vector<room::NoiseWindow> before;
    for (const auto& [at, w] : heard)
        if (span(w).first >= 0.1 && span(w).second <= baseline_to_s) before.push_back(w);
    ASSERT_GE(before.size(), 8u);
    const room::Baseline baseline = room::baseline_from(before);
    const auto flagged = [&](const room::NoiseWindow& w, std::size_t band) {
        const auto over = room::bands_over_limit(w, baseline);
        return std::find(over.begin(), over.end(), band) != over.end();
    };
    std::vector<double> delays; // from the arrival of the burst's first sample
    for (const Burst& b : bursts) {
        const auto start = tap.click_at + std::chrono::duration_cast<Clock::duration>(
                                              std::chrono::duration<double>(b.from_s));
        const auto first = std::find_if(heard.begin(), heard.end(), [&](const auto& h) {
            return h.first >= start && flagged(h.second, room::band_of(test_hz));
        });
        if (first != heard.end())
            delays.push_back(std::chrono::duration<double>(first->first - start).count());
    }
    for (const auto& [at, w] : heard) { // every other window after the baseline: silence, or the tone
        const auto [from, to] = span(w);
        bool quiet = from >= 0.1;
        for (const Burst& b : bursts)
            quiet = quiet && (to <= b.from_s || from >= b.to_s);
        for (std::size_t band = 0; band < room::band_centres().size() && quiet; ++band)
            EXPECT_FALSE(flagged(w, band))
                << "band " << band << " flagged from " << from << " to " << to << " s";
    }
    ASSERT_EQ(delays.size(), 3u);
    std::sort(delays.begin(), delays.end());
    std::printf("room watch on %s: 3 of 3 bursts flagged, after %.2f %.2f %.2f s\n",
                pactl({"info"}).contains("PipeWire") ? "PipeWire" : "PulseAudio", delays[0], delays[1],
                delays[2]);
    EXPECT_LE(delays.back(), 2.0);
    watch.stop();
    EXPECT_TRUE(our_source_outputs().isEmpty());
}

} // namespace
} // namespace kelvor::platform
