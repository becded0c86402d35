#include "platform/pulse_connection.h"

#include "platform/audio_backend.h"

namespace kelvor::platform {

pa_context* connect_as_program(pa_threaded_mainloop* loop, pa_context_notify_cb_t on_state, void* userdata) {
    const StreamIdentity identity = program_stream_identity();
    PulseProplist app;
    app.set(PA_PROP_APPLICATION_NAME, identity.application_name);
    app.set(PA_PROP_APPLICATION_ID, identity.application_id);
    app.set(PA_PROP_APPLICATION_ICON_NAME, identity.icon_name);
    pa_context* context = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop), nullptr, app.p);
    if (context == nullptr) return nullptr;
    pa_context_set_state_callback(context, on_state, userdata);
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
        for (;;) {
            const pa_context_state_t s = pa_context_get_state(context);
            if (s == PA_CONTEXT_READY) return context;
            if (!PA_CONTEXT_IS_GOOD(s)) break;
            pa_threaded_mainloop_wait(loop);
        }
    }
    pa_context_set_state_callback(context, nullptr, nullptr);
    pa_context_disconnect(context);
    pa_context_unref(context);
    return nullptr;
}

} // namespace kelvor::platform
