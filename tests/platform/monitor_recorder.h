#pragma once
// Records what the default sink plays, from its monitor, with parec (16-bit stereo at 44100 Hz, 10 ms
// latency) into a file. The sound server is the one the test environment started.
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdint>
#include <cstring>
#include <vector>

namespace kelvor::testing {

class MonitorRecorder {
  public:
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
        return QFile(path_).size() >= 4 * 441;
    }

    // Stops and returns the interleaved samples.
    std::vector<std::int16_t> stop() {
        process_.terminate();
        process_.waitForFinished(5000);
        QFile f(path_);
        if (!f.open(QIODevice::ReadOnly)) return {};
        const QByteArray raw = f.readAll();
        std::vector<std::int16_t> out(static_cast<std::size_t>(raw.size() / 2));
        std::memcpy(out.data(), raw.constData(), out.size() * 2);
        return out;
    }

  private:
    QTemporaryDir dir_;
    QString path_;
    QProcess process_;
};

} // namespace kelvor::testing
