#pragma once
// The room's microphone: a capture stream on the sound server's default source. Opened only while a test
// runs with the room watch on; nothing it captures is ever stored.
#include <cstddef>
#include <functional>
#include <string>

namespace kelvor::host {

class RoomMicrophone {
  public:
    // Mono samples in [-1, 1], called on the capture thread, block by block, in order.
    using Samples = std::function<void(const float* mono, std::size_t count)>;
    // Called once, on the capture thread, when an open stream fails or its source goes away; no Samples
    // call follows it. `why` is a sentence for the user.
    using Lost = std::function<void(const std::string& why)>;

    virtual ~RoomMicrophone() = default;
    // Opens the capture stream at `rate` Hz, mono. False, with `why` set to a sentence for the user, when
    // there is no sound server, no source, or the server or the desktop refuses the microphone.
    virtual bool open(int rate, Samples on_samples, Lost on_lost, std::string& why) = 0;
    // Closes the stream; once it returns no callback runs any more. Closing a closed microphone is nothing.
    virtual void close() = 0;
};

} // namespace kelvor::host
