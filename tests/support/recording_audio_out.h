#pragma once
// A sound service that records what it was asked to do, and copies each image it was given, so a test
// can check that the image it played was not changed underneath it.
#include <string>
#include <vector>

#include "core/host/audio_out.h"

namespace kelvor::testing {

class RecordingAudioOut final : public host::AudioOut {
  public:
    bool play_image(const std::vector<std::uint8_t>& image) override {
        calls.push_back("play");
        playing = &image;
        played_copy = image;
        return devices > 0;
    }
    void stop() override {
        calls.push_back("stop");
        playing = nullptr;
    }
    int output_device_count() override { return devices; }

    // True while the image handed over last is still unchanged (or nothing plays).
    bool playing_image_intact() const { return playing == nullptr || *playing == played_copy; }

    int devices = 1;
    std::vector<std::string> calls;
    const std::vector<std::uint8_t>* playing = nullptr;
    std::vector<std::uint8_t> played_copy;
};

} // namespace kelvor::testing
