#include "emu/image_player.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kelvor::emu {

ImagePlayer::ImagePlayer() {
    for (std::size_t k = 0; k < fade_frames; ++k)
        ramp_[k] = 0.5 - 0.5 * std::cos(std::numbers::pi * double(k) / double(fade_frames));
}

bool ImagePlayer::playing() const {
    return current_.active() ||
           std::any_of(fading_.begin(), fading_.end(), [](const Voice& v) { return v.active(); });
}

void ImagePlayer::cut() {
    if (!current_.active()) {
        current_ = {};
        return;
    }
    if (current_.soft) {
        // Fades out over the next 20 ms, in a slot of its own; a full set gives up the one nearest its end.
        current_.end = std::min(current_.end, current_.pos + fade_frames);
        Voice* slot = &fading_[0];
        for (Voice& v : fading_) {
            if (!v.active()) {
                slot = &v;
                break;
            }
            if (v.end - v.pos < slot->end - slot->pos) slot = &v;
        }
        *slot = std::move(current_);
    }
    current_ = {};
}

void ImagePlayer::play(SampleImage image) {
    cut();
    if (!image || image->empty()) return;
    const std::size_t size = image->size();
    current_ = {std::move(image), 0, size, soft_};
}

void ImagePlayer::stop() {
    cut();
}

void ImagePlayer::render_voice(Voice& voice, std::int32_t* mix, std::size_t frames) const {
    if (!voice.active()) return;
    const std::vector<std::int16_t>& samples = *voice.image;
    const std::size_t n = std::min(frames, voice.end - voice.pos);
    if (!voice.soft) {
        for (std::size_t i = 0; i < n; ++i)
            mix[i] += samples[voice.pos + i];
    } else {
        // Fade-in from the image's start, fade-out towards its end (or the cut's), whichever is lower.
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t at = voice.pos + i;
            const double gain = std::min(ramp(at), ramp(voice.end - 1 - at));
            mix[i] += static_cast<std::int32_t>(std::lround(samples[at] * gain));
        }
    }
    voice.pos += n;
    if (voice.pos >= voice.end) voice = {};
}

void ImagePlayer::render_add(std::int32_t* mix, std::size_t frames) {
    if (frames == 0) return;
    render_voice(current_, mix, frames);
    for (Voice& v : fading_)
        render_voice(v, mix, frames);
}

} // namespace kelvor::emu
