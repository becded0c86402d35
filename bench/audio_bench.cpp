// Sound through the real platform parts on the running sound server: for each output path, 50 pulses
// of the test's tone timer. Measures the time from each pulse tick to the tone's first recorded sample
// (recorded from the sink's monitor with 10 ms latency), its spread over the 50 pulses, the times the
// server ran dry, and the program's CPU use while it pulses. Then, after the stream has slept through
// a long wait, the first tone on the data stream and on the PC speaker: how late, and whether whole.
//   KELVOR_BENCH_AUDIO=backend:buffer_bytes:latency_ms,...   the backends and timings (default: each
//                                                           backend with its own)
//   KELVOR_BENCH_RUNS          runs of everything (default 1); a summary gives medians and sums
//   KELVOR_BENCH_LOAD=1        two busy processes at normal priority keep both cores loaded meanwhile
//   KELVOR_BENCH_TICKS         ticks per path (default 100, 50 pulses)
//   KELVOR_BENCH_IDLE_SECONDS  the wait before each first tone (default 30; 0 leaves that out)
//   KELVOR_BENCH_DETAIL=1      every pulse
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/hearing/test_state.h"
#include "core/port/small_port.h"
#include "core/tone/tone_output.h"
#include "core/tone/wave_stream.h"
#include "platform/sound_system.h"
#include "bench_measures.h"

extern char** environ;

namespace {

using kelvor::bench::cpu_seconds;
using kelvor::bench::percentile;

using namespace kelvor;

constexpr double rate = 44100;

// parec in a thread of its own, each chunk stamped with the clock when it arrives.
class Recorder {
  public:
    explicit Recorder(host::Clock& clock) : clock_(clock) {}
    bool start() {
        int fds[2];
        if (::pipe(fds) != 0) return false;
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_adddup2(&fa, fds[1], 1);
        posix_spawn_file_actions_addclose(&fa, fds[0]);
        posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
        const char* argv[] = {"parec",        "-d",           "@DEFAULT_MONITOR@", "--raw", "--format=s16le",
                              "--rate=44100", "--channels=2", "--latency-msec=10", nullptr};
        const int rc = posix_spawnp(&pid_, "parec", &fa, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&fa);
        ::close(fds[1]);
        if (rc != 0) return false;
        fd_ = fds[0];
        thread_ = std::thread([this] { run(); });
        for (int i = 0; i < 500 && samples() < 441; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return samples() >= 441;
    }
    void stop() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
        if (thread_.joinable()) thread_.join();
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    std::size_t samples() {
        std::lock_guard<std::mutex> lock(mutex_);
        return left_.size();
    }
    // Clock time at which sample i was available. Each chunk arrives some time after its last sample;
    // the earliest arrivals mark the line (time = base + i / rate) along which samples become available.
    // The line is fitted through the earliest arrival of each half of the recording, since the sink's
    // rate may differ a little from the clock's.
    double time_of(std::size_t i) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!fitted_) fit();
        return base_ + double(i) * ms_per_sample_;
    }
    std::vector<std::int16_t> left() {
        std::lock_guard<std::mutex> lock(mutex_);
        return left_;
    }

  private:
    void fit() {
        fitted_ = true;
        ms_per_sample_ = 1000.0 / rate;
        if (arrivals_.empty()) return;
        const std::size_t half = arrivals_.size() / 2;
        auto lowest = [&](std::size_t from, std::size_t to) {
            std::pair<double, double> best{0, 1e300}; // (sample, delay)
            for (std::size_t k = from; k < to; ++k) {
                const double d = arrivals_[k].second - double(arrivals_[k].first) * ms_per_sample_;
                if (d < best.second) best = {double(arrivals_[k].first), d};
            }
            return best;
        };
        const auto a = lowest(0, std::max<std::size_t>(half, 1));
        const auto b = lowest(half, arrivals_.size());
        if (half > 0 && b.first > a.first) ms_per_sample_ += (b.second - a.second) / (b.first - a.first);
        base_ = a.second + a.first * (1000.0 / rate) - a.first * ms_per_sample_;
    }
    bool fitted_ = false;
    double base_ = 0;
    double ms_per_sample_ = 0;

    void run() {
        std::vector<std::int16_t> buf(2048);
        std::size_t carry = 0;
        for (;;) {
            const ssize_t n =
                ::read(fd_, reinterpret_cast<char*>(buf.data()) + carry, buf.size() * 2 - carry);
            if (n <= 0) return;
            const double t = clock_.now_ms();
            const std::size_t bytes = carry + std::size_t(n);
            const std::size_t frames = bytes / 4;
            std::lock_guard<std::mutex> lock(mutex_);
            for (std::size_t i = 0; i < frames; ++i)
                left_.push_back(buf[2 * i]);
            arrivals_.emplace_back(left_.size(), t);
            carry = bytes % 4;
            std::memmove(buf.data(), reinterpret_cast<char*>(buf.data()) + frames * 4, carry);
        }
    }
    host::Clock& clock_;
    pid_t pid_ = -1;
    int fd_ = -1;
    std::thread thread_;
    std::mutex mutex_;
    std::vector<std::int16_t> left_;
    std::vector<std::pair<std::size_t, double>> arrivals_;
};

std::vector<std::string> split(const std::string& text, char sep) {
    std::vector<std::string> out;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(sep, from)) != std::string::npos; from = at + 1)
        out.push_back(text.substr(from, at - from));
    out.push_back(text.substr(from));
    return out;
}

struct NoDialogs : host::Dialogs {
    void message_box(const std::string&) override {}
};

struct Path {
    const char* name;
    tone::TOutputDevice device;
    tone::TOutputMethod method;
    int threshold;
};

// Runs the Start sequence and `ticks` ticks of the 400 ms tone timer; returns the clock time of every
// tick that began a sounding half.
std::vector<double> leads; // the stream's tracked lead at each sounding tick

std::vector<double> pulse(platform::SoundSystem& sound, const Path& path, int ticks) {
    hearing::TestState state;
    NoDialogs dialogs;
    diagnostics::LogBuffer port_log{"Port", 40}, sound_log{"SOUND", 40};
    port::TSmallPort small_port{sound.system_info(), sound.driver_services(), port_log};
    tone::WaveStream waves{sound.audio_out(), sound_log};
    tone::ToneOutput tone{state, sound.ports(), &small_port, waves, sound.clock(), dialogs, sound_log};
    tone.settings().out_device = path.device;
    tone.settings().out_method = path.method;
    tone.start_output();
    tone.set_level(12);
    tone.set_frequency(1000);

    std::vector<double> sounding;
    QEventLoop loop;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    int n = 0;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const double t = sound.clock().now_ms();
        tone.tone_pulse();
        if (tone.tone_sounding()) {
            sounding.push_back(t);
            leads.push_back(sound.engine().stream().stats().lead_ms);
            if (tone.data_stream_method()) tone.play_wave();
        }
        // The log buffers would fill; the window empties them on each tick.
        diagnostics::PortLogRing ring;
        sound_log.show(ring);
        if (++n == ticks) loop.quit();
    });
    timer.start(400);
    loop.exec();
    tone.OPL2_aus();
    tone.speaker_off();
    return sounding;
}

struct PathFigures {
    std::vector<double> median_ms, jitter_p99_ms, cpu_pct;
    int underruns = 0, pulses = 0;
};

// Two processes that spin at normal priority until stopped.
struct Load {
    std::vector<pid_t> pids;
    void start() {
        for (int i = 0; i < 2; ++i) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                std::atomic<unsigned long> spins{0};
                for (;;)
                    spins.fetch_add(1, std::memory_order_relaxed);
            }
            if (pid > 0) pids.push_back(pid);
        }
    }
    ~Load() {
        for (pid_t pid : pids) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }
};

// Onsets in `left` (a tone after at least 2000 quiet samples), with the recording's sample numbers.
std::vector<std::size_t> onsets_in(const std::vector<std::int16_t>& left, int threshold) {
    std::vector<std::size_t> onsets;
    bool loud = false;
    std::size_t quiet_run = 0;
    for (std::size_t i = 0; i < left.size(); ++i) {
        if (std::abs(int(left[i])) > threshold) {
            if (!loud) onsets.push_back(i);
            loud = true;
            quiet_run = 0;
        } else if (loud && ++quiet_run > 2000) {
            loud = false;
        }
    }
    return onsets;
}

// After `idle_s` seconds with nothing sounding (the stream asleep), one tone on `path`: the data
// stream's image, or the speaker's gate opened for 400 ms. Prints how long after the request it was
// recorded and how long it lasted.
void first_tone_after_idle(platform::SoundSystem& sound, const Path& path, int idle_s) {
    Recorder rec{sound.clock()};
    if (!rec.start()) {
        std::printf("   cannot record the monitor\n");
        return;
    }
    hearing::TestState state;
    NoDialogs dialogs;
    diagnostics::LogBuffer sound_log{"SOUND", 40};
    tone::WaveStream waves{sound.audio_out(), sound_log};
    tone::ToneOutput tone{state, sound.ports(), nullptr, waves, sound.clock(), dialogs, sound_log};
    tone.settings().out_device = path.device;
    tone.settings().out_method = path.method;
    tone.set_level(12);
    tone.set_frequency(1000); // the speaker's divisor is written now, before the wait
    QThread::msleep(static_cast<unsigned long>(idle_s) * 1000);
    const bool slept = sound.engine().stream().asleep();
    const double t = sound.clock().now_ms();
    if (tone.data_stream_method()) {
        tone.play_wave();
    } else {
        tone.speaker_on();
        while (sound.clock().now_ms() < t + 400)
            QThread::usleep(200);
        tone.speaker_off();
    }
    QThread::msleep(700);
    rec.stop();
    const std::vector<std::int16_t> left = rec.left();
    const std::vector<std::size_t> onsets = onsets_in(left, path.threshold);
    std::size_t k = 0;
    while (k < onsets.size() && rec.time_of(onsets[k]) < t)
        ++k;
    if (k == onsets.size()) {
        std::printf("%s after %d s idle (stream %s): no tone recorded\n", path.name, idle_s,
                    slept ? "asleep" : "awake");
        return;
    }
    std::size_t end = onsets[k];
    for (std::size_t i = onsets[k]; i < left.size() && i < onsets[k] + 44100; ++i)
        if (std::abs(int(left[i])) > path.threshold) end = i + 1;
    std::printf("%s after %d s idle (stream %s before it): first recorded sample %.1f ms after the request, "
                "tone %.1f ms long (%zu samples)\n",
                path.name, idle_s, slept ? "asleep" : "awake", rec.time_of(onsets[k]) - t,
                double(end - onsets[k]) / 44.1, end - onsets[k]);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    auto setting = [](const char* name, int fallback) {
        const char* v = std::getenv(name);
        return v ? std::atoi(v) : fallback;
    };
    const int tick_count = setting("KELVOR_BENCH_TICKS", 100); // 100 ticks = 50 pulses
    const int runs = std::max(1, setting("KELVOR_BENCH_RUNS", 1));
    const int idle_s = setting("KELVOR_BENCH_IDLE_SECONDS", 30);
    std::vector<platform::AudioTiming> timings;
    const char* chosen = std::getenv("KELVOR_BENCH_AUDIO");
    std::string defaults;
    for (auto kind : {platform::AudioBackendKind::pulse, platform::AudioBackendKind::qt}) {
        const platform::AudioTiming t = platform::audio_timing_for(kind);
        defaults += std::string(defaults.empty() ? "" : ",") + platform::audio_backend_name(kind) + ":" +
                    std::to_string(t.sink_buffer_bytes) + ":" + std::to_string(t.stream_latency_ms);
    }
    for (const std::string& item : split(chosen ? chosen : defaults, ',')) {
        const std::vector<std::string> f = split(item, ':');
        const auto kind = platform::audio_backend_from_name(f[0]);
        if (!kind || f.size() != 3) {
            std::printf("KELVOR_BENCH_AUDIO: cannot read '%s'\n", item.c_str());
            return 2;
        }
        timings.push_back({*kind, std::stoi(f[1]), std::stod(f[2])});
    }
    const Path paths[] = {{"data stream", tone::dev_soundcard, tone::meth_stream, 100},
                          {"emulated OPL2 (direct)", tone::dev_soundcard, tone::meth_direct, 120},
                          {"emulated PC speaker (direct)", tone::dev_speaker, tone::meth_direct, 2000}};
    constexpr std::size_t path_count = std::size(paths);
    std::vector<std::array<PathFigures, path_count>> figures(timings.size());
    Load load;
    if (setting("KELVOR_BENCH_LOAD", 0)) {
        load.start();
        std::printf("both cores loaded by two busy processes\n");
    }
    for (int run = 0; run < runs; ++run) {
        for (std::size_t b = 0; b < timings.size(); ++b) {
            const platform::AudioTiming& timing = timings[b];
            platform::SoundSystem sound{"emulated", "", timing};
            if (!sound.engine().running()) {
                std::printf("no audio output device: nothing to measure\n");
                return 1;
            }
            sound.engine().wait_until_settled();
            std::printf("== run %d, %s: buffer %d bytes requested, stream latency %.1f ms\n", run + 1,
                        platform::audio_backend_name(timing.backend), timing.sink_buffer_bytes,
                        timing.stream_latency_ms);
            // First, while the chip has never sounded: once the OPL2 path has keyed a note on, it keeps
            // sounding 47 dB down after its key-off (release rate 0), and the stream stays awake.
            if (idle_s > 0) {
                first_tone_after_idle(sound, paths[0], idle_s);
                first_tone_after_idle(sound, paths[2], idle_s);
            }
            for (std::size_t pi = 0; pi < path_count; ++pi) {
                const Path& p = paths[pi];
                Recorder rec{sound.clock()};
                if (!rec.start()) {
                    std::printf("%s: cannot record the monitor\n", p.name);
                    return 1;
                }
                const double cpu0 = cpu_seconds();
                QElapsedTimer wall;
                wall.start();
                leads.clear();
                const int underruns0 = sound.engine().underruns();
                const std::vector<double> ticks = pulse(sound, p, tick_count);
                const double cpu_pct = (cpu_seconds() - cpu0) / (double(wall.elapsed()) / 1000) * 100;
                QThread::msleep(300);
                rec.stop();

                // Each sounding tick's tone is the first one recorded after the tick.
                std::vector<double> onsets;
                for (std::size_t i : onsets_in(rec.left(), p.threshold))
                    onsets.push_back(rec.time_of(i));
                std::vector<double> latency;
                std::size_t k = 0;
                for (double t : ticks) {
                    while (k < onsets.size() && onsets[k] < t)
                        ++k;
                    if (k == onsets.size()) break;
                    latency.push_back(onsets[k] - t);
                    ++k;
                }
                const double median = percentile(latency, 0.5);
                std::vector<double> dev;
                for (double l : latency)
                    dev.push_back(std::fabs(l - median));
                const int underruns = sound.engine().underruns() - underruns0;
                std::printf(
                    "%s: %zu pulses, tick to first recorded sample median %.1f ms (min %.1f, max %.1f); "
                    "onset jitter p99 %.2f ms; CPU while pulsing %.2f %% of a core\n",
                    p.name, latency.size(), median, percentile(latency, 0), percentile(latency, 1.0),
                    percentile(dev, 0.99), cpu_pct);
                const auto st = sound.engine().stream().stats();
                std::printf("   stream: %llu events, %llu late, %llu dropped; tracked lead %.2f..%.2f ms, "
                            "latency %.2f ms; %d underruns\n",
                            (unsigned long long)st.events_applied, (unsigned long long)st.events_late,
                            (unsigned long long)st.events_dropped, percentile(leads, 0),
                            percentile(leads, 1.0), st.latency_ms, underruns);
                if (std::getenv("KELVOR_BENCH_DETAIL")) {
                    for (std::size_t i = 0; i < latency.size() && i < leads.size(); ++i)
                        std::printf("   pulse %zu: latency %.2f ms lead %.2f ms\n", i, latency[i], leads[i]);
                }
                PathFigures& f = figures[b][pi];
                f.median_ms.push_back(median);
                f.jitter_p99_ms.push_back(percentile(dev, 0.99));
                f.cpu_pct.push_back(cpu_pct);
                f.underruns += underruns;
                f.pulses += int(latency.size());
            }
        }
    }
    std::printf("== summary over %d run%s%s: medians of the runs' figures, underruns summed\n", runs,
                runs == 1 ? "" : "s", load.pids.empty() ? "" : ", both cores loaded");
    for (std::size_t b = 0; b < timings.size(); ++b) {
        for (std::size_t pi = 0; pi < path_count; ++pi) {
            const PathFigures& f = figures[b][pi];
            std::printf(
                "%s %d:%.0f, %s: tick to first sample %.1f ms, jitter p99 %.2f ms (%.2f..%.2f), CPU %.2f %%, "
                "%d underruns in %d pulses\n",
                platform::audio_backend_name(timings[b].backend), timings[b].sink_buffer_bytes,
                timings[b].stream_latency_ms, paths[pi].name, percentile(f.median_ms, 0.5),
                percentile(f.jitter_p99_ms, 0.5), percentile(f.jitter_p99_ms, 0),
                percentile(f.jitter_p99_ms, 1), percentile(f.cpu_pct, 0.5), f.underruns, f.pulses);
        }
    }
    return 0;
}
