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

// The server's outputs (its sinks), 0 without a server: the sinks Qt Multimedia would list, without
// starting Qt's PulseAudio engine (platform/process_end.h says why that matters at exit).
int pulse_output_count();

} // namespace kelvor::platform
