#pragma once
// A listener for whole automatic tests, with the faults of a real one: he hears a burst only with some
// probability, misses some he could hear, and now and then presses when nothing sounds. He listens to the
// tone output itself (its pulses, levels and mutes), so the same listener takes either procedure, and
// drives the real main window logic with its timers on a manual clock: a two-ear test takes milliseconds.
// The core tests and the procedure benchmark both use it; it needs nothing of GoogleTest.
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>

#include "support/messung_rig.h"

namespace kelvor::testing {

struct ListenerModel {
    double width_db = 8;      // from 5 % to 95 % detection
    double lapse = 0.03;      // share of audible bursts missed
    double stray_per_min = 1; // presses with nothing heard, a Poisson process
};

// Threshold (50 % detection, before lapses) of an ear at a frequency, on the program's level scale.
using Audiogram = std::function<double(std::int8_t ear, std::uint16_t freq_hz)>;

class SimulatedListener : public hearing::ToneControl {
  public:
    SimulatedListener(ManualClock& clock, const hearing::TestState& state, ListenerModel model,
                      Audiogram truth, std::uint32_t seed)
        : clock_(clock), state_(state), model_(model), truth_(std::move(truth)), random_(seed) {
        next_stray_ms_ = clock_.now + stray_gap();
    }

    void set_level(std::int8_t level_db) override { level_ = level_db; }
    void set_frequency(std::uint16_t freq_hz) override { freq_ = freq_hz; }
    void tone_pulse() override {
        sounding_ = !sounding_;
        if (sounding_ && !muted_) burst();
    }
    void set_muted(bool muted) override {
        muted_ = muted;
        // A tone muted the moment it came on was never heard.
        if (muted && press_pending() && onset_ms_ == clock_.now) press_ms_ = never;
    }
    void play_wave() override {}
    bool data_stream_method() const override { return false; }
    bool Soundcard_present() override { return true; }
    void start_tone() override {}
    void OPL2_aus() override {}
    void speaker_off() override {}
    void free_waves() override {}
    void silence() override {}
    void set_port_driver(port::TSmallPort*) override {}

    // When the listener next presses.
    double next_press_ms() const { return std::min(press_ms_, next_stray_ms_); }
    // Takes the press that is due now, if any.
    bool take_press() {
        bool pressed = false;
        if (press_ms_ <= clock_.now) press_ms_ = never, pressed = true;
        if (next_stray_ms_ <= clock_.now) next_stray_ms_ = clock_.now + stray_gap(), pressed = true, ++strays;
        return pressed;
    }
    int strays = 0;

  private:
    static constexpr double never = std::numeric_limits<double>::infinity();
    bool press_pending() const { return press_ms_ != never; }

    void burst() {
        if (press_pending()) return; // already on the way to the button
        // logistic with 5 % .. 95 % over the width: slope 2 ln 19 / width
        const double slope = 2 * std::log(19.0) / model_.width_db;
        const double p =
            (1 - model_.lapse) / (1 + std::exp(-slope * (level_ - truth_(state_.cur_ear, freq_))));
        if (std::uniform_real_distribution<double>(0, 1)(random_) >= p) return;
        onset_ms_ = clock_.now;
        press_ms_ = clock_.now + std::uniform_real_distribution<double>(300, 800)(random_);
    }
    double stray_gap() {
        if (model_.stray_per_min <= 0) return never;
        return std::exponential_distribution<double>(model_.stray_per_min / 60000.0)(random_);
    }

    ManualClock& clock_;
    const hearing::TestState& state_;
    ListenerModel model_;
    Audiogram truth_;
    std::mt19937 random_;
    int level_ = 0;
    std::uint16_t freq_ = 0;
    bool sounding_ = true;
    bool muted_ = false;
    double onset_ms_ = -1;
    double press_ms_ = never;
    double next_stray_ms_ = never;
};

// One automatic test of both ears by a simulated listener, with or without the confirmed threshold.
struct ListenerSession : MessungFakes {
    ListenerSession(bool confirm, ListenerModel model, Audiogram truth, std::uint32_t seed)
        : listener(clock, state, model, std::move(truth), seed) {
        m.confirmed().seed(seed ^ 0x9e3779b9u);
        timers.add(hearing::timer1_interval_ms, [this] { m.Ton_on_off(); });
        timers.add(hearing::timer2_interval_ms, [this] { m.Timer2Timer(); });
        state.confirm_thresholds = confirm;
        state.test_started = true;
        state.on_hold = false;
        m.Messung_liClick();
    }

    // Runs until the right ear is done (the test holds) or `limit_ms` has passed; returns the test's time.
    double run(double limit_ms = 60 * 60000.0) {
        const double start = clock.now;
        while (!state.on_hold && clock.now - start < limit_ms) {
            const double step =
                std::min(listener.next_press_ms() - clock.now, double(hearing::timer1_interval_ms));
            timers.advance(std::max(step, 0.0));
            if (listener.take_press() && !state.on_hold) m.db_select();
        }
        return clock.now - start;
    }

    ManualClock clock;
    SimulatedListener listener;
    hearing::TMessung m{services({.tone = &listener})};
    ManualTimers timers{clock};
};

} // namespace kelvor::testing
