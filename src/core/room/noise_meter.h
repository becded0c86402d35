#pragma once
// The measuring behind the room watch, without threads or a microphone: samples in, completed windows out.
//
// Each octave band is a Butterworth high-pass at the band's lower edge followed by a low-pass at its upper
// edge (sixth order each, 36 dB per octave): noise filling one band reads 10 dB lower in the next, 45 dB
// lower two bands away.
// The test frequency is taken out of every level by two notches in cascade: deep enough that a tone
// leaking at full scale vanishes below any microphone's own noise, a quarter of its frequency wide, so
// that it rings out within a few tens of milliseconds after the tone switches on or off. What the notch
// takes from a band's noise is given back by the share of white noise it takes there.
//
// A window's level is the median of its twenty 50 ms levels (the L50 of acoustics): the clicks and the
// notch's ringing at a pulse's edges fill a few of them, never half, so they do not move it, while
// noise that lasts half a second or more does.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/room/room_watch.h"

namespace kelvor::room {

// One second-order section, transposed direct form II, in double so that a notch stays deep.
struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double z1 = 0, z2 = 0;
    double run(double x) {
        const double y = b0 * x + z1;
        z1 = b1 * x - a1 * y + z2;
        z2 = b2 * x - a2 * y;
        return y;
    }
    void clear() { z1 = z2 = 0; }
};

class NoiseMeter {
  public:
    static constexpr int blocks_per_window = 20; // 50 ms each
    static constexpr int blocks_per_step = 5;    // a window completes every quarter second

    explicit NoiseMeter(int rate);

    // The test frequency to filter out from the next sample on (0: none). A tone that is not `pure` (the
    // PC speaker's square wave, the sound card's FM tone) has harmonics no notch takes out: while it
    // sounds, a window's level is its sixth-quietest 50 ms level, which a pulse never reaches.
    void set_tone(std::uint16_t freq_hz, bool pure = true);
    // Measures `count` samples; completed windows are appended to `out`.
    void feed(const float* mono, std::size_t count, std::vector<NoiseWindow>& out);
    // Forgets everything heard: the next window completes a full second from now, numbered 0.
    void restart();

  private:
    static constexpr std::size_t band_count = 7;
    static constexpr std::size_t sections = 6;            // three high-pass, three low-pass
    static constexpr std::size_t levels = band_count + 1; // the bands, then broadband

    void end_block(std::vector<NoiseWindow>& out);

    int rate_;
    std::size_t block_samples_;
    std::array<std::array<Biquad, sections>, levels> filters_{};
    std::array<Biquad, 2> notch_{};
    std::uint16_t tone_hz_ = 0;
    bool pure_ = true;
    // What the notch leaves of white noise in each level: its power is divided by it.
    std::array<double, levels> notch_share_{};

    std::array<double, levels> sum_{};
    std::size_t in_block_ = 0;
    // The last blocks' mean powers, a ring per level.
    std::array<std::array<double, blocks_per_window>, levels> block_power_{};
    std::size_t blocks_ = 0;
    std::uint64_t windows_ = 0;
    std::uint32_t dither_ = 1;
};

} // namespace kelvor::room
