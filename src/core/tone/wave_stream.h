#pragma once
// The data stream output: one short sine tone for the current frequency and level, made as a complete
// RIFF/WAVE image in memory and handed to the system's sound service, which plays it asynchronously.
// Two images are kept, so the one last played stays intact while the next is made.
#include <array>
#include <cstdint>
#include <vector>

#include "core/diagnostics/log_buffer.h"
#include "core/host/audio_out.h"
#include "core/tone/wave_output.h"

namespace kelvor::tone {

// Format of every image: 300 ms of 16-bit mono at 44100 samples per second.
constexpr std::uint16_t wave_channels = 1;
constexpr std::uint16_t wave_bits_per_sample = 16;
constexpr std::uint16_t wave_bytes_per_sample = 2;
constexpr std::uint32_t wave_sample_rate = 44100;
constexpr std::uint32_t wave_duration_ms = 300;
constexpr std::uint16_t wave_base_amplitude = 100;
constexpr std::uint16_t wave_block_align = (wave_channels * wave_bits_per_sample) / 8;
constexpr std::uint32_t wave_bytes_per_second = wave_block_align * wave_sample_rate;
constexpr std::uint32_t wave_sample_count = (wave_duration_ms * wave_sample_rate) / 1000; // 13230
constexpr std::uint32_t wave_data_size = wave_sample_count * wave_block_align;            // 26460
constexpr std::size_t wave_header_size = 46;
constexpr std::size_t wave_image_size = wave_header_size + wave_data_size; // 26506

// Peak sample value for `level_db` above the calibration amplitude (`cal_volume` percent of `base`).
// Level 0 is quiet, not silent. Capped at the largest 16-bit sample so a level beyond the scale can
// never wrap the samples around.
std::uint16_t wave_amplitude(std::int8_t level_db, std::uint16_t base, std::uint16_t cal_volume);

// What one image was made from.
struct WaveValues {
    std::uint16_t frequency = 0;
    std::uint16_t amplitude = 0;
    std::int8_t level = 0;
};

// Replaces `image` with a complete RIFF/WAVE image of the tone; returns the values it was made from.
WaveValues write_wav(std::vector<std::uint8_t>& image, std::uint16_t freq_hz, std::int8_t level_db,
                     std::uint16_t cal_volume);

struct WaveBuffer {
    bool valid = false;
    WaveValues values;
    std::vector<std::uint8_t> image;
};

class WaveStream final : public WaveOutput {
  public:
    // `sound_log` is the "SOUND" log buffer.
    WaveStream(host::AudioOut& audio, diagnostics::LogBuffer& sound_log);

    void make_wave(std::uint16_t freq_hz, std::int8_t level_db, std::uint16_t cal_volume) override;
    void play_wave() override;
    void free_waves() override;
    int output_device_count() override;

    // 0 before the first image, then the buffer (1 or 2) that play_wave plays.
    int current() const { return current_; }
    const WaveBuffer& buffer(int which) const { return buffers_.at(static_cast<std::size_t>(which - 1)); }

  private:
    // Stops the sound service first when it may still be reading buffer `which`.
    void release_for_rewrite(int which);

    host::AudioOut& audio_;
    diagnostics::LogBuffer& sound_log_;
    std::array<WaveBuffer, 2> buffers_{};
    int current_ = 0;
    int handed_to_audio_ = 0; // buffer last given to the sound service, 0 when none may be playing
};

} // namespace kelvor::tone
