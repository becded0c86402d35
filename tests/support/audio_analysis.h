#pragma once
// A small analyser for recorded or rendered test tones: where the tones are, their frequency and level.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kelvor::testing {

struct ToneSpan {
    std::size_t begin = 0; // first sample above the threshold
    std::size_t end = 0;   // one past the last
    std::size_t length() const { return end - begin; }
};

// Spans where |sample| exceeds `threshold`; quieter stretches shorter than `min_gap` samples (the zero
// crossings of the tone itself) do not split a span.
std::vector<ToneSpan> find_tones(const std::vector<std::int16_t>& samples, int threshold,
                                 std::size_t min_gap);

// "at 1200 for 13230 samples, at 15000 for 1" for a failure message.
std::string describe_tones(const std::vector<ToneSpan>& tones);

// Frequency from the rising zero crossings of samples [begin, end), interpolated between samples.
double tone_frequency_hz(const std::vector<std::int16_t>& samples, std::size_t begin, std::size_t end,
                         double sample_rate);

// RMS level of samples [begin, end) in dB relative to a full-scale sine (a full-scale sine is 0 dBFS).
double rms_dbfs(const std::vector<std::int16_t>& samples, std::size_t begin, std::size_t end);

// The share of the energy of samples [begin, end) that lies farther than `distance_hz` from `tone_hz`,
// in dB (from the stretch's spectrum, zero-padded to a power of two; no window, so an edge's splatter
// counts in full).
double energy_away_from_tone_db(const std::vector<std::int16_t>& samples, std::size_t begin, std::size_t end,
                                double tone_hz, double distance_hz, double sample_rate);

// Every `stride`-th sample from `offset` on: one channel of interleaved frames.
std::vector<std::int16_t> channel(const std::vector<std::int16_t>& interleaved, std::size_t offset,
                                  std::size_t stride);

} // namespace kelvor::testing
