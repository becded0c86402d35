#pragma once
// The system's sound service: plays an in-memory RIFF/WAVE image.
#include <cstdint>
#include <vector>

namespace kelvor::host {

class AudioOut {
  public:
    virtual ~AudioOut() = default;
    // Starts playing `image` asynchronously, cutting off whatever this output still plays. The image must
    // stay unchanged until the next call (or until stop()): the service may still be reading it.
    virtual bool play_image(const std::vector<std::uint8_t>& image) = 0;
    virtual void stop() = 0;
    // Number of wave output devices the system offers.
    virtual int output_device_count() = 0;
};

} // namespace kelvor::host
