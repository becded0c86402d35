#pragma once
// The connection to the sound server that each of our streams goes through: the program's name, id and
// icon in the mixer's list of clients, and never a server started of our own (no server means no sound
// card, and no microphone).
#include <pulse/pulseaudio.h>

#include <string>

namespace kelvor::platform {

// A property list that is freed with its scope.
struct PulseProplist {
    pa_proplist* p = pa_proplist_new();
    PulseProplist() = default;
    PulseProplist(const PulseProplist&) = delete;
    PulseProplist& operator=(const PulseProplist&) = delete;
    ~PulseProplist() { pa_proplist_free(p); }
    void set(const char* key, const std::string& value) {
        if (!value.empty()) pa_proplist_sets(p, key, value.c_str());
    }
};

// Connects to the default server through the running threaded main loop `loop`, whose lock the caller
// holds, and waits until the connection is ready. `on_state` becomes the connection's state callback and
// must signal the loop. Null when no server answers; nothing is left of the attempt then.
pa_context* connect_as_program(pa_threaded_mainloop* loop, pa_context_notify_cb_t on_state, void* userdata);

} // namespace kelvor::platform
