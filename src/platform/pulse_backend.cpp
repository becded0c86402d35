// PulseAudio's asynchronous API: a threaded main loop and one playback stream whose write callback
// renders exactly what the server asks for. With a small target length and ADJUST_LATENCY the server
// sizes its own buffering to it, so only a few milliseconds sit between a block and the sink.
//
// While the program's stream sleeps, ours is closed and the main loop's thread waits in poll: a corked
// stream would still hold the sink to our short latency, and a sink that never suspends (as the test
// environment's null sink) would go on waking every few milliseconds for it. The connection to the
// server stays open, so the first event after the sleep has a stream again within a round trip; the
// new stream starts empty, and the program's stream times its first block from how the last new one
// filled. PipeWire takes 30 to 40 ms to bring a new stream in, about as long as an event waits behind
// its stamp; an event whose place passed meanwhile sounds at the start of the first block, whole.
#include <pulse/pulseaudio.h>

#include <cstdint>

#include "platform/audio_backend.h"
#include "platform/pulse_connection.h"
#include "platform/wake_signal.h"

namespace kelvor::platform {
namespace {

class PulseBackend final : public AudioBackend {
  public:
    PulseBackend(AudioFeed feed, int buffer_bytes)
        : feed_(feed), buffer_bytes_(buffer_bytes), identity_(program_stream_identity()) {}
    ~PulseBackend() override { close(); }

    bool open() override {
        if (!wake_.valid()) return false;
        loop_ = pa_threaded_mainloop_new();
        if (!loop_) return false;
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
        pa_threaded_mainloop_lock(loop_);
        if (pa_threaded_mainloop_start(loop_) < 0) return fail_locked();
        context_ = connect_as_program(loop_, &PulseBackend::signal, this);
        if (!context_ || !connect_stream()) return fail_locked();
        for (;;) {
            const pa_stream_state_t s = pa_stream_get_state(stream_);
            if (s == PA_STREAM_READY) break;
            if (!PA_STREAM_IS_GOOD(s)) return fail_locked();
            pa_threaded_mainloop_wait(loop_);
        }
        wake_event_ = api->io_new(api, wake_.fd(), PA_IO_EVENT_INPUT, &PulseBackend::woken, this);
        close_event_ = api->defer_new(api, &PulseBackend::close_asleep, this);
        api->defer_enable(close_event_, 0);
        feed_.stream.set_wake([this] { wake_.signal(); });
        pa_threaded_mainloop_unlock(loop_);
        return true;
    }

  private:
    // With the main loop's lock held.
    bool connect_stream() {
        const pa_sample_spec spec{PA_SAMPLE_S16LE, emu::stream_sample_rate, 2};
        PulseProplist media;
        media.set(PA_PROP_MEDIA_ROLE, identity_.media_role);
        stream_ =
            pa_stream_new_with_proplist(context_, identity_.media_name.c_str(), &spec, nullptr, media.p);
        if (!stream_) return false;
        pa_stream_set_state_callback(stream_, &PulseBackend::signal_stream, this);
        pa_stream_set_write_callback(stream_, &PulseBackend::write, this);
        pa_stream_set_underflow_callback(stream_, &PulseBackend::underflow, this);
        const auto tlength = static_cast<std::uint32_t>(buffer_bytes_ / 4 * 4);
        pa_buffer_attr attr{};
        attr.maxlength = static_cast<std::uint32_t>(-1);
        attr.tlength = tlength;
        attr.prebuf = static_cast<std::uint32_t>(-1);
        attr.minreq = tlength / 16 * 4; // a quarter of the target, in whole frames
        attr.fragsize = static_cast<std::uint32_t>(-1);
        return pa_stream_connect_playback(stream_, nullptr, &attr, PA_STREAM_ADJUST_LATENCY, nullptr,
                                          nullptr) >= 0;
    }
    void drop_stream() {
        if (!stream_) return;
        pa_stream_set_state_callback(stream_, nullptr, nullptr);
        pa_stream_set_write_callback(stream_, nullptr, nullptr);
        pa_stream_set_underflow_callback(stream_, nullptr, nullptr);
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
        stream_ = nullptr;
    }

    bool fail_locked() {
        pa_threaded_mainloop_unlock(loop_);
        return fail();
    }
    bool fail() {
        close();
        return false;
    }
    void close() {
        if (!loop_) return;
        pa_threaded_mainloop_lock(loop_);
        feed_.stream.set_wake({});
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
        if (wake_event_) api->io_free(wake_event_);
        if (close_event_) api->defer_free(close_event_);
        wake_event_ = nullptr;
        close_event_ = nullptr;
        drop_stream();
        if (context_) {
            pa_context_disconnect(context_);
            pa_context_unref(context_);
            context_ = nullptr;
        }
        pa_threaded_mainloop_unlock(loop_);
        pa_threaded_mainloop_stop(loop_);
        pa_threaded_mainloop_free(loop_);
        loop_ = nullptr;
    }

    // Callbacks run in the main loop's thread, with its lock held.
    static void signal(pa_context*, void* self) {
        pa_threaded_mainloop_signal(static_cast<PulseBackend*>(self)->loop_, 0);
    }
    static void signal_stream(pa_stream*, void* self) {
        pa_threaded_mainloop_signal(static_cast<PulseBackend*>(self)->loop_, 0);
    }
    static void underflow(pa_stream*, void* self_ptr) {
        auto* self = static_cast<PulseBackend*>(self_ptr);
        self->feed_.underruns.fetch_add(1);
        self->feed_.stream.resync_after_gap();
    }
    static void write(pa_stream* s, std::size_t nbytes, void* self_ptr) {
        auto* self = static_cast<PulseBackend*>(self_ptr);
        if (!self->prioritised_) self->prioritised_ = (raise_audio_thread_priority(), true);
        if (self->asleep_) return;
        void* data = nullptr;
        std::size_t size = nbytes;
        if (pa_stream_begin_write(s, &data, &size) < 0 || !data) return;
        const std::size_t frames = size / 4;
        self->feed_.stream.render(static_cast<std::int16_t*>(data), frames, self->feed_.clock.now_ms());
        pa_stream_write(s, data, frames * 4, nullptr, 0, PA_SEEK_RELATIVE);
        if (self->feed_.stream.try_sleep()) {
            // The stream goes once this callback has returned.
            self->asleep_ = true;
            pa_threaded_mainloop_get_api(self->loop_)->defer_enable(self->close_event_, 1);
        }
    }
    static void close_asleep(pa_mainloop_api* api, pa_defer_event* event, void* self_ptr) {
        auto* self = static_cast<PulseBackend*>(self_ptr);
        api->defer_enable(event, 0);
        if (self->asleep_) self->drop_stream();
    }
    static void woken(pa_mainloop_api*, pa_io_event*, int, pa_io_event_flags_t, void* self_ptr) {
        auto* self = static_cast<PulseBackend*>(self_ptr);
        self->wake_.clear();
        if (!self->asleep_) return;
        self->asleep_ = false;
        // Woken before the old stream went: it simply goes on.
        if (self->stream_) return;
        self->feed_.stream.start_fresh();
        if (!self->connect_stream()) self->drop_stream();
    }

    AudioFeed feed_;
    int buffer_bytes_;
    StreamIdentity identity_;
    WakeSignal wake_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr; // none while asleep
    pa_io_event* wake_event_ = nullptr;
    pa_defer_event* close_event_ = nullptr;
    bool prioritised_ = false;
    bool asleep_ = false;
};

} // namespace

std::unique_ptr<AudioBackend> make_pulse_backend(AudioFeed feed, int buffer_bytes) {
    return std::make_unique<PulseBackend>(feed, buffer_bytes);
}

} // namespace kelvor::platform
