#pragma once
// The sound server's default output, its volume and our own stream's volume, asked over PulseAudio's
// introspection API (PulseAudio, or PipeWire's PulseAudio service). Each query connects, asks and
// disconnects, waiting at most about a second: it runs at Start and after a reference run, not in a loop.
#include "core/host/sound_server.h"

namespace kelvor::platform {

class PulseSoundServer final : public host::SoundServer {
  public:
    host::SoundServerState query() override;
};

} // namespace kelvor::platform
