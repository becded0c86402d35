#include "core/room/noise_meter.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace kelvor::room {
namespace {

constexpr double pi = std::numbers::pi;
// A sixth-order Butterworth as three sections: the quality of each pole pair.
constexpr std::array<double, 3> butterworth_q{0.5176380902050415, 0.7071067811865476, 1.9318516525781366};
// The notch's width, as a share of its frequency, and how many in cascade.
constexpr double notch_width = 0.25;
// Edges closer to the Nyquist frequency than this share of the rate are left open.
constexpr double highest_edge = 0.45;

enum class Kind { low_pass, high_pass, notch };

Biquad design(Kind kind, double freq_hz, double q, int rate) {
    const double w0 = 2 * pi * freq_hz / rate;
    const double cosw = std::cos(w0);
    const double alpha = std::sin(w0) / (2 * q);
    const double a0 = 1 + alpha;
    Biquad f;
    switch (kind) {
    case Kind::low_pass:
        f.b0 = f.b2 = (1 - cosw) / 2 / a0;
        f.b1 = (1 - cosw) / a0;
        break;
    case Kind::high_pass:
        f.b0 = f.b2 = (1 + cosw) / 2 / a0;
        f.b1 = -(1 + cosw) / a0;
        break;
    case Kind::notch:
        f.b0 = f.b2 = 1 / a0;
        f.b1 = -2 * cosw / a0;
        break;
    }
    f.a1 = -2 * cosw / a0;
    f.a2 = (1 - alpha) / a0;
    return f;
}

double power_gain(const Biquad& f, double w) {
    const std::complex<double> z1 = std::polar(1.0, -w);
    const std::complex<double> z2 = z1 * z1;
    return std::norm((f.b0 + f.b1 * z1 + f.b2 * z2) / (1.0 + f.a1 * z1 + f.a2 * z2));
}

// The share of white noise's power through `band` that also passes `notch`: integrated on a log scale
// over the band's edges and four octaves beyond, where a sixth-order slope has left nothing.
double white_share(const std::array<Biquad, 6>& band, const std::array<Biquad, 2>& notch, double low_hz,
                   double high_hz, int rate) {
    const double from = std::log(low_hz / 16), to = std::log(std::min(high_hz * 16, rate * 0.5));
    constexpr int steps = 1200;
    double with = 0, without = 0;
    for (int i = 0; i < steps; ++i) {
        const double f = std::exp(from + (to - from) * (i + 0.5) / steps);
        const double w = 2 * pi * f / rate;
        double g = f; // d(f) = f d(ln f)
        for (const Biquad& s : band)
            g *= power_gain(s, w);
        without += g;
        for (const Biquad& s : notch)
            g *= power_gain(s, w);
        with += g;
    }
    return without > 0 ? std::max(with / without, 1e-3) : 1.0;
}

double edge_low(std::size_t level) {
    const auto& centres = band_centres();
    return (level < centres.size() ? centres[level] : centres.front()) / std::numbers::sqrt2;
}

double edge_high(std::size_t level) {
    const auto& centres = band_centres();
    return (level < centres.size() ? centres[level] : centres.back()) * std::numbers::sqrt2;
}

} // namespace

NoiseMeter::NoiseMeter(int rate)
    : rate_(rate), block_samples_(static_cast<std::size_t>(std::max(rate / 20, 1))) {
    // The bands, then broadband from the lowest band's lower edge to the highest band's upper edge.
    for (std::size_t level = 0; level < levels; ++level) {
        auto& f = filters_[level];
        const double low = level < band_count ? edge_low(level) : edge_low(0);
        const double high = level < band_count ? edge_high(level) : edge_high(band_count - 1);
        for (std::size_t s = 0; s < 3; ++s) {
            f[s] = design(Kind::high_pass, low, butterworth_q[s], rate_);
            if (high < highest_edge * rate_) f[3 + s] = design(Kind::low_pass, high, butterworth_q[s], rate_);
        }
    }
    notch_share_.fill(1.0);
}

void NoiseMeter::set_tone(std::uint16_t freq_hz, bool pure) {
    pure_ = pure || freq_hz == 0;
    if (freq_hz >= highest_edge * rate_) freq_hz = 0;
    if (freq_hz == tone_hz_) return;
    tone_hz_ = freq_hz;
    notch_share_.fill(1.0);
    for (Biquad& n : notch_)
        n = freq_hz == 0 ? Biquad{} : design(Kind::notch, freq_hz, 1 / notch_width, rate_);
    if (freq_hz == 0) return;
    for (std::size_t level = 0; level < band_count; ++level)
        notch_share_[level] = white_share(filters_[level], notch_, edge_low(level), edge_high(level), rate_);
}

void NoiseMeter::restart() {
    for (auto& f : filters_)
        for (Biquad& s : f)
            s.clear();
    for (Biquad& n : notch_)
        n.clear();
    sum_.fill(0);
    in_block_ = 0;
    blocks_ = 0;
    windows_ = 0;
}

void NoiseMeter::feed(const float* mono, std::size_t count, std::vector<NoiseWindow>& out) {
    for (std::size_t i = 0; i < count; ++i) {
        // A noise far below anything audible keeps the filters' state out of denormal numbers, which a
        // digitally silent source would otherwise leave them in, at many times the cost.
        dither_ = dither_ * 1664525u + 1013904223u;
        double x = mono[i] + static_cast<std::int32_t>(dither_) * 1e-30;
        for (Biquad& n : notch_)
            x = n.run(x);
        for (std::size_t level = 0; level < levels; ++level) {
            double y = x;
            for (Biquad& s : filters_[level])
                y = s.run(y);
            sum_[level] += y * y;
        }
        if (++in_block_ == block_samples_) end_block(out);
    }
}

void NoiseMeter::end_block(std::vector<NoiseWindow>& out) {
    const std::size_t slot = blocks_ % blocks_per_window;
    for (std::size_t level = 0; level < levels; ++level) {
        block_power_[level][slot] = sum_[level] / static_cast<double>(in_block_) / notch_share_[level];
        sum_[level] = 0;
    }
    in_block_ = 0;
    ++blocks_;
    if (blocks_ < blocks_per_window || (blocks_ - blocks_per_window) % blocks_per_step != 0) return;

    NoiseWindow w;
    w.index = windows_++;
    w.tone_hz = tone_hz_;
    w.band_db.resize(band_count);
    for (std::size_t level = 0; level < levels; ++level) {
        std::array<double, blocks_per_window> p = block_power_[level];
        // A pulse of 300 ms in every 800 sounds in at most 12 of a window's 20 blocks, edges included.
        const auto mid = p.begin() + (pure_ ? blocks_per_window / 2 : 5);
        std::nth_element(p.begin(), mid, p.end());
        const double median = pure_ ? (*mid + *std::max_element(p.begin(), mid)) / 2 : *mid;
        // Relative to full scale: a sine of amplitude 1 reads 0 dB.
        const double db = median > 0 ? std::max(10 * std::log10(2 * median), floor_db) : floor_db;
        if (level < band_count)
            w.band_db[level] = db;
        else
            w.broadband_db = db;
    }
    out.push_back(std::move(w));
}

} // namespace kelvor::room
