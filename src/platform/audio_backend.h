#pragma once
// The ways the audio thread can reach the sound server. Each one pulls the program's continuous stream
// from emu::SoundStream in the server's own rhythm; they differ in how much buffering sits between a
// rendered block and the loudspeaker.
#include <atomic>
#include <memory>
#include <optional>
#include <string_view>

#include "core/host/clock.h"
#include "emu/sound_stream.h"

namespace kelvor::platform {

enum class AudioBackendKind {
    qt,    // QAudioSink in a thread of its own, pushed by a timer
    pulse, // PulseAudio's asynchronous API: the server asks for each block
    sdl,   // SDL2's audio callback (on PulseAudio underneath)
};

// "qt", "pulse", "sdl" (as KELVOR_AUDIO gives them); nothing for any other name.
std::optional<AudioBackendKind> audio_backend_from_name(std::string_view name);
const char* audio_backend_name(AudioBackendKind kind);

// What a backend renders from and reports to.
struct AudioFeed {
    emu::SoundStream& stream;
    host::Clock& clock;
    std::atomic<int>& underruns;
};

// A device stream that runs its own thread and calls `feed.stream.render` whenever it needs samples.
class AudioBackend {
  public:
    virtual ~AudioBackend() = default;
    // Opens the default output and starts pulling; false (and silent) when the server cannot be reached
    // or refuses the stream.
    virtual bool open() = 0;
};

// Asks for real-time scheduling of the calling thread (the one that renders the stream), so a busy
// machine cannot starve a small device buffer. Allowed for root or under an RLIMIT_RTPRIO grant; where
// refused, the thread keeps its normal priority and nothing else changes.
void raise_audio_thread_priority();

// `buffer_bytes`: the device buffer asked for (16-bit stereo at the stream's rate).
std::unique_ptr<AudioBackend> make_pulse_backend(AudioFeed feed, int buffer_bytes);
std::unique_ptr<AudioBackend> make_sdl_backend(AudioFeed feed, int buffer_bytes);

} // namespace kelvor::platform
