#pragma once
// The one continuous audio stream of the program: the emulated OPL2 and PC speaker, and the wave images
// the program plays, mixed into 16-bit stereo at 44100 samples per second: mono into both channels, or
// into one of them alone when the stream is routed to one side.
//
// Two threads meet here. The user-interface thread stamps each port write and each image with the clock
// and queues it; it never renders and never waits. The audio thread renders blocks and applies every
// queued event at the sample position of its time stamp plus one fixed latency, so register writes
// 400 ms apart come out 400 ms apart whatever the sound server's buffering. Reads are answered at once
// on the user-interface side from what was written there.
//
// When nothing can sound, the audio side may let the stream sleep (the device stream paused, its thread
// idle) instead of rendering silence; the next event wakes it through a hook the audio side installs.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "emu/image_player.h"
#include "emu/opl2_chip.h"
#include "emu/pit_speaker.h"
#include "emu/port_bus.h"
#include "emu/spsc_queue.h"

namespace kelvor::emu {

constexpr int stream_sample_rate = 44100;
constexpr double stream_samples_per_ms = stream_sample_rate / 1000.0;
// After this long from the first block, the stream's timing follows the sound server's steady state.
constexpr double stream_settle_ms = 300;
// How long the stream must have been silent, with nothing able to sound, before it may sleep: longer
// than any silence inside a running test (a pulse's pause lasts 400 ms, and the data stream's image
// leaves 500 ms of its 800 ms period silent), with room for ticks a busy machine delivers late.
constexpr double stream_sleep_after_ms = 2000;

// Which channels the mix reaches.
enum class StreamChannels : std::uint8_t { both, left_only, right_only };

struct StreamEvent {
    enum class Kind : std::uint8_t { none, port_write, play, stop, route, soft_images };
    Kind kind = Kind::none;
    double time_ms = 0;
    std::uint16_t port = 0;
    std::uint8_t value = 0;
    SampleImage image;
};

struct StreamStats {
    std::uint64_t frames = 0; // rendered so far
    std::uint64_t events_applied = 0;
    std::uint64_t events_late = 0;    // arrived after their sample position had been rendered
    std::uint64_t events_dropped = 0; // queue full
    double lead_ms = 0;               // how far rendering runs ahead of the clock, as tracked
    double latency_ms = 0;            // how far behind its stamp an event sounds, beyond the lead
};

class SoundStream {
  public:
    // `latency_ms`: how far behind its time stamp an event sounds, beyond the server's own buffer;
    // it must cover the time between two render calls. The stream raises it to what the blocks the
    // server asks for need, where that is longer.
    explicit SoundStream(double latency_ms, std::size_t queue_capacity = 4096);

    // User-interface side.
    void write_port(double time_ms, std::uint16_t port, std::uint8_t value);
    std::uint8_t read_port(std::uint16_t port) const;
    // Plays `samples` (mono) from `time_ms` on, cutting off the image still playing.
    void play(double time_ms, SampleImage samples);
    void stop(double time_ms);
    // From `time_ms` on the mix reaches `channels` only; the other channel is silent.
    void route(double time_ms, StreamChannels channels);
    // Whether images started from `time_ms` on fade in and out (see ImagePlayer).
    void soften_images(double time_ms, bool soft);
    // Whether a port write reaches a device of this stream.
    bool answers(std::uint16_t port) const;

    // Audio side: renders `frames` interleaved stereo frames; `now_ms` is the clock at this call.
    void render(std::int16_t* stereo, std::size_t frames, double now_ms);
    // Audio side: the device ran dry and played silence the stream did not render, so the stream now
    // runs behind its old lead. The next block takes its timing afresh instead of waiting for the old
    // lead to leave the tracking windows (which would sound every event late by the gap until then).
    void resync_after_gap() { resync_ = true; }

    // Audio side, before the stream runs: what wakes the sleeping audio side. It is called on the thread
    // that queues an event (the user-interface thread), at most once per sleep, so it must only signal
    // (write to an eventfd, post a message), never wait or render.
    void set_wake(std::function<void()> wake) { wake_ = std::move(wake); }
    // Audio side, after a render: true when the stream may sleep now (no event queued, no image playing,
    // every channel of the chip keyed off, the speaker gate closed, and only silence rendered for
    // stream_sleep_after_ms); the caller then pauses or closes its device stream and stops rendering
    // until the wake hook runs. The first render after it takes its timing afresh, as after a gap.
    bool try_sleep();
    // Audio side, before the next render: the device stream starts anew, empty (after a sleep in which
    // the old one was closed).
    void start_fresh() { fresh_ = true; }
    bool asleep() const { return asleep_.load(); }

    StreamStats stats() const;

  private:
    void push(StreamEvent event);
    void apply(StreamEvent& event);
    void render_devices(std::int32_t* mix, std::size_t frames);
    // Renders frames [from, to) of the block and places them on the channels routed to.
    void render_segment(std::int16_t* stereo, std::size_t from, std::size_t to);
    double event_frame(double time_ms) const;
    // Whether nothing could sound after this block (`mix` its samples).
    bool quiet_after(const std::int32_t* mix, std::size_t frames);

    // Shared.
    SpscQueue<StreamEvent> queue_;
    std::atomic<std::uint64_t> dropped_{0};
    std::atomic<std::uint64_t> frames_done_{0};
    std::atomic<std::uint64_t> applied_{0};
    std::atomic<std::uint64_t> late_{0};
    std::atomic<double> lead_ms_{0};
    std::atomic<double> latency_ms_{0};
    std::atomic<bool> asleep_{false}; // cleared by whoever wakes it
    std::function<void()> wake_;

    // User-interface side.
    std::uint8_t control_port_written_ = 0;

    // Audio side.
    double latency_frames_;
    PortBus bus_;
    Opl2Chip opl2_{stream_sample_rate};
    PitSpeaker speaker_{stream_sample_rate};
    ImagePlayer images_;
    StreamChannels channels_ = StreamChannels::both;
    std::uint64_t frame_ = 0; // first frame of the next block
    bool anchored_ = false;
    bool resync_ = false;
    bool fresh_ = false;
    bool measuring_rise_ = false; // since a fresh start, with no gap
    bool rise_known_ = false;
    double first_lead_ = 0; // at the last fresh start
    double fresh_rise_ = 0; // how far the tracked lead rose above it while the buffer filled
    bool warming_up_ = false;
    double timing_taken_ms_ = 0; // when the lead was last taken afresh
    double offset_frames_ = 0;   // frame count minus clock in frames, tracked at its highest
    double window_start_ms_ = 0;
    double current_max_ = 0;  // highest lead in the running window
    double previous_max_ = 0; // and in the one before
    std::vector<std::int32_t> mix_;
    std::uint64_t quiet_frames_ = 0; // rendered since something could last sound
};

} // namespace kelvor::emu
