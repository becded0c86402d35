#include "core/tone/wave_stream.h"

#include <cmath>
#include <numbers>
#include <string>

namespace kelvor::tone {
namespace {

void put_u16(std::uint8_t* at, std::uint16_t v) {
    at[0] = static_cast<std::uint8_t>(v & 0xFF);
    at[1] = static_cast<std::uint8_t>(v >> 8);
}

void put_u32(std::uint8_t* at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF);
}

void put_tag(std::uint8_t* at, const char* tag) {
    for (int i = 0; tag[i] != '\0'; ++i)
        at[i] = static_cast<std::uint8_t>(tag[i]);
}

// Header layout (little-endian):
//   0 "RIFF" | 4 data size + 38 | 8 "WAVEfmt " | 16 format size 18 | 20 PCM tag 1 | 22 channels
//  24 rate   | 28 bytes/second  | 32 block align | 34 bits/sample | 36 extra size 0 | 38 "data" | 42 data
//  size
void write_header(std::uint8_t* h) {
    put_tag(h + 0, "RIFF");
    put_u32(h + 4, wave_data_size + 38);
    put_tag(h + 8, "WAVEfmt ");
    put_u32(h + 16, 18);
    put_u16(h + 20, 1);
    put_u16(h + 22, wave_channels);
    put_u32(h + 24, wave_sample_rate);
    put_u32(h + 28, wave_bytes_per_second);
    put_u16(h + 32, wave_block_align);
    put_u16(h + 34, wave_bits_per_sample);
    put_u16(h + 36, 0);
    put_tag(h + 38, "data");
    put_u32(h + 42, wave_data_size);
}

} // namespace

std::uint16_t wave_amplitude(std::int8_t level_db, std::uint16_t base, std::uint16_t cal_volume) {
    double peak;
    if (level_db == 0) {
        peak = std::trunc(cal_volume * base * 0.01);
    } else {
        const double gain = std::exp(std::numbers::ln10 * level_db * 0.05);
        const double scaled = gain * cal_volume * 0.01;
        peak = std::trunc(scaled * base);
    }
    if (peak > 32767.0) return 32767;
    return static_cast<std::uint16_t>(peak);
}

WaveValues write_wav(std::vector<std::uint8_t>& image, std::uint16_t freq_hz, std::int8_t level_db,
                     std::uint16_t cal_volume) {
    const WaveValues values{freq_hz, wave_amplitude(level_db, wave_base_amplitude, cal_volume), level_db};
    image.assign(wave_image_size, 0);
    write_header(image.data());

    // The sine starts at phase 0 in every image, with no fade: each image is one tone burst.
    const double omega = values.frequency * 2.0 * std::numbers::pi;
    std::uint8_t* out = image.data() + wave_header_size;
    for (std::uint32_t t = 0; t < wave_sample_count; ++t) {
        const auto s =
            static_cast<std::int32_t>(std::trunc(std::sin(t * omega / wave_sample_rate) * values.amplitude));
        put_u16(out + 2 * t, static_cast<std::uint16_t>(s & 0xFFFF));
    }
    return values;
}

WaveStream::WaveStream(host::AudioOut& audio, diagnostics::LogBuffer& sound_log)
    : audio_(audio), sound_log_(sound_log) {}

void WaveStream::release_for_rewrite(int which) {
    if (handed_to_audio_ == which) {
        audio_.stop();
        handed_to_audio_ = 0;
    }
}

void WaveStream::make_wave(std::uint16_t freq_hz, std::int8_t level_db, std::uint16_t cal_volume) {
    const int target = current_ == 1 ? 2 : 1;
    release_for_rewrite(target);
    WaveBuffer& buf = buffers_[static_cast<std::size_t>(target - 1)];
    buf.valid = false;
    buf.values = write_wav(buf.image, freq_hz, level_db, cal_volume);
    buf.valid = true;
    if (current_ != 0) {
        sound_log_.add_line(" Freq: " + std::to_string(buf.values.frequency) + " Hz " +
                            std::to_string(buf.values.level) +
                            " dB  Volume: " + std::to_string(buf.values.amplitude));
    }
    current_ = target;
}

void WaveStream::play_wave() {
    if (current_ == 0) return;
    const WaveBuffer& buf = buffers_[static_cast<std::size_t>(current_ - 1)];
    if (!buf.valid) return;
    // Whatever the result, the service may hold the image now; a machine without output stays silent
    // (the Start command's presence check tells the user).
    audio_.play_image(buf.image);
    handed_to_audio_ = current_;
}

void WaveStream::free_waves() {
    if (handed_to_audio_ != 0) audio_.stop();
    handed_to_audio_ = 0;
    for (WaveBuffer& buf : buffers_) {
        buf.valid = false;
        std::vector<std::uint8_t>().swap(buf.image);
    }
}

int WaveStream::output_device_count() {
    return audio_.output_device_count();
}

} // namespace kelvor::tone
