#pragma once
// The audio thread: the program's continuous stream (emulated OPL2, PC speaker and the wave images) on
// the default output device, through the backend AudioTiming names.
#include <atomic>
#include <memory>

#include "core/host/clock.h"
#include "emu/sound_stream.h"
#include "platform/audio_backend.h"

namespace kelvor::platform {

// Which backend the audio thread uses, and how much it buffers. audio_timing_for gives each backend the
// timing it was measured with (bench/README.md); the default is PulseAudio's API, which ran dry least
// often on a loaded machine.
struct AudioTiming {
    AudioBackendKind backend = AudioBackendKind::pulse;
    // The device buffer asked for, in bytes of 16-bit stereo. PulseAudio's: a 40 ms target, of which
    // the server keeps about a quarter in the sink and asks for a quarter at a time; smaller targets
    // (15 to 30 ms) ran dry while other programs kept both cores busy.
    int sink_buffer_bytes = 7056;
    // How far behind its clock stamp an event sounds, beyond the server's buffer: it covers the time
    // between two render calls (a quarter of the target) and their jitter.
    double stream_latency_ms = 10;
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
    // device or it cannot be opened. Blocks until the stream has started or failed.
    bool start();
    // While the server fills its buffer the stream's timing is still settling (a tone's first event may
    // land a few milliseconds sooner than the ones after it); this waits that out, for measurements
    // that sound at once. The program does not wait (it would only delay its window): its first tone
    // comes after Start, usually after the stream has slept and started afresh, which settles the same way.
    void wait_until_settled();
    bool running() const { return running_.load(); }
    // Times the device ran dry (the machine too busy to feed it).
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
    std::atomic<bool> running_{false};
    std::atomic<int> underruns_{0};
    std::unique_ptr<AudioBackend> backend_;
};

} // namespace kelvor::platform
