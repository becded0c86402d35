#pragma once
// The fixed frequency scale of the test (30 positions, index 0 = not on the scale) and the level scale.
#include <cstdint>

namespace kelvor::hearing {

constexpr std::uint8_t freq_index_count = 30;

constexpr std::uint16_t f_min_normal = 125;
constexpr std::uint16_t f_min_extended = 75;
constexpr std::uint16_t f_max_normal = 8000;
constexpr std::uint16_t f_max_extended = 16000;
constexpr std::uint16_t f_limit = 20000;

constexpr std::uint8_t track_max_normal = 22;
constexpr std::uint8_t track_max_extended = 28;

constexpr std::int8_t level_min_db = 0;
constexpr std::int8_t level_max_db = 48;
constexpr std::int8_t calibration_level_db = 12;
constexpr std::uint16_t calibration_freq_hz = 1000;

// Exact table frequency -> index 1..30; any other value -> 0.
std::uint8_t freq_to_index(std::uint16_t freq_hz);
// Index 1..30 -> its frequency; 0 and anything above 30 -> 500 Hz.
std::uint16_t index_to_freq(std::uint8_t index);
// The logarithm stored with each index (three decimals); 0 and above 30 -> the 500 Hz value.
double index_ln_freq(std::uint8_t index);
// Natural logarithm by the series 2(y + y^3/3 + ...), y = (x-1)/(x+1); stops once y^k is no more than 1e-4.
double ln_series(double x);

} // namespace kelvor::hearing
