#pragma once
// The ways the audio thread can reach the sound server. Each one pulls the program's continuous stream
// from emu::SoundStream in the server's own rhythm; they differ in how much buffering sits between a
// rendered block and the loudspeaker. While the stream sleeps (nothing can sound), each pauses its
// server stream and renders nothing until the stream's wake hook fires.
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/host/clock.h"
#include "emu/sound_stream.h"

namespace kelvor::platform {

enum class AudioBackendKind {
    pulse, // PulseAudio's asynchronous API: the server asks for each block
    qt,    // QAudioSink in a thread of its own, pushed by a timer
};

// "pulse", "qt" (as KELVOR_AUDIO gives them); nothing for any other name.
std::optional<AudioBackendKind> audio_backend_from_name(std::string_view name);
const char* audio_backend_name(AudioBackendKind kind);

// What the desktop's mixer (pavucontrol, the desktop's sound settings) shows for our stream, as
// PulseAudio properties: the user sets the volume and chooses the ear there.
struct StreamIdentity {
    std::string application_name; // application.name
    std::string application_id;   // application.id: the name of our menu entry
    std::string icon_name;        // application.icon_name: the icon of our menu entry
    std::string media_name;       // media.name: what the stream plays
    std::string media_role;       // media.role
};
StreamIdentity program_stream_identity();

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
std::unique_ptr<AudioBackend> make_qt_backend(AudioFeed feed, int buffer_bytes);

} // namespace kelvor::platform
