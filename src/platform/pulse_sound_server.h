#pragma once
// The sound server's default output, its volume and our own stream's volume, asked over PulseAudio's
// introspection API (PulseAudio, or PipeWire's PulseAudio service). Each query connects, asks and
// disconnects, waiting at most about a second: it runs at Start, after a reference run and as the
// stream opens, not in a loop.
#include "core/host/sound_server.h"

namespace kelvor::platform {

class PulseSoundServer final : public host::SoundServer {
  public:
    host::SoundServerState query() override;
};

// The server's outputs (its sinks), 0 without a server. Qt Multimedia lists the same sinks on Linux,
// but asking it starts Qt's own PulseAudio connection, which Qt 6.4 tears down at exit without its
// main loop's lock: a server event at that moment aborts the program inside libpulse.
int pulse_output_count();

} // namespace kelvor::platform
