#include "platform/pulse_sound_server.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <pulse/pulseaudio.h>
#include <string>
#include <unistd.h>

namespace kelvor::platform {

namespace {

constexpr auto answer_limit = std::chrono::milliseconds(1000);

int percent(const pa_cvolume& volume) {
    return static_cast<int>(std::lround(100.0 * pa_cvolume_avg(&volume) / PA_VOLUME_NORM));
}

struct Query {
    pa_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    int pending = 0;
    host::SoundServerState state;
    int sinks = 0;
    std::string own_pid = std::to_string(::getpid());

    Query() = default;
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;
    ~Query() {
        if (context != nullptr) {
            pa_context_disconnect(context);
            pa_context_unref(context);
        }
        if (loop != nullptr) pa_mainloop_free(loop);
    }

    // A connection of its own, named for the mixer's client list; false if no server answers in time.
    bool connect(const char* name) {
        loop = pa_mainloop_new();
        if (loop == nullptr) return false;
        pa_proplist* props = pa_proplist_new();
        pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, name);
        context = pa_context_new_with_proplist(pa_mainloop_get_api(loop), nullptr, props);
        pa_proplist_free(props);
        return context != nullptr &&
               pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0 &&
               run_until([](Query& x) { return pa_context_get_state(x.context) == PA_CONTEXT_READY; });
    }

    // Counts a request whose answer is awaited; a request that could not be sent is not.
    void expect(pa_operation* op) {
        if (op == nullptr) return;
        ++pending;
        pa_operation_unref(op);
    }

    static void on_sink(pa_context*, const pa_sink_info* info, int eol, void* self_ptr) {
        auto* self = static_cast<Query*>(self_ptr);
        if (eol != 0) {
            --self->pending;
            return;
        }
        if (info != nullptr) self->state.sink_volume = percent(info->volume);
    }

    static void on_any_sink(pa_context*, const pa_sink_info* info, int eol, void* self_ptr) {
        auto* self = static_cast<Query*>(self_ptr);
        if (eol != 0)
            --self->pending;
        else if (info != nullptr)
            ++self->sinks;
    }

    static void on_sink_input(pa_context*, const pa_sink_input_info* info, int eol, void* self_ptr) {
        auto* self = static_cast<Query*>(self_ptr);
        if (eol != 0) {
            --self->pending;
            return;
        }
        if (info == nullptr) return;
        const char* pid = pa_proplist_gets(info->proplist, PA_PROP_APPLICATION_PROCESS_ID);
        if (pid != nullptr && self->own_pid == pid && info->has_volume)
            self->state.stream_volume = percent(info->volume);
    }

    static void on_server(pa_context* context, const pa_server_info* info, void* self_ptr) {
        auto* self = static_cast<Query*>(self_ptr);
        --self->pending;
        if (info == nullptr || info->default_sink_name == nullptr) return;
        self->state.default_sink = info->default_sink_name;
        self->expect(pa_context_get_sink_info_by_name(context, info->default_sink_name, &on_sink, self));
    }

    // Runs the loop until nothing is pending, the context fails or the time is up.
    bool run_until(bool (*done)(Query&)) {
        const auto until = std::chrono::steady_clock::now() + answer_limit;
        while (!done(*this)) {
            const pa_context_state_t s = pa_context_get_state(context);
            if (s == PA_CONTEXT_FAILED || s == PA_CONTEXT_TERMINATED) return false;
            if (std::chrono::steady_clock::now() > until) return false;
            // Short waits: the loop must look at the clock now and then.
            pa_mainloop_prepare(loop, 20000);
            pa_mainloop_poll(loop);
            pa_mainloop_dispatch(loop);
        }
        return true;
    }
};

} // namespace

host::SoundServerState PulseSoundServer::query() {
    Query q;
    if (!q.connect("Kelvor volume check")) return {};
    q.expect(pa_context_get_server_info(q.context, &Query::on_server, &q));
    q.expect(pa_context_get_sink_input_info_list(q.context, &Query::on_sink_input, &q));
    if (!q.run_until([](Query& x) { return x.pending <= 0; })) return {};
    return q.state;
}

int pulse_output_count() {
    Query q;
    if (!q.connect("Kelvor output check")) return 0;
    q.expect(pa_context_get_sink_info_list(q.context, &Query::on_any_sink, &q));
    if (!q.run_until([](Query& x) { return x.pending <= 0; })) return 0;
    return q.sinks;
}

} // namespace kelvor::platform
