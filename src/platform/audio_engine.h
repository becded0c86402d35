#pragma once
// The audio thread: the program's continuous stream (emulated OPL2, PC speaker and the wave images) on
// the default output device, through the backend AudioTiming names. Qt's sink, the default, lives with
// its feeding timer in a QThread of its own because the user-interface thread busy-waits between chip
// writes; fed from there, the sound would starve. The other backends bring their own thread.
#include <QThread>
#include <atomic>
#include <memory>

#include "core/host/clock.h"
#include "emu/sound_stream.h"
#include "platform/audio_backend.h"

namespace kelvor::platform {

class AudioWorker;

// Which backend the audio thread uses, and how much it buffers. The default is Qt's sink;
// audio_timing_for gives each backend the timing it was measured with (bench/README.md).
struct AudioTiming {
    AudioBackendKind backend = AudioBackendKind::qt;
    // The device buffer asked for, in bytes of 16-bit stereo. Qt's sink: 50 ms requested, PulseAudio
    // grants about 37 ms; smaller buffers made it play nothing or crash in one measurement, and underrun
    // on a busy machine.
    int sink_buffer_bytes = 8820;
    // How far behind its clock stamp an event sounds, beyond the server's buffer: it covers the time
    // between two render calls and their jitter (for Qt's sink, its refill step of about 12.5 ms and the
    // feeding timer's jitter).
    double stream_latency_ms = 20;
};

// The timing each backend was measured with (bench/README.md).
AudioTiming audio_timing_for(AudioBackendKind kind);

class AudioEngine {
  public:
    // `clock` must be the clock the user-interface side stamps its events with, and safe to read from
    // the audio thread.
    explicit AudioEngine(host::Clock& clock, AudioTiming timing = {});
    ~AudioEngine();
    AudioEngine(const AudioEngine&) = delete;
    AudioEngine& operator=(const AudioEngine&) = delete;

    // Opens the default output device and starts the stream; false (and stays silent) when there is no
    // device or it cannot be opened. Blocks until the sink has started or failed.
    bool start();
    bool running() const { return running_.load(); }
    // Times the sink ran dry (the machine too busy to feed it): each shifts later sound by the gap.
    int underruns() const { return underruns_.load(); }

    emu::SoundStream& stream() { return stream_; }
    const AudioTiming& timing() const { return timing_; }
    host::Clock& clock() { return clock_; }

    // Number of audio output devices the system offers.
    static int output_device_count();

  private:
    host::Clock& clock_;
    AudioTiming timing_;
    emu::SoundStream stream_;
    QThread thread_;
    AudioWorker* worker_ = nullptr; // lives in thread_
    std::atomic<bool> running_{false};
    std::atomic<int> underruns_{0};
    std::unique_ptr<AudioBackend> backend_; // when not the Qt sink

    bool start_qt_sink();
};

} // namespace kelvor::platform
