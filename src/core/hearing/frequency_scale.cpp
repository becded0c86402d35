#include "core/hearing/frequency_scale.h"

#include <array>

namespace kelvor::hearing {

namespace {

struct ScalePoint {
    std::uint16_t freq_hz;
    double ln_freq; // stored rounded to three decimals; the chart places points by these
};

constexpr std::array<ScalePoint, freq_index_count + 1> scale{{
    {500, 6.215}, // index 0: not on the scale, looked up as 500 Hz
    {75, 4.317},    {125, 4.828},   {175, 5.165},   {250, 5.521},   {375, 5.927},   {500, 6.215},
    {625, 6.438},   {750, 6.620},   {875, 6.774},   {1000, 6.908},  {1250, 7.131},  {1500, 7.313},
    {1750, 7.467},  {2000, 7.601},  {2500, 7.824},  {3000, 8.006},  {3500, 8.160},  {4000, 8.294},
    {5000, 8.517},  {6000, 8.700},  {7000, 8.853},  {8000, 8.987},  {9000, 9.105},  {10000, 9.210},
    {11000, 9.306}, {12000, 9.393}, {14000, 9.547}, {16000, 9.680}, {18000, 9.798}, {20000, 9.903},
}};

} // namespace

std::uint8_t freq_to_index(std::uint16_t freq_hz) {
    for (std::uint8_t i = 1; i <= freq_index_count; ++i)
        if (scale[i].freq_hz == freq_hz) return i;
    return 0;
}

std::uint16_t index_to_freq(std::uint8_t index) {
    return index <= freq_index_count ? scale[index].freq_hz : scale[0].freq_hz;
}

double index_ln_freq(std::uint8_t index) {
    return index <= freq_index_count ? scale[index].ln_freq : scale[0].ln_freq;
}

double ln_series(double x) {
    const double y = (x - 1.0) / (x + 1.0);
    double term = y;
    double sum = y;
    double k = 1.0;
    while (term > 0.0001) {
        k += 2.0;
        term = term * y * y;
        sum += term / k;
    }
    return 2.0 * sum;
}

} // namespace kelvor::hearing
