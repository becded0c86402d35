// The room watch's cost: the measuring alone, on a minute of a room with the test's pulsed tone in it,
// and the watch with the real microphone on the sound server's default source.
#include <time.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>
#include <thread>
#include <vector>

#include "bench_measures.h"
#include "core/room/room_watch.h"
#include "platform/pulse_room_microphone.h"

namespace {

using namespace kelvor;
constexpr int rate = 48000;

double thread_cpu_seconds() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Hands a prepared signal to the watch in the 50 ms blocks the real microphone asks for.
class Replay final : public host::RoomMicrophone {
  public:
    bool open(int, Samples s, Lost, std::string&) override { return (samples_ = std::move(s), true); }
    void close() override { samples_ = nullptr; }
    void play(const std::vector<float>& s) {
        for (std::size_t at = 0; at + 2400 <= s.size(); at += 2400)
            samples_(s.data() + at, 2400);
    }

  private:
    Samples samples_;
};

} // namespace

int main() {
    // A minute of a quiet room (white noise at -60 dB) with the pulse (300 ms of every 800 ms) at
    // -20 dB, the frequency changing every 10 s as a test moves on.
    const std::uint16_t freqs[] = {1000, 2000, 4000, 8000, 500, 250};
    std::vector<float> room(std::size_t(60 * rate));
    std::mt19937 random(1);
    std::normal_distribution<double> noise(0, 1e-3);
    for (std::size_t i = 0; i < room.size(); ++i) {
        const std::size_t t = i % (rate * 8 / 10);
        const double f = freqs[i / (10 * rate)];
        room[i] = static_cast<float>(
            noise(random) + (t < rate * 3 / 10 ? 0.1 * std::sin(2 * std::numbers::pi * f * t / rate) : 0));
    }
    std::vector<double> ms_per_s;
    for (int run = 0; run < 7; ++run) {
        Replay mic;
        room::RoomWatch watch(mic, rate);
        std::string why;
        watch.start(why);
        const double cpu0 = thread_cpu_seconds();
        for (std::size_t part = 0; part < 6; ++part) {
            watch.set_tone(freqs[part]);
            mic.play(std::vector<float>(room.begin() + long(part * 10 * rate),
                                        room.begin() + long((part + 1) * 10 * rate)));
            watch.take_windows();
        }
        ms_per_s.push_back((thread_cpu_seconds() - cpu0) * 1000 / 60);
    }
    std::printf("room watch measuring at 48 kHz: median %.2f ms per second of audio (%.3f %% of a core; "
                "runs %.2f-%.2f ms; goal < 1 %%)\n",
                bench::percentile(ms_per_s, 0.5), bench::percentile(ms_per_s, 0.5) / 10,
                bench::percentile(ms_per_s, 0.0), bench::percentile(ms_per_s, 1.0));

    // The real microphone: the process's CPU over 20 s with the watch running, against 20 s without.
    platform::PulseRoomMicrophone microphone(true); // the test environment's default source is a monitor
    room::RoomWatch watch(microphone, rate);
    const auto cpu_over = [](double seconds) {
        const double cpu0 = bench::cpu_seconds();
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        return (bench::cpu_seconds() - cpu0) / seconds * 100;
    };
    const double idle = cpu_over(20);
    std::string why;
    if (!watch.start(why)) {
        std::printf("room watch with the microphone: not measured: %s\n", why.c_str());
        return 0;
    }
    watch.set_tone(1000);
    double running = 0;
    std::size_t windows = 0;
    const double cpu0 = bench::cpu_seconds();
    for (int i = 0; i < 80; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        windows += watch.take_windows().size();
    }
    running = (bench::cpu_seconds() - cpu0) / 20 * 100;
    watch.stop();
    std::printf("room watch with the microphone (default source, 48 kHz): process CPU %.3f %% of a core "
                "(%.3f %% without it; %zu windows in 20 s)\n",
                running, idle, windows);
    return 0;
}
