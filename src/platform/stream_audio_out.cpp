#include "platform/stream_audio_out.h"

#include <cstring>
#include <memory>

namespace kelvor::platform {
namespace {

std::uint32_t u32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24);
}
std::uint16_t u16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

} // namespace

std::vector<std::int16_t> wave_image_samples(const std::vector<std::uint8_t>& image) {
    const std::uint8_t* p = image.data();
    const std::size_t size = image.size();
    if (size < 12 || std::memcmp(p, "RIFF", 4) != 0 || std::memcmp(p + 8, "WAVE", 4) != 0) return {};
    std::uint16_t channels = 0, bits = 0, tag = 0;
    std::uint32_t rate = 0;
    // Walk the chunks: "fmt " describes the samples, "data" holds them.
    for (std::size_t at = 12; at + 8 <= size;) {
        const std::uint32_t chunk = u32(p + at + 4);
        const std::size_t body = at + 8;
        if (chunk > size - body) return {};
        if (std::memcmp(p + at, "fmt ", 4) == 0 && chunk >= 16) {
            tag = u16(p + body);
            channels = u16(p + body + 2);
            rate = u32(p + body + 4);
            bits = u16(p + body + 14);
        } else if (std::memcmp(p + at, "data", 4) == 0) {
            if (tag != 1 || bits != 16 || rate != emu::stream_sample_rate || channels < 1 || channels > 2)
                return {};
            const std::size_t frames = chunk / (2u * channels);
            std::vector<std::int16_t> out(frames);
            for (std::size_t i = 0; i < frames; ++i)
                out[i] = static_cast<std::int16_t>(u16(p + body + 2 * channels * i));
            return out;
        }
        at = body + chunk + (chunk & 1);
    }
    return {};
}

bool StreamAudioOut::play_image(const std::vector<std::uint8_t>& image) {
    const double now = engine_.clock().now_ms();
    auto samples = std::make_shared<const std::vector<std::int16_t>>(wave_image_samples(image));
    if (samples->empty()) {
        engine_.stream().stop(now); // a new sound cuts the old one off, even an unplayable one
        return false;
    }
    engine_.stream().play(now, std::move(samples));
    return engine_.running();
}

void StreamAudioOut::stop() {
    engine_.stream().stop(engine_.clock().now_ms());
}

} // namespace kelvor::platform
