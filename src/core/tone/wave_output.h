#pragma once
// The wave data stream path as tone output control sees it: build the tone image for the current
// frequency, level and calibration volume, play it, free the images, and count the output devices.
#include <cstdint>

namespace kelvor::tone {

class WaveOutput {
  public:
    virtual ~WaveOutput() = default;
    virtual void make_wave(std::uint16_t freq_hz, std::int8_t level_db, std::uint16_t cal_volume) = 0;
    virtual void play_wave() = 0;
    virtual void free_waves() = 0;
    virtual int output_device_count() = 0;
};

} // namespace kelvor::tone
