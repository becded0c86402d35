#pragma once
// The wave images of the data stream, mixed into the stream sample by sample. An image plays once from
// its start and cuts off the one before it. A soft image fades in over its first 20 ms and out over its
// last 20 ms with a raised cosine, so the burst has no edge whose splatter could be heard below the
// tone itself; cut off early, it fades out over 20 ms from the cut instead of stopping dead. The images
// themselves are never changed: the fade is applied to what is mixed.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace kelvor::emu {

using SampleImage = std::shared_ptr<const std::vector<std::int16_t>>;

class ImagePlayer {
  public:
    // Length of each fade at the stream's rate.
    static constexpr std::size_t fade_frames = 882; // 20 ms at 44100 samples per second

    ImagePlayer();

    // Whether images started from now on fade; an image keeps what it started with.
    void set_soft(bool soft) { soft_ = soft; }
    bool soft() const { return soft_; }
    // Plays `image` from its first sample, cutting off the image playing (nothing when null or empty).
    void play(SampleImage image);
    void stop();
    // Adds the next `frames` samples to `mix`.
    void render_add(std::int32_t* mix, std::size_t frames);
    bool playing() const;

    // The fade's gain `k` samples from the image's edge: 0 at the edge, rising as a raised cosine to 1 at
    // `fade_frames`.
    double ramp(std::size_t k) const { return k < fade_frames ? ramp_[k] : 1.0; }

  private:
    struct Voice {
        SampleImage image;
        std::size_t pos = 0;
        std::size_t end = 0; // one past its last sample: the image's end, or 20 ms past a cut
        bool soft = false;
        bool active() const { return image != nullptr && pos < end; }
    };
    void cut();
    void render_voice(Voice& voice, std::int32_t* mix, std::size_t frames) const;

    Voice current_;
    // Soft images cut off while they fade out; a few at most, as each lasts 20 ms.
    std::array<Voice, 4> fading_{};
    bool soft_ = false;
    std::array<double, fade_frames> ramp_{};
};

} // namespace kelvor::emu
