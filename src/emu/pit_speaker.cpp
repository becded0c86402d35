#include "emu/pit_speaker.h"

#include <algorithm>
#include <cmath>

namespace kelvor::emu {

PitSpeaker::PitSpeaker(int sample_rate) : ticks_per_sample_(pit_clock_hz / sample_rate) {}

void PitSpeaker::attach_to(PortBus& bus) {
    bus.attach(*this, pit_channel2_port, pit_command_port);
    bus.attach(*this, system_control_port, system_control_port);
}

void PitSpeaker::write_port(std::uint16_t port, std::uint8_t value) {
    if (port == pit_command_port) {
        if ((value >> 6) != 2) return; // another channel
        const std::uint8_t access = (value >> 4) & 3;
        if (access == 0) return; // counter latch: no effect on the output
        access_ = access;
        const std::uint8_t mode = (value >> 1) & 7;
        square_mode_ = mode == 3 || mode == 7;
        expect_high_ = access == 2;
        return;
    }
    if (port == pit_channel2_port) {
        std::uint32_t count;
        if (access_ == 3 && !expect_high_) {
            count_low_ = value;
            expect_high_ = true;
            return;
        }
        if (access_ == 1)
            count = value;
        else if (access_ == 2)
            count = std::uint32_t{value} << 8;
        else
            count = count_low_ | (std::uint32_t{value} << 8);
        expect_high_ = access_ == 2;
        divisor_ = count == 0 ? 65536 : count;
        phase_ = std::fmod(phase_, static_cast<double>(divisor_));
        return;
    }
    if (port == system_control_port) {
        const bool gate_was_on = control_ & 1;
        control_ = value;
        if (!gate_was_on && (value & 1)) phase_ = 0; // a rising gate reloads the count
    }
}

std::optional<std::uint8_t> PitSpeaker::read_port(std::uint16_t port) {
    if (port == system_control_port) return control_;
    return std::nullopt; // no read-back of the counter
}

double PitSpeaker::high_fraction(double span) {
    // Mode 3 is high for the first half of each period (the larger half for odd counts).
    const double period = divisor_;
    const double high_len = std::ceil(period / 2.0);
    double high = 0, left = span;
    while (left > 0) {
        const double in_half = phase_ < high_len ? high_len - phase_ : period - phase_;
        const double step = std::min(left, in_half);
        if (phase_ < high_len) high += step;
        phase_ += step;
        if (phase_ >= period) phase_ -= period;
        left -= step;
    }
    return high / span;
}

void PitSpeaker::render_add(std::int32_t* mix, std::size_t frames) {
    if (!sounding()) {
        // The timer keeps counting while the speaker is off.
        phase_ = std::fmod(phase_ + ticks_per_sample_ * static_cast<double>(frames),
                           static_cast<double>(divisor_));
        return;
    }
    // Each sample is the square wave averaged over its interval, which keeps high tones free of the
    // worst aliasing.
    for (std::size_t i = 0; i < frames; ++i) {
        const double f = high_fraction(ticks_per_sample_);
        mix[i] += static_cast<std::int32_t>(std::lround((2.0 * f - 1.0) * speaker_amplitude));
    }
}

} // namespace kelvor::emu
