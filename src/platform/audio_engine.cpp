#include "platform/audio_engine.h"

#include "platform/pulse_sound_server.h"

#include <QThread>

#include <pthread.h>
#include <sched.h>

namespace kelvor::platform {

AudioTiming audio_timing_for(AudioBackendKind kind) {
    switch (kind) {
    case AudioBackendKind::qt:
        // 50 ms asked for, PulseAudio grants about 37 ms, refilled in steps of about 12.5 ms; the
        // latency covers a step and the feeding timer's jitter. Smaller buffers made the sink play
        // nothing or crash in one measurement, and underrun on a busy machine.
        return {kind, 8820, 20};
    case AudioBackendKind::pulse:
        break;
    }
    return {};
}

StreamIdentity program_stream_identity() {
    return {"Kelvor", KELVOR_APP_ID, KELVOR_ICON_NAME, "Test tone", "test"};
}

void raise_audio_thread_priority() {
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO) + 9;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
}

std::optional<AudioBackendKind> audio_backend_from_name(std::string_view name) {
    if (name == "pulse") return AudioBackendKind::pulse;
    if (name == "qt") return AudioBackendKind::qt;
    return std::nullopt;
}

const char* audio_backend_name(AudioBackendKind kind) {
    switch (kind) {
    case AudioBackendKind::pulse:
        return "pulse";
    case AudioBackendKind::qt:
        return "qt";
    }
    return "?";
}

AudioEngine::AudioEngine(host::Clock& clock, AudioTiming timing)
    : clock_(clock), timing_(timing), stream_(timing.stream_latency_ms) {}

AudioEngine::~AudioEngine() {
    backend_.reset();
}

bool AudioEngine::start() {
    if (running_) return true;
    if (output_device_count() == 0) return false;
    const AudioFeed feed{stream_, clock_, underruns_};
    backend_ = timing_.backend == AudioBackendKind::qt ? make_qt_backend(feed, timing_.sink_buffer_bytes)
                                                       : make_pulse_backend(feed, timing_.sink_buffer_bytes);
    const bool ok = backend_->open();
    if (!ok) backend_.reset();
    running_ = ok;
    return ok;
}

void AudioEngine::wait_until_settled() {
    const double settled_frames = (emu::stream_settle_ms + 100) * emu::stream_samples_per_ms;
    for (int waited = 0; running_ && waited < 1500 && double(stream_.stats().frames) < settled_frames;
         waited += 5)
        QThread::msleep(5);
}

int AudioEngine::output_device_count() {
    return pulse_output_count();
}

} // namespace kelvor::platform
