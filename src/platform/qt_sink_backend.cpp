// Qt Multimedia's QAudioSink, with its feeding timer in a QThread of its own: the user-interface thread
// busy-waits between chip writes, and fed from there the sound would starve. Every few milliseconds the
// worker renders exactly what the sink has room for, stamped with the clock at that moment (Qt 6.4's
// PulseAudio sink stopped pulling from a device after its first read here, so the stream pushes).
//
// While the program's stream sleeps, the sink is suspended (Qt corks its PulseAudio stream) and the
// timer stops; an eventfd watched in the worker's thread wakes it.
//
// Qt 6.4 names the server connection "QtPulseAudio:<pid>" and the stream "QtmPulseStream-..." and offers
// no way to set either, so the mixer cannot show our name, icon or role for this backend.
#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/audio_backend.h"
#include "platform/process_end.h"
#include "platform/wake_signal.h"

namespace kelvor::platform {
namespace {

class SinkWorker final : public QObject {
  public:
    SinkWorker(AudioFeed feed, int buffer_bytes) : feed_(feed), buffer_bytes_(buffer_bytes) {}

    // Runs in the audio thread.
    bool open() {
        qt_audio_engine_started();
        const QAudioDevice out = QMediaDevices::defaultAudioOutput();
        if (out.isNull() || !wake_.valid()) return false;
        raise_audio_thread_priority();
        QAudioFormat format;
        format.setSampleRate(emu::stream_sample_rate);
        format.setChannelCount(2);
        format.setSampleFormat(QAudioFormat::Int16);
        if (!out.isFormatSupported(format)) return false;
        sink_ = new QAudioSink(out, format, this);
        sink_->setBufferSize(buffer_bytes_);
        io_ = sink_->start();
        if (!io_ || sink_->error() != QAudio::NoError) return false;
        feed();
        timer_ = new QTimer(this);
        timer_->setTimerType(Qt::PreciseTimer);
        connect(timer_, &QTimer::timeout, this, &SinkWorker::feed);
        timer_->start(feed_interval_ms);
        notifier_ = new QSocketNotifier(wake_.fd(), QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &SinkWorker::woken);
        feed_.stream.set_wake([this] { wake_.signal(); });
        return true;
    }
    void close() {
        feed_.stream.set_wake({});
        if (timer_) timer_->stop();
        if (sink_) sink_->stop();
        delete sink_;
        sink_ = nullptr;
        io_ = nullptr;
    }

  private:
    void feed() {
        if (!sink_ || !io_ || asleep_) return;
        const qint64 free_bytes = sink_->bytesFree();
        const auto frames = static_cast<std::size_t>(free_bytes / 4);
        if (frames == 0) return;
        // The whole buffer free again: the server played it dry and filled a gap with silence.
        if (fed_ && free_bytes >= sink_->bufferSize()) feed_.underruns.fetch_add(1);
        fed_ = true;
        block_.resize(2 * frames);
        feed_.stream.render(block_.data(), frames, feed_.clock.now_ms());
        io_->write(reinterpret_cast<const char*>(block_.data()), static_cast<qint64>(frames * 4));
        if (feed_.stream.try_sleep()) {
            asleep_ = true;
            timer_->stop();
            sink_->suspend();
        }
    }
    void woken() {
        wake_.clear();
        if (!asleep_) return;
        asleep_ = false;
        fed_ = false; // what the sink has free now is no sign of a gap
        sink_->resume();
        feed();
        timer_->start(feed_interval_ms);
    }

    static constexpr int feed_interval_ms = 2;
    AudioFeed feed_;
    int buffer_bytes_;
    WakeSignal wake_;
    bool fed_ = false;
    bool asleep_ = false;
    QAudioSink* sink_ = nullptr;
    QIODevice* io_ = nullptr;
    QTimer* timer_ = nullptr;
    QSocketNotifier* notifier_ = nullptr;
    std::vector<std::int16_t> block_;
};

// The audio thread. The worker is made, opened, run and closed inside it, and the thread's start, a
// mutex and its end carry what crosses between the threads: nothing of ours travels through Qt's event
// queue, whose locks ThreadSanitizer cannot see.
class SinkThread final : public QThread {
  public:
    SinkThread(AudioFeed feed, int buffer_bytes) : feed_(feed), buffer_bytes_(buffer_bytes) {
        setObjectName("kelvor-audio");
    }
    ~SinkThread() override {
        quit(); // before exec() starts, exec() returns at once
        wait();
    }

    bool open() {
        start(QThread::TimeCriticalPriority);
        std::unique_lock lock(mutex_);
        opened_.wait(lock, [this] { return state_ != State::opening; });
        return state_ == State::open;
    }

  protected:
    void run() override {
        SinkWorker worker(feed_, buffer_bytes_);
        const bool ok = worker.open();
        {
            std::lock_guard lock(mutex_);
            state_ = ok ? State::open : State::failed;
        }
        opened_.notify_one();
        if (ok) exec();
        worker.close();
    }

  private:
    enum class State { opening, open, failed };
    AudioFeed feed_;
    int buffer_bytes_;
    std::mutex mutex_;
    std::condition_variable opened_;
    State state_ = State::opening;
};

class QtSinkBackend final : public AudioBackend {
  public:
    QtSinkBackend(AudioFeed feed, int buffer_bytes) : thread_(feed, buffer_bytes) {}
    bool open() override { return thread_.open(); }

  private:
    SinkThread thread_;
};

} // namespace

std::unique_ptr<AudioBackend> make_qt_backend(AudioFeed feed, int buffer_bytes) {
    return std::make_unique<QtSinkBackend>(feed, buffer_bytes);
}

} // namespace kelvor::platform
