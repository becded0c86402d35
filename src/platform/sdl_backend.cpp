// SDL2's audio callback: SDL's own thread asks for a fixed number of frames whenever the device wants
// them, and the callback renders them from the stream.
#include <SDL.h>

#include <algorithm>
#include <cstdint>

#include "platform/audio_backend.h"

namespace kelvor::platform {

namespace {

class SdlBackend final : public AudioBackend {
  public:
    SdlBackend(AudioFeed feed, int buffer_bytes) : feed_(feed) {
        // SDL wants a power of two of frames.
        const int wanted = std::max(64, buffer_bytes / 4);
        while (frames_ * 2 <= wanted)
            frames_ *= 2;
    }
    ~SdlBackend() override {
        if (device_ != 0) SDL_CloseAudioDevice(device_);
        if (initialised_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    bool open() override {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        initialised_ = true;
        SDL_AudioSpec want{};
        want.freq = emu::stream_sample_rate;
        want.format = AUDIO_S16SYS;
        want.channels = 2;
        want.samples = static_cast<Uint16>(frames_);
        want.callback = &SdlBackend::pull;
        want.userdata = this;
        SDL_AudioSpec have{};
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0); // SDL converts whatever the device takes
        if (device_ == 0) return false;
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }

  private:
    // Runs in SDL's audio thread. SDL does not report underruns; a callback that comes later than the
    // device buffer lasts means the device ran dry in between.
    static void pull(void* self_ptr, Uint8* out, int len) {
        auto* self = static_cast<SdlBackend*>(self_ptr);
        if (self->delivered_ == 0) raise_audio_thread_priority();
        const double now = self->feed_.clock.now_ms();
        const double buffer_ms = self->frames_ / emu::stream_samples_per_ms;
        const double lead = self->delivered_ / emu::stream_samples_per_ms - now;
        if (self->delivered_ > 0 && lead < self->lead_ms_ - 2 * buffer_ms) {
            self->feed_.underruns.fetch_add(1);
            self->feed_.stream.resync_after_gap();
            self->lead_ms_ = lead;
        }
        self->lead_ms_ = std::max(self->lead_ms_, lead);
        const auto frames = static_cast<std::size_t>(len) / 4;
        self->feed_.stream.render(reinterpret_cast<std::int16_t*>(out), frames, now);
        self->delivered_ += double(frames);
    }

    AudioFeed feed_;
    int frames_ = 64;
    bool initialised_ = false;
    SDL_AudioDeviceID device_ = 0;
    double delivered_ = 0;
    double lead_ms_ = -1e300;
};

} // namespace

std::unique_ptr<AudioBackend> make_sdl_backend(AudioFeed feed, int buffer_bytes) {
    return std::make_unique<SdlBackend>(feed, buffer_bytes);
}

} // namespace kelvor::platform
