#include "platform/audio_engine.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <QMetaObject>
#include <QTimer>
#include <vector>

#include <pthread.h>
#include <sched.h>

#include "platform/audio_backend.h"

namespace kelvor::platform {

AudioTiming audio_timing_for(AudioBackendKind kind) {
    switch (kind) {
    case AudioBackendKind::pulse:
        // A 15 ms target (the server keeps about half of it queued), 4 ms for the callbacks' spacing.
        return {kind, 2646, 4};
    case AudioBackendKind::sdl:
        // 256 frames per callback (5.8 ms); SDL's PulseAudio stream holds twice that.
        return {kind, 1024, 5};
    case AudioBackendKind::qt:
        break;
    }
    return {};
}

void raise_audio_thread_priority() {
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO) + 9;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
}

std::optional<AudioBackendKind> audio_backend_from_name(std::string_view name) {
    if (name == "qt") return AudioBackendKind::qt;
    if (name == "pulse") return AudioBackendKind::pulse;
    if (name == "sdl") return AudioBackendKind::sdl;
    return std::nullopt;
}

const char* audio_backend_name(AudioBackendKind kind) {
    switch (kind) {
    case AudioBackendKind::qt:
        return "qt";
    case AudioBackendKind::pulse:
        return "pulse";
    case AudioBackendKind::sdl:
        return "sdl";
    }
    return "?";
}

// Keeps the sink's buffer full: every few milliseconds it renders exactly what the sink has room for,
// stamped with the clock at that moment. (Qt 6.4's PulseAudio sink stopped pulling from a device after
// its first read here, so the stream pushes.)
class AudioWorker final : public QObject {
  public:
    AudioWorker(emu::SoundStream& stream, host::Clock& clock, int buffer_bytes, std::atomic<int>& underruns)
        : stream_(stream), clock_(clock), buffer_bytes_(buffer_bytes), underruns_(underruns) {}

    // Runs in the audio thread.
    bool open() {
        const QAudioDevice out = QMediaDevices::defaultAudioOutput();
        if (out.isNull()) return false;
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
        connect(timer_, &QTimer::timeout, this, &AudioWorker::feed);
        timer_->start(feed_interval_ms);
        return true;
    }
    void close() {
        if (timer_) timer_->stop();
        if (sink_) sink_->stop();
        delete sink_;
        sink_ = nullptr;
        io_ = nullptr;
    }

  private:
    void feed() {
        if (!sink_ || !io_) return;
        const qint64 free_bytes = sink_->bytesFree();
        const auto frames = static_cast<std::size_t>(free_bytes / 4);
        if (frames == 0) return;
        // The whole buffer free again: the server played it dry and filled a gap with silence.
        if (fed_ && free_bytes >= sink_->bufferSize()) underruns_.fetch_add(1);
        fed_ = true;
        block_.resize(2 * frames);
        stream_.render(block_.data(), frames, clock_.now_ms());
        io_->write(reinterpret_cast<const char*>(block_.data()), static_cast<qint64>(frames * 4));
    }

    static constexpr int feed_interval_ms = 2;
    emu::SoundStream& stream_;
    host::Clock& clock_;
    int buffer_bytes_;
    std::atomic<int>& underruns_;
    bool fed_ = false;
    QAudioSink* sink_ = nullptr;
    QIODevice* io_ = nullptr;
    QTimer* timer_ = nullptr;
    std::vector<std::int16_t> block_;
};

AudioEngine::AudioEngine(host::Clock& clock, AudioTiming timing)
    : clock_(clock), timing_(timing), stream_(timing.stream_latency_ms) {
    thread_.setObjectName("kelvor-audio");
}

AudioEngine::~AudioEngine() {
    backend_.reset();
    if (worker_) {
        QMetaObject::invokeMethod(
            worker_,
            [w = worker_] {
                w->close();
                delete w;
            },
            Qt::BlockingQueuedConnection);
        worker_ = nullptr;
    }
    thread_.quit();
    thread_.wait();
}

bool AudioEngine::start() {
    if (running_) return true;
    if (output_device_count() == 0) return false;
    bool ok = false;
    if (timing_.backend != AudioBackendKind::qt) {
        const AudioFeed feed{stream_, clock_, underruns_};
        backend_ = timing_.backend == AudioBackendKind::pulse
                       ? make_pulse_backend(feed, timing_.sink_buffer_bytes)
                       : make_sdl_backend(feed, timing_.sink_buffer_bytes);
        ok = backend_->open();
        if (!ok) backend_.reset();
    } else {
        ok = start_qt_sink();
    }
    running_ = ok;
    // While the server fills its buffer the stream's timing is still settling; let that pass before the
    // program's first sound, so the first tone is timed like every later one.
    const double settled_frames = (emu::stream_settle_ms + 100) * emu::stream_samples_per_ms;
    for (int waited = 0; ok && waited < 1500 && double(stream_.stats().frames) < settled_frames; waited += 5)
        QThread::msleep(5);
    return ok;
}

bool AudioEngine::start_qt_sink() {
    if (!thread_.isRunning()) {
        thread_.start(QThread::TimeCriticalPriority);
    }
    if (!worker_) {
        worker_ = new AudioWorker(stream_, clock_, timing_.sink_buffer_bytes, underruns_);
        worker_->moveToThread(&thread_);
    }
    bool ok = false;
    QMetaObject::invokeMethod(
        worker_, [this, &ok] { ok = worker_->open(); }, Qt::BlockingQueuedConnection);
    return ok;
}

int AudioEngine::output_device_count() {
    return static_cast<int>(QMediaDevices::audioOutputs().size());
}

} // namespace kelvor::platform
