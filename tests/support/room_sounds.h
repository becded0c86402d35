#pragma once
// Sounds for the room watch's tests.
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace kelvor::testing {

// Adds to samples [from, to) 30 sines of random phase, log-spaced over low_hz .. high_hz, at level_db in
// all (a sine of amplitude 1 is 0 dB).
inline void add_noise(std::vector<float>& s, int rate, std::size_t from, std::size_t to, double low_hz,
                      double high_hz, double level_db, unsigned seed) {
    std::mt19937 random(seed);
    for (int k = 0; k < 30; ++k) {
        const double w = 2 * std::numbers::pi * low_hz * std::pow(high_hz / low_hz, (k + 0.5) / 30) / rate;
        const double p = std::uniform_real_distribution<double>(0, 2 * std::numbers::pi)(random);
        const double a = std::pow(10.0, level_db / 20) / std::sqrt(30.0), cw = std::cos(w), sw = std::sin(w);
        double re = a * std::cos(p), im = a * std::sin(p);
        for (std::size_t i = from; i < to && i < s.size(); ++i) { // a phasor: sin() per sample is slow at -O0
            s[i] += static_cast<float>(im);
            const double r = re * cw - im * sw;
            im = re * sw + im * cw, re = r;
        }
    }
}

inline float square_or(bool square, double x) {
    return square ? (x < 0 ? -1.0f : 1.0f) : static_cast<float>(x);
}

// Adds the test's pulse at full scale to samples [from, to): 300 ms of every 800 ms, switched hard; a
// sine, or the PC speaker's square wave.
inline void add_pulse(std::vector<float>& s, int rate, std::size_t from, std::size_t to, double freq_hz,
                      bool square = false) {
    for (std::size_t i = from; i < to && i < s.size(); ++i)
        if (const std::size_t t = (i - from) % std::size_t(rate * 8 / 10); t < std::size_t(rate * 3 / 10))
            s[i] += square_or(square, std::sin(2 * std::numbers::pi * freq_hz * double(t) / rate));
}

} // namespace kelvor::testing
