#include "support/audio_analysis.h"

#include <cmath>
#include <complex>
#include <cstdlib>
#include <numbers>

namespace kelvor::testing {

std::vector<ToneSpan> find_tones(const std::vector<std::int16_t>& samples, int threshold,
                                 std::size_t min_gap) {
    std::vector<ToneSpan> spans;
    bool in_tone = false;
    std::size_t last_loud = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (std::abs(int(samples[i])) <= threshold) continue;
        if (in_tone && i - last_loud > min_gap) {
            spans.back().end = last_loud + 1;
            in_tone = false;
        }
        if (!in_tone) {
            spans.push_back({i, i + 1});
            in_tone = true;
        }
        last_loud = i;
    }
    if (in_tone) spans.back().end = last_loud + 1;
    return spans;
}

std::string describe_tones(const std::vector<ToneSpan>& tones) {
    std::string text;
    for (const ToneSpan& t : tones)
        text += (text.empty() ? "at " : ", at ") + std::to_string(t.begin) + " for " +
                std::to_string(t.length()) + " samples";
    return text;
}

double tone_frequency_hz(const std::vector<std::int16_t>& samples, std::size_t begin, std::size_t end,
                         double sample_rate) {
    double first = -1, last = -1;
    std::size_t crossings = 0;
    for (std::size_t i = begin + 1; i < end; ++i) {
        const double a = samples[i - 1], b = samples[i];
        if (a < 0 && b >= 0) {
            const double t = double(i - 1) + (-a) / (b - a);
            if (first < 0) first = t;
            last = t;
            ++crossings;
        }
    }
    if (crossings < 2) return 0;
    return double(crossings - 1) * sample_rate / (last - first);
}

double rms_dbfs(const std::vector<std::int16_t>& samples, std::size_t begin, std::size_t end) {
    if (end <= begin) return -200;
    double sum = 0;
    for (std::size_t i = begin; i < end; ++i)
        sum += double(samples[i]) * samples[i];
    const double rms = std::sqrt(sum / double(end - begin));
    if (rms <= 0) return -200;
    return 20.0 * std::log10(rms * std::sqrt(2.0) / 32768.0);
}

namespace {

// In-place radix-2 FFT; `x.size()` is a power of two.
void fft(std::vector<std::complex<double>>& x) {
    const std::size_t n = x.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j) std::swap(x[i], x[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> step = std::polar(1.0, -2 * std::numbers::pi / double(len));
        for (std::size_t i = 0; i < n; i += len) {
            std::complex<double> w = 1;
            for (std::size_t k = 0; k < len / 2; ++k, w *= step) {
                const std::complex<double> a = x[i + k], b = x[i + k + len / 2] * w;
                x[i + k] = a + b;
                x[i + k + len / 2] = a - b;
            }
        }
    }
}

} // namespace

double energy_away_from_tone_db(const std::vector<std::int16_t>& samples, std::size_t begin, std::size_t end,
                                double tone_hz, double distance_hz, double sample_rate) {
    std::size_t n = 1;
    while (n < end - begin)
        n <<= 1;
    std::vector<std::complex<double>> x(n);
    for (std::size_t i = begin; i < end; ++i)
        x[i - begin] = samples[i];
    fft(x);
    double total = 0, away = 0;
    for (std::size_t k = 0; k <= n / 2; ++k) {
        const double e = std::norm(x[k]);
        total += e;
        if (std::abs(double(k) * sample_rate / double(n) - tone_hz) > distance_hz) away += e;
    }
    if (total <= 0 || away <= 0) return -200;
    return 10 * std::log10(away / total);
}

std::vector<std::int16_t> channel(const std::vector<std::int16_t>& interleaved, std::size_t offset,
                                  std::size_t stride) {
    std::vector<std::int16_t> out;
    out.reserve(interleaved.size() / stride + 1);
    for (std::size_t i = offset; i < interleaved.size(); i += stride)
        out.push_back(interleaved[i]);
    return out;
}

} // namespace kelvor::testing
