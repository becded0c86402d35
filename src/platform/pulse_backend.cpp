// PulseAudio's asynchronous API: a threaded main loop and one playback stream whose write callback
// renders exactly what the server asks for. With a small target length and ADJUST_LATENCY the server
// sizes its own buffering to it, so only a few milliseconds sit between a block and the sink.
#include <pulse/pulseaudio.h>

#include <cstdint>

#include "platform/audio_backend.h"

namespace kelvor::platform {
namespace {

class PulseBackend final : public AudioBackend {
  public:
    PulseBackend(AudioFeed feed, int buffer_bytes) : feed_(feed), buffer_bytes_(buffer_bytes) {}
    ~PulseBackend() override { close(); }

    bool open() override {
        loop_ = pa_threaded_mainloop_new();
        if (!loop_) return false;
        context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Kelvor");
        if (!context_) return fail();
        pa_context_set_state_callback(context_, &PulseBackend::signal, this);
        // Never start a server of our own: no server means no sound card.
        if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return fail();
        pa_threaded_mainloop_lock(loop_);
        if (pa_threaded_mainloop_start(loop_) < 0) return fail_locked();
        for (;;) {
            const pa_context_state_t s = pa_context_get_state(context_);
            if (s == PA_CONTEXT_READY) break;
            if (!PA_CONTEXT_IS_GOOD(s)) return fail_locked();
            pa_threaded_mainloop_wait(loop_);
        }
        const pa_sample_spec spec{PA_SAMPLE_S16LE, emu::stream_sample_rate, 2};
        stream_ = pa_stream_new(context_, "Kelvor tones", &spec, nullptr);
        if (!stream_) return fail_locked();
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
        const auto flags = static_cast<pa_stream_flags_t>(
            PA_STREAM_ADJUST_LATENCY | PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE);
        if (pa_stream_connect_playback(stream_, nullptr, &attr, flags, nullptr, nullptr) < 0)
            return fail_locked();
        for (;;) {
            const pa_stream_state_t s = pa_stream_get_state(stream_);
            if (s == PA_STREAM_READY) break;
            if (!PA_STREAM_IS_GOOD(s)) return fail_locked();
            pa_threaded_mainloop_wait(loop_);
        }
        pa_threaded_mainloop_unlock(loop_);
        return true;
    }

  private:
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
        if (stream_) {
            pa_stream_disconnect(stream_);
            pa_stream_unref(stream_);
            stream_ = nullptr;
        }
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
    // Runs in the main loop's thread, with its lock held.
    static void write(pa_stream* s, std::size_t nbytes, void* self_ptr) {
        auto* self = static_cast<PulseBackend*>(self_ptr);
        if (!self->prioritised_) self->prioritised_ = (raise_audio_thread_priority(), true);
        void* data = nullptr;
        std::size_t size = nbytes;
        if (pa_stream_begin_write(s, &data, &size) < 0 || !data) return;
        const std::size_t frames = size / 4;
        self->feed_.stream.render(static_cast<std::int16_t*>(data), frames, self->feed_.clock.now_ms());
        pa_stream_write(s, data, frames * 4, nullptr, 0, PA_SEEK_RELATIVE);
    }

    AudioFeed feed_;
    int buffer_bytes_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    bool prioritised_ = false;
};

} // namespace

std::unique_ptr<AudioBackend> make_pulse_backend(AudioFeed feed, int buffer_bytes) {
    return std::make_unique<PulseBackend>(feed, buffer_bytes);
}

} // namespace kelvor::platform
