#include "core/room/room_watch.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <utility>

#include "core/room/noise_meter.h"

namespace kelvor::room {

const std::vector<std::uint16_t>& band_centres() {
    static const std::vector<std::uint16_t> centres{125, 250, 500, 1000, 2000, 4000, 8000};
    return centres;
}

std::size_t band_of(std::uint16_t freq_hz) {
    const auto& centres = band_centres();
    if (freq_hz == 0) return 0;
    std::size_t best = 0;
    double nearest = 1e9;
    for (std::size_t i = 0; i < centres.size(); ++i) {
        const double d = std::abs(std::log(static_cast<double>(freq_hz) / centres[i]));
        if (d < nearest) nearest = d, best = i;
    }
    return best;
}

namespace {

// The given percentile of `values`, interpolated between the two nearest ranks.
double percentile_of(std::vector<double> values, double percentile) {
    if (values.empty()) return floor_db;
    std::sort(values.begin(), values.end());
    const double rank = std::clamp(percentile, 0.0, 100.0) / 100.0 * static_cast<double>(values.size() - 1);
    const auto below = static_cast<std::size_t>(std::floor(rank));
    const std::size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (values[above] - values[below]) * (rank - static_cast<double>(below));
}

} // namespace

Baseline baseline_from(const std::vector<NoiseWindow>& windows, double percentile) {
    Baseline b;
    b.band_db.assign(band_centres().size(), floor_db);
    std::vector<double> values;
    for (std::size_t band = 0; band < b.band_db.size(); ++band) {
        values.clear();
        for (const NoiseWindow& w : windows)
            if (band < w.band_db.size()) values.push_back(w.band_db[band]);
        b.band_db[band] = percentile_of(values, percentile);
    }
    values.clear();
    for (const NoiseWindow& w : windows)
        values.push_back(w.broadband_db);
    b.broadband_db = percentile_of(values, percentile);
    return b;
}

std::vector<std::size_t> bands_over_limit(const NoiseWindow& window, const Baseline& baseline,
                                          double limit_db) {
    std::vector<std::size_t> over;
    const std::size_t n = std::min(window.band_db.size(), baseline.band_db.size());
    for (std::size_t band = 0; band < n; ++band)
        if (window.band_db[band] > baseline.band_db[band] + limit_db) over.push_back(band);
    return over;
}

struct RoomWatch::Impl {
    Impl(host::RoomMicrophone& mic, int rate) : microphone(mic), rate(rate), meter(rate) {}

    host::RoomMicrophone& microphone;
    const int rate;
    // The capture thread's alone while the microphone is open.
    NoiseMeter meter;
    std::vector<NoiseWindow> completed;
    std::atomic<std::uint32_t> tone{0}; // the frequency, and above it 1 for a tone with harmonics
    bool running = false;               // the window thread's

    std::mutex mutex; // guards what follows
    std::vector<NoiseWindow> windows;
    std::optional<std::string> lost;
    bool gone = false; // no Samples call counts after Lost

    void on_samples(const float* mono, std::size_t count) {
        const std::uint32_t tone = this->tone.load(std::memory_order_relaxed);
        meter.set_tone(static_cast<std::uint16_t>(tone), (tone >> 16) == 0);
        meter.feed(mono, count, completed);
        if (completed.empty()) return;
        const std::lock_guard lock(mutex);
        if (gone) return completed.clear();
        windows.insert(windows.end(), completed.begin(), completed.end());
        completed.clear();
    }

    void on_lost(const std::string& why) {
        const std::lock_guard lock(mutex);
        if (!lost) lost = why;
        gone = true;
    }
};

RoomWatch::RoomWatch(host::RoomMicrophone& microphone, int rate)
    : impl_(std::make_unique<Impl>(microphone, rate)) {}

RoomWatch::~RoomWatch() {
    stop();
}

bool RoomWatch::start(std::string& why) {
    if (impl_->running) return true;
    impl_->meter.restart();
    impl_->completed.clear();
    {
        const std::lock_guard lock(impl_->mutex);
        impl_->windows.clear();
        impl_->lost.reset();
        impl_->gone = false;
    }
    Impl* impl = impl_.get();
    impl_->running = impl_->microphone.open(
        impl_->rate, [impl](const float* mono, std::size_t count) { impl->on_samples(mono, count); },
        [impl](const std::string& lost_why) { impl->on_lost(lost_why); }, why);
    return impl_->running;
}

void RoomWatch::stop() {
    if (!impl_->running) return;
    impl_->microphone.close();
    impl_->running = false;
    const std::lock_guard lock(impl_->mutex);
    impl_->windows.clear();
}

bool RoomWatch::running() const {
    return impl_->running;
}

void RoomWatch::set_tone(std::uint16_t freq_hz) {
    set_tone(freq_hz, true);
}

void RoomWatch::set_tone(std::uint16_t freq_hz, bool pure) {
    impl_->tone.store(freq_hz | (pure ? 0u : 1u << 16), std::memory_order_relaxed);
}

std::vector<NoiseWindow> RoomWatch::take_windows() {
    const std::lock_guard lock(impl_->mutex);
    return std::exchange(impl_->windows, {});
}

std::optional<std::string> RoomWatch::lost() {
    const std::lock_guard lock(impl_->mutex);
    return impl_->lost;
}

} // namespace kelvor::room
