#pragma once
// What the sound server can tell about where our tone goes and how loud it is turned.
#include <optional>
#include <string>

namespace kelvor::host {

struct SoundServerState {
    std::string default_sink;         // empty: no server or no output
    std::optional<int> sink_volume;   // percent, mean of the output's channels
    std::optional<int> stream_volume; // percent, our own stream; none while it is not on the server
};

class SoundServer {
  public:
    virtual ~SoundServer() = default;
    // Asks the server now; a server that does not answer gives an empty state.
    virtual SoundServerState query() = 0;
};

} // namespace kelvor::host
