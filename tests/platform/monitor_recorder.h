#pragma once
// Records what the default sink plays, from its monitor, with parec (16-bit stereo at 44100 Hz, 10 ms
// latency) into a file. The sound server is the one the test environment started.
//
// Meanwhile a real-time thread wakes every millisecond and notes how late it woke. The machines we test
// on are virtual ones that their host stops now and then: a real-time thread woke 4 to 30 ms late a few
// times a minute with nothing else running, longer than the sound servers' buffers here, so the server
// plays silence in place of what it had no time to take, or plays it late. A recording made across such
// a stop says nothing about our stream, and the tests measure again.
#include <pthread.h>
#include <time.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace kelvor::testing {

class MonitorRecorder {
  public:
    // A stop at least this long moves or drops sound on every server in the test environment.
    static constexpr double stall_limit_ms = 5;

    ~MonitorRecorder() { stop_watch(); }

    // False when no recording could be started (no sound server, no parec).
    bool start() {
        if (!dir_.isValid()) return false;
        path_ = dir_.filePath("monitor.raw");
        process_.setStandardOutputFile(path_);
        process_.setStandardErrorFile(dir_.filePath("parec.err"));
        process_.start("timeout", {"60", "parec", "-d", "@DEFAULT_MONITOR@", "--raw", "--format=s16le",
                                   "--rate=44100", "--channels=2", "--latency-msec=10"});
        if (!process_.waitForStarted(5000)) return false;
        // Recording has begun once silence arrives.
        QElapsedTimer waited;
        waited.start();
        while (QFile(path_).size() < 4 * 441 && waited.elapsed() < 5000)
            QThread::msleep(5);
        if (QFile(path_).size() < 4 * 441) return false;
        start_watch();
        return true;
    }

    // Stops and returns the interleaved samples.
    std::vector<std::int16_t> stop() {
        stop_watch();
        process_.terminate();
        process_.waitForFinished(5000);
        QFile f(path_);
        if (!f.open(QIODevice::ReadOnly)) return {};
        const QByteArray raw = f.readAll();
        std::vector<std::int16_t> out(static_cast<std::size_t>(raw.size() / 2));
        std::memcpy(out.data(), raw.constData(), out.size() * 2);
        return out;
    }

    // The longest the machine stood still while recording, in ms; 0 where no real-time thread may run.
    double longest_stall_ms() const { return longest_stall_us_ / 1000.0; }

  private:
    void start_watch() {
        watching_ = true;
        watch_ = std::thread([this] {
            sched_param param{};
            param.sched_priority = sched_get_priority_max(SCHED_FIFO) - 10;
            // Without real-time scheduling the thread would measure the other tests' load instead.
            if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) != 0) return;
            timespec next{};
            clock_gettime(CLOCK_MONOTONIC, &next);
            while (watching_) {
                next.tv_nsec += 1000000;
                if (next.tv_nsec >= 1000000000) next = {next.tv_sec + 1, next.tv_nsec - 1000000000};
                clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
                timespec now{};
                clock_gettime(CLOCK_MONOTONIC, &now);
                const long late_us =
                    (now.tv_sec - next.tv_sec) * 1000000 + (now.tv_nsec - next.tv_nsec) / 1000;
                longest_stall_us_ = std::max<long>(longest_stall_us_, late_us);
                if (late_us > 1000) next = now;
            }
        });
    }
    void stop_watch() {
        watching_ = false;
        if (watch_.joinable()) watch_.join();
    }

    std::thread watch_;
    std::atomic<bool> watching_{false};
    std::atomic<long> longest_stall_us_{0};
    QTemporaryDir dir_;
    QString path_;
    QProcess process_;
};

// Whether a recording's attempt (0, 1, 2) is made again, saying why: a sink that ran dry or a machine
// that stood still leaves a gap that is not our stream's. The third recording counts whatever happened.
inline bool measure_again(const std::string& what, bool underran, double stalled_ms, int attempt) {
    if (attempt >= 2) return false;
    if (underran) {
        std::fprintf(stderr, "%sthe sink ran dry, measuring again\n", what.c_str());
    } else if (stalled_ms >= MonitorRecorder::stall_limit_ms) {
        std::fprintf(stderr, "%sthe machine stood still for %.1f ms, measuring again\n", what.c_str(),
                     stalled_ms);
    } else {
        return false;
    }
    return true;
}

} // namespace kelvor::testing
