#include "platform/pulse_room_microphone.h"

#include <pulse/pulseaudio.h>

#include <cstdint>

#include "core/settings/interface_texts.h"
#include "platform/pulse_connection.h"

namespace kelvor::platform {

using settings::Text;

// Everything below runs with the main loop's lock held: in its thread (the callbacks) or under
// pa_threaded_mainloop_lock.
struct PulseRoomMicrophone::Stream {
    Stream(Samples s, Lost l, const std::atomic<bool>& german)
        : on_samples(std::move(s)), on_lost(std::move(l)), german(german) {}

    Samples on_samples;
    Lost on_lost;
    const std::atomic<bool>& german;
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    bool watching = false; // opened, and not yet closing: an end now is a loss
    bool lost = false;
    int monitor = -1; // of the source we record: -1 not known yet, 0 no, 1 a sink's monitor

    std::string text(Text id) const { return settings::text_in(id, german.load()); }
    std::string text(Text id, const char* value) const {
        return settings::text_in(id, german.load(), {value});
    }

    void lose() {
        if (!watching || lost) return;
        lost = true;
        on_lost(text(Text::room_lost));
    }

    static void context_state(pa_context* c, void* self_ptr) {
        auto* self = static_cast<Stream*>(self_ptr);
        if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(c))) self->lose();
        pa_threaded_mainloop_signal(self->loop, 0);
    }
    static void stream_state(pa_stream* s, void* self_ptr) {
        auto* self = static_cast<Stream*>(self_ptr);
        if (!PA_STREAM_IS_GOOD(pa_stream_get_state(s))) self->lose();
        pa_threaded_mainloop_signal(self->loop, 0);
    }
    // Another source now: its levels do not compare with the room heard so far.
    static void moved(pa_stream*, void* self_ptr) { static_cast<Stream*>(self_ptr)->lose(); }
    static void source_info(pa_context*, const pa_source_info* info, int eol, void* self_ptr) {
        auto* self = static_cast<Stream*>(self_ptr);
        if (eol == 0 && info) self->monitor = info->monitor_of_sink != PA_INVALID_INDEX ? 1 : 0;
        if (eol != 0) pa_threaded_mainloop_signal(self->loop, 0);
    }
    static void read(pa_stream* s, std::size_t, void* self_ptr) {
        auto* self = static_cast<Stream*>(self_ptr);
        while (pa_stream_readable_size(s) > 0) {
            const void* data = nullptr;
            std::size_t bytes = 0;
            if (pa_stream_peek(s, &data, &bytes) < 0 || bytes == 0) return;
            // A hole (no data) is a gap the server could not fill: nothing to measure there.
            if (data && self->watching && !self->lost)
                self->on_samples(static_cast<const float*>(data), bytes / sizeof(float));
            pa_stream_drop(s);
        }
    }

    // Why the stream did not open, from the server's error.
    std::string refusal() const {
        const int error = pa_context_errno(context);
        if (error == PA_ERR_NOENTITY) return text(Text::room_no_microphone);
        if (error == PA_ERR_ACCESS || error == PA_ERR_AUTHKEY) return text(Text::room_refused);
        return text(Text::room_not_opened, pa_strerror(error));
    }

    bool connect(int rate, bool monitors_count, std::string& why) {
        why = text(Text::room_no_server);
        context = connect_as_program(loop, &Stream::context_state, this);
        if (!context) return false;

        const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, static_cast<std::uint32_t>(rate), 1};
        PulseProplist media;
        // Measuring, not a call: "phone" would make a desktop duck the other sounds or pick a headset.
        media.set(PA_PROP_MEDIA_ROLE, "production");
        stream = pa_stream_new_with_proplist(context, "Room noise", &spec, nullptr, media.p);
        if (!stream) return (why = refusal(), false);
        pa_stream_set_state_callback(stream, &Stream::stream_state, this);
        pa_stream_set_read_callback(stream, &Stream::read, this);
        pa_stream_set_moved_callback(stream, &Stream::moved, this);
        pa_buffer_attr attr{};
        attr.maxlength = static_cast<std::uint32_t>(-1);
        attr.fragsize = static_cast<std::uint32_t>(rate / 20 * sizeof(float)); // 50 ms a block
        if (pa_stream_connect_record(stream, nullptr, &attr, PA_STREAM_ADJUST_LATENCY) < 0)
            return (why = refusal(), false);
        for (pa_stream_state_t s; (s = pa_stream_get_state(stream)) != PA_STREAM_READY;) {
            if (!PA_STREAM_IS_GOOD(s)) return (why = refusal(), false);
            pa_threaded_mainloop_wait(loop);
        }

        if (!monitors_count) {
            pa_operation* op = pa_context_get_source_info_by_index(
                context, pa_stream_get_device_index(stream), &Stream::source_info, this);
            while (op && pa_operation_get_state(op) == PA_OPERATION_RUNNING)
                pa_threaded_mainloop_wait(loop);
            if (op) pa_operation_unref(op);
            if (monitor != 0)
                return (why = text(monitor == 1 ? Text::room_only_monitor : Text::room_no_microphone), false);
        }
        watching = true;
        return true;
    }

    // The callbacks may still run as the stream and the connection end, until the main loop stops; with
    // `watching` off they report nothing.
    void disconnect() {
        watching = false;
        if (stream) pa_stream_disconnect(stream), pa_stream_unref(stream);
        if (context) pa_context_disconnect(context), pa_context_unref(context);
        stream = nullptr;
        context = nullptr;
    }
};

PulseRoomMicrophone::PulseRoomMicrophone(bool monitors_count) : monitors_count_(monitors_count) {}

PulseRoomMicrophone::~PulseRoomMicrophone() {
    close();
}

bool PulseRoomMicrophone::open(int rate, Samples on_samples, Lost on_lost, std::string& why) {
    close();
    auto s = std::make_unique<Stream>(std::move(on_samples), std::move(on_lost), german_);
    s->loop = pa_threaded_mainloop_new();
    if (!s->loop) return (why = s->text(Text::room_no_server), false);
    pa_threaded_mainloop_lock(s->loop);
    const bool open = pa_threaded_mainloop_start(s->loop) >= 0 && s->connect(rate, monitors_count_, why);
    if (!open) s->disconnect();
    pa_threaded_mainloop_unlock(s->loop);
    stream_ = std::move(s);
    if (!open) close();
    return open;
}

void PulseRoomMicrophone::close() {
    if (!stream_) return;
    pa_threaded_mainloop_lock(stream_->loop);
    stream_->disconnect();
    pa_threaded_mainloop_unlock(stream_->loop);
    pa_threaded_mainloop_stop(stream_->loop);
    pa_threaded_mainloop_free(stream_->loop);
    stream_.reset();
}

} // namespace kelvor::platform
