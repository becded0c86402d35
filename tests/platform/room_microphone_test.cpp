// The room watch on the test environment's sound server: a second null sink is "the room", its monitor
// the default source; the test plays the room into it (silence, noise bursts in the test band, the test
// tone itself) and the real microphone and the watch must flag exactly the bursts.
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <numbers>
#include <random>

#include "core/room/room_watch.h"
#include "platform/pulse_room_microphone.h"

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
    QStringList ours = pactl({"list", "source-outputs"}).split("Source Output #");
    return ours.filter(QString("application.process.id = \"%1\"").arg(::getpid()));
}

constexpr int rate = 48000;
constexpr std::uint16_t test_hz = 1000;
using Clock = std::chrono::steady_clock;

struct Burst {
    double from_s, to_s, level_db; // level in the test band (a sine of amplitude 1 is 0 dB)
};
// The room's time starts with a click the test finds in the capture; then digital silence, so the
// baseline is the floor and each burst stands 15 dB or more above it.
constexpr double baseline_from_s = 0.1, baseline_to_s = 3.5, tone_from_s = 12.0, tone_to_s = 16.0,
                 end_s = 17.0;
const Burst bursts[] = {{4.0, 5.0, room::floor_db + 15}, {6.5, 8.0, -60}, {9.5, 10.5, -40}};

// A pulse at full scale (300 ms of every 800 ms), switched as hard as the data stream switches it.
void add_tone(std::vector<float>& room, double from_s, double to_s) {
    for (auto i = std::size_t(from_s * rate); i < std::size_t(to_s * rate); ++i)
        if (std::size_t t = (i - std::size_t(from_s * rate)) % (rate * 8 / 10); t < rate * 3 / 10)
            room[i] += float(std::sin(2 * std::numbers::pi * test_hz * t / rate));
}

// Between the real microphone and the watch: where the click came, and when each block arrived. Read
// once the watch has reported the microphone lost (under its lock), when no block follows.
struct Tap final : host::RoomMicrophone {
    explicit Tap(host::RoomMicrophone& m) : mic(m) {}
    bool open(int r, Samples on_samples, Lost on_lost, std::string& why) override {
        const auto tap = [this, on_samples](const float* s, std::size_t n) {
            for (std::size_t i = 0; i < n && click < 0; ++i)
                if (std::abs(s[i]) > 0.5f) click = count + std::int64_t(i);
            arrived.emplace_back(count += std::int64_t(n), Clock::now());
            on_samples(s, n);
        };
        return mic.open(r, tap, on_lost, why);
    }
    void close() override { mic.close(); }
    Clock::time_point arrival(double room_s) const { // of the block holding the room's time `room_s`
        const auto it = std::find_if(arrived.begin(), arrived.end(), [&](const auto& a) {
            return a.first > click + std::int64_t(room_s * rate);
        });
        return it == arrived.end() ? Clock::time_point::max() : it->second;
    }
    host::RoomMicrophone& mic;
    std::int64_t click = -1, count = 0;
    std::vector<std::pair<std::int64_t, Clock::time_point>> arrived;
};

class RoomWatchOnServer : public ::testing::Test {
  protected:
    void SetUp() override {
        bool ok = false;
        if (pactl({"info"}, &ok); !ok) GTEST_SKIP() << "no sound server";
        default_source_ = pactl({"get-default-source"});
        module_ = pactl({"load-module", "module-null-sink", "sink_name=kelvor_room", "rate=48000",
                         "channels=1", "format=float32le"},
                        &ok);
        ASSERT_TRUE(ok) << "no second null sink";
        for (int i = 0; i < 40 && pactl({"get-default-source"}) != "kelvor_room.monitor"; ++i)
            pactl({"set-default-source", "kelvor_room.monitor"}), QThread::msleep(50);
        ASSERT_EQ(pactl({"get-default-source"}), "kelvor_room.monitor");
    }
    void TearDown() override {
        if (!default_source_.isEmpty()) pactl({"set-default-source", default_source_});
        if (!module_.isEmpty()) pactl({"unload-module", module_});
    }
    QString default_source_, module_;
};

TEST_F(RoomWatchOnServer, FlagsEveryNoiseBurstAndNeitherSilenceNorTheTone) {
    std::vector<float> room(std::size_t(end_s * rate), 0.0f);
    add_tone(room, 0, 0.02); // the click
    std::mt19937 random(1);
    for (const Burst& b : bursts) // 30 sines of random phase, 833 .. 1200 Hz
        for (int k = 0; k < 30; ++k) {
            const double f = test_hz / 1.2 * std::pow(1.44, (k + 0.5) / 30),
                         a = std::pow(10.0, b.level_db / 20) / std::sqrt(30.0);
            const double p = std::uniform_real_distribution<double>(0, 2 * std::numbers::pi)(random);
            for (auto i = std::size_t(b.from_s * rate); i < std::size_t(b.to_s * rate); ++i)
                room[i] += float(a * std::sin(2 * std::numbers::pi * f * i / rate + p));
        }
    add_tone(room, tone_from_s, tone_to_s);
    QTemporaryDir dir;
    QFile file(dir.filePath("room.raw"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(room.data()), qint64(room.size() * sizeof(float)));
    file.close();

    PulseRoomMicrophone microphone(true);
    Tap tap(microphone);
    room::RoomWatch watch(tap, rate);
    EXPECT_TRUE(our_source_outputs().isEmpty()) << "a capture stream before the watch started";
    std::string why;
    watch.set_tone(test_hz);
    ASSERT_TRUE(watch.start(why)) << why;
    ASSERT_EQ(our_source_outputs().size(), 1);
    EXPECT_TRUE(our_source_outputs()[0].contains("application.name = \"Kelvor\""));
    EXPECT_TRUE(our_source_outputs()[0].contains("media.name = \"Room noise\""));

    QProcess player;
    player.start("pacat", {"--playback", "--device=kelvor_room", "--raw", "--format=float32le",
                           "--rate=48000", "--channels=1", "--latency-msec=20", file.fileName()});
    std::vector<std::pair<Clock::time_point, room::NoiseWindow>> heard;
    while (player.state() != QProcess::NotRunning && !watch.lost()) {
        for (room::NoiseWindow& w : watch.take_windows())
            heard.emplace_back(Clock::now(), std::move(w));
        player.waitForFinished(20);
    }
    // The source going away ends the watch with its sentence.
    pactl({"unload-module", module_}), module_.clear();
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
        if (span(w).first >= baseline_from_s && span(w).second <= baseline_to_s) before.push_back(w);
    ASSERT_GE(before.size(), 8u);
    const room::Baseline baseline = room::baseline_from(before);
    const auto flagged = [&](const room::NoiseWindow& w, std::size_t band) {
        const auto over = room::bands_over_limit(w, baseline);
        return std::find(over.begin(), over.end(), band) != over.end();
    };

    std::vector<double> delays; // from the arrival of a burst's first sample
    for (const Burst& b : bursts) {
        const Clock::time_point start = tap.arrival(b.from_s);
        const auto first = std::find_if(heard.begin(), heard.end(), [&](const auto& h) {
            return h.first >= start && flagged(h.second, room::band_of(test_hz));
        });
        if (first != heard.end())
            delays.push_back(std::chrono::duration<double>(first->first - start).count());
    }
    for (const auto& [at, w] : heard) { // every other window after the baseline: silence, or the tone
        const auto [from, to] = span(w);
        const bool quiet =
            from >= baseline_from_s && std::none_of(std::begin(bursts), std::end(bursts),
                                                    [&](auto& b) { return to > b.from_s && from < b.to_s; });
        for (std::size_t band = 0; band < room::band_centres().size() && quiet; ++band)
            EXPECT_FALSE(flagged(w, band))
                << "band " << band << " flagged from " << from << " to " << to << " s";
    }
    std::vector<double> sorted = delays;
    std::sort(sorted.begin(), sorted.end());
    std::printf("room watch (%s): %zu of %zu bursts flagged, delays",
                pactl({"info"}).contains("PipeWire") ? "PipeWire" : "PulseAudio", delays.size(),
                std::size(bursts));
    for (double d : delays)
        std::printf(" %.2f", d);
    std::printf(" s, median %.2f s\n", sorted.empty() ? 0.0 : sorted[sorted.size() / 2]);
    ASSERT_EQ(delays.size(), std::size(bursts));
    EXPECT_LE(sorted.back(), 2.0);
    watch.stop();
    EXPECT_TRUE(our_source_outputs().isEmpty());
}

} // namespace
} // namespace kelvor::platform
