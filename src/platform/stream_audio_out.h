#pragma once
// The sound service for in-memory wave images: each image joins the program's continuous stream at
// the moment it is handed over, and cuts off the one still playing. The samples are copied, so the
// caller's image may change as soon as this returns.
#include "core/host/audio_out.h"
#include "platform/audio_engine.h"

namespace kelvor::platform {

// The 16-bit PCM samples of a RIFF/WAVE image at the stream's rate, mono (a stereo image is reduced to
// its left channel); empty when the image is not such a file.
std::vector<std::int16_t> wave_image_samples(const std::vector<std::uint8_t>& image);

class StreamAudioOut final : public host::AudioOut {
  public:
    explicit StreamAudioOut(AudioEngine& engine) : engine_(engine) {}

    bool play_image(const std::vector<std::uint8_t>& image) override;
    void stop() override;
    int output_device_count() override { return AudioEngine::output_device_count(); }

  private:
    AudioEngine& engine_;
};

} // namespace kelvor::platform
