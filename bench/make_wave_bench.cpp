// Time to make one tone image, and the audio thread's cost of rendering the emulated hardware.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "core/tone/wave_stream.h"
#include "emu/sound_stream.h"
#include "bench_measures.h"

namespace {

using namespace kelvor;
using Clock = std::chrono::steady_clock;

struct SilentOut : host::AudioOut {
    bool play_image(const std::vector<std::uint8_t>&) override { return true; }
    void stop() override {}
    int output_device_count() override { return 1; }
};

double ms_since(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

using kelvor::bench::percentile;

} // namespace

int main() {
    SilentOut out;
    diagnostics::LogBuffer log{"SOUND", 40};
    tone::WaveStream waves{out, log};
    std::vector<double> times;
    for (int i = 0; i < 2000; ++i) {
        const auto t0 = Clock::now();
        waves.make_wave(static_cast<std::uint16_t>(125 + (i % 64) * 250), static_cast<std::int8_t>(i % 49),
                        100);
        times.push_back(ms_since(t0));
        if (log.count() == log.capacity()) {
            diagnostics::PortLogRing ring;
            log.show(ring);
        }
    }
    std::printf("make_wave: median %.3f ms, p99 %.3f ms (goal < 0.3 ms)\n", percentile(times, 0.5),
                percentile(times, 0.99));

    // Ten seconds of the stream with the emulated chip sounding and the speaker pulsing, in 12.5 ms blocks.
    emu::SoundStream stream{20};
    const std::pair<std::uint8_t, std::uint8_t> regs[] = {{0x23, 0x21}, {0x63, 0xF0}, {0x83, 0xF0},
                                                          {0x43, 16},   {0xA0, 0x93}, {0xB0, 0x36}};
    for (auto [r, v] : regs) {
        stream.write_port(0, 0x388, r);
        stream.write_port(0, 0x389, v);
    }
    stream.write_port(0, 0x43, 0xB6);
    stream.write_port(0, 0x42, 0xA9);
    stream.write_port(0, 0x42, 0x04);
    std::vector<std::int16_t> block(2 * 551);
    const auto t0 = Clock::now();
    double now = 0;
    for (int b = 0; b < 800; ++b, now += 12.5) {
        if (b % 32 == 0) stream.write_port(now, 0x61, (b / 32) % 2 ? 0x00 : 0x03);
        stream.render(block.data(), 551, now);
    }
    const double cpu_ms = ms_since(t0);
    std::printf("stream render (OPL2 + speaker): %.2f ms per second of audio (%.2f %% of a core)\n",
                cpu_ms / 10, cpu_ms / 100);
    return 0;
}
