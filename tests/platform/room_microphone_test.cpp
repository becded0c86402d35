// The room watch on the test environment's sound server: a second null sink is "the room", its monitor
// the default source; the test plays the room into it, silence, noise bursts in the test band and the
// test tone itself, and the real microphone and the watch must flag exactly the bursts.
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
#include <mutex>
#include <numbers>
#include <optional>
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

// This process's capture streams as `pactl list source-outputs` shows them, one block each.
QStringList our_source_outputs() {
    QStringList ours;
    const QString pid = QString("application.process.id = \"%1\"").arg(::getpid());
    for (const QString& block : pactl({"list", "source-outputs"}).split("Source Output #"))
        if (block.contains(pid)) ours << block;
    return ours;
}

constexpr int rate = 48000;
constexpr std::uint16_t test_hz = 1000;
const std::size_t test_band = room::band_of(test_hz);

struct Burst {
    double from_s, to_s, level_db; // level in the test band (a sine of amplitude 1 is 0 dB)
};
// The room's time starts with a click the test finds in the capture; then digital silence, so the
// baseline is the floor and each burst stands 15 dB or more above it.
constexpr double click_s = 0.02, baseline_from_s = 0.1, baseline_to_s = 3.5;
const std::vector<Burst> bursts = {{4.0, 5.0, room::floor_db + 15}, {6.5, 8.0, -60}, {9.5, 10.5, -40}};
constexpr double tone_from_s = 12.0, tone_to_s = 16.0, end_s = 17.0;

void add_band_noise(std::vector<float>& room, const Burst& b, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> phase(0, 2 * std::numbers::pi);
    constexpr int sines = 30;
    const double amplitude = std::pow(10.0, b.level_db / 20) / std::sqrt(double(sines));
    for (int k = 0; k < sines; ++k) {
        const double f = test_hz / 1.2 * std::pow(1.44, (k + 0.5) / sines), p = phase(random);
        for (auto i = std::size_t(b.from_s * rate); i < std::size_t(b.to_s * rate); ++i)
            room[i] += static_cast<float>(amplitude * std::sin(2 * std::numbers::pi * f * i / rate + p));
    }
}

// A pulse at full scale from `from_s` (300 ms of every 800 ms), switched as hard as the data stream
// switches it.
void add_tone(std::vector<float>& room, double from_s, double to_s) {
    for (auto i = std::size_t(from_s * rate); i < std::size_t(to_s * rate); ++i) {
        const std::size_t t = (i - std::size_t(from_s * rate)) % (rate * 8 / 10);
        if (t < rate * 3 / 10)
            room[i] += static_cast<float>(std::sin(2 * std::numbers::pi * test_hz * t / rate));
    }
}

using Clock = std::chrono::steady_clock;

// Between the real microphone and the watch: finds the click and notes when each block arrived.
class Tap final : public host::RoomMicrophone {
  public:
    explicit Tap(host::RoomMicrophone& mic) : mic_(mic) {}
    bool open(int r, Samples on_samples, Lost on_lost, std::string& why) override {
        return mic_.open(
            r,
            [this, on_samples](const float* mono, std::size_t n) {
                {
                    const std::lock_guard lock(mutex_);
                    for (std::size_t i = 0; i < n && click_ < 0; ++i)
                        if (std::abs(mono[i]) > 0.5f) click_ = std::int64_t(count_ + i);
                    count_ += n;
                    arrived_.push_back({count_, Clock::now()});
                }
                on_samples(mono, n);
            },
            on_lost, why);
    }
    void close() override { mic_.close(); }

    // The sample of the capture at the room's time `t_s`, and when the block holding it arrived.
    std::int64_t sample_at(double t_s) {
        const std::lock_guard lock(mutex_);
        return click_ + std::int64_t(t_s * rate);
    }
    std::optional<Clock::time_point> arrival_of(std::int64_t sample) {
        const std::lock_guard lock(mutex_);
        for (const auto& [through, at] : arrived_)
            if (std::int64_t(through) > sample) return at;
        return std::nullopt;
    }
    bool clicked() {
        const std::lock_guard lock(mutex_);
        return click_ >= 0;
    }

  private:
    host::RoomMicrophone& mic_;
    std::mutex mutex_;
    std::int64_t click_ = -1;
    std::uint64_t count_ = 0;
    std::vector<std::pair<std::uint64_t, Clock::time_point>> arrived_;
};

class RoomWatchOnServer : public ::testing::Test {
  protected:
    void SetUp() override {
        bool ok = false;
        pactl({"info"}, &ok);
        if (!ok) GTEST_SKIP() << "no sound server";
        default_source_ = pactl({"get-default-source"});
        module_ = pactl({"load-module", "module-null-sink", "sink_name=kelvor_room", "rate=48000",
                         "channels=1", "format=float32le"},
                        &ok);
        ASSERT_TRUE(ok) << "no second null sink";
        for (int i = 0; i < 40 && pactl({"get-default-source"}) != "kelvor_room.monitor"; ++i) {
            pactl({"set-default-source", "kelvor_room.monitor"});
            QThread::msleep(50);
        }
        ASSERT_EQ(pactl({"get-default-source"}), "kelvor_room.monitor");
    }
    void TearDown() override {
        if (!default_source_.isEmpty()) pactl({"set-default-source", default_source_});
        unload_room();
    }
    void unload_room() {
        if (!module_.isEmpty()) pactl({"unload-module", module_});
        module_.clear();
    }

    QString default_source_, module_;
};

TEST_F(RoomWatchOnServer, FlagsEveryNoiseBurstAndNeitherSilenceNorTheTone) {
    std::vector<float> room(std::size_t(end_s * rate), 0.0f);
    add_tone(room, 0, click_s);
    for (std::size_t b = 0; b < bursts.size(); ++b)
        add_band_noise(room, bursts[b], unsigned(b + 1));
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
    const QStringList outputs = our_source_outputs();
    ASSERT_EQ(outputs.size(), 1);
    EXPECT_TRUE(outputs[0].contains("application.name = \"Kelvor\"")) << outputs[0].toStdString();
    EXPECT_TRUE(outputs[0].contains("media.name = \"Room noise\"")) << outputs[0].toStdString();

    QProcess player;
    player.start("pacat", {"--playback", "--device=kelvor_room", "--raw", "--format=float32le",
                           "--rate=48000", "--channels=1", "--latency-msec=20", file.fileName()});
    ASSERT_TRUE(player.waitForStarted(5000));
    struct Heard {
        Clock::time_point at;
        room::NoiseWindow window;
    };
    std::vector<Heard> heard;
    while (player.state() != QProcess::NotRunning) {
        for (room::NoiseWindow& w : watch.take_windows())
            heard.push_back({Clock::now(), std::move(w)});
        player.waitForFinished(20);
    }
    ASSERT_TRUE(tap.clicked()) << "the room was not heard";
    ASSERT_FALSE(watch.lost());

    // A window's span in the room's time: the n-th ends a second and n quarters after the capture began.
    const auto span = [&](const room::NoiseWindow& w) {
        const double end = double(rate + std::int64_t(w.index) * rate / 4 - tap.sample_at(0)) / rate;
        return std::pair{end - 1.0, end};
    };
    std::vector<room::NoiseWindow> before;
    for (const Heard& h : heard)
        if (span(h.window).first >= baseline_from_s && span(h.window).second <= baseline_to_s)
            before.push_back(h.window);
    ASSERT_GE(before.size(), 8u);
    const room::Baseline baseline = room::baseline_from(before);

    std::vector<double> delays;
    for (const Burst& b : bursts) {
        const auto started = tap.arrival_of(tap.sample_at(b.from_s));
        ASSERT_TRUE(started);
        for (const Heard& h : heard) {
            const double delay = std::chrono::duration<double>(h.at - *started).count();
            const auto over = room::bands_over_limit(h.window, baseline);
            if (delay >= 0 && std::find(over.begin(), over.end(), test_band) != over.end()) {
                delays.push_back(delay);
                break;
            }
        }
    }
    // Every other window after the baseline: silence, or the tone sounding.
    for (const Heard& h : heard) {
        const auto [from, to] = span(h.window);
        bool quiet = from >= baseline_from_s;
        for (const Burst& b : bursts)
            quiet = quiet && (to <= b.from_s || from >= b.to_s);
        if (!quiet) continue;
        const auto over = room::bands_over_limit(h.window, baseline);
        EXPECT_TRUE(over.empty()) << "flagged " << from << " to " << to << " s, in band " << over.front()
                                  << (to > tone_from_s ? " (the tone sounding)" : " (silence)");
    }
    std::vector<double> sorted = delays;
    std::sort(sorted.begin(), sorted.end());
    std::printf("room watch (%s): %zu of %zu bursts flagged, delay median %.2f s (",
                pactl({"info"}).contains("PipeWire") ? "PipeWire" : "PulseAudio", delays.size(),
                bursts.size(), sorted.empty() ? 0.0 : sorted[sorted.size() / 2]);
    for (double d : delays)
        std::printf(" %.2f", d);
    std::printf(" ), from the arrival of each burst's first sample\n");
    ASSERT_EQ(delays.size(), bursts.size());
    EXPECT_LE(sorted.back(), 2.0);

    // The source going away ends the watch with its sentence.
    unload_room();
    for (int i = 0; i < 40 && !watch.lost(); ++i)
        QThread::msleep(50);
    EXPECT_TRUE(watch.lost());
    watch.stop();
    EXPECT_TRUE(our_source_outputs().isEmpty());
}

} // namespace
} // namespace kelvor::platform
