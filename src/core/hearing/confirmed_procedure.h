#pragma once
// The confirmed threshold: each frequency is found on repeated ascents in 2 dB steps, each ended by a
// press, a drop and a silent pause of random length; two presses that agree give the threshold. Some
// ascents are silent (catch trials), and a press in silence is a false alarm. At the end of each ear 1 kHz
// is tested again, and the ear gets a verdict on how far its thresholds can be trusted.
//
// This class only decides; the main window's logic drives it from its two timers and its "ok. detected"
// button and makes the sound and the displays follow (messung_confirmed.cpp).
#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "core/hearing/frequency_scale.h"
#include "core/hearing/reliability.h"

namespace kelvor::hearing {

class ConfirmedProcedure {
  public:
    // How much the level drops after a press. Six dB puts the next ascent three steps (5.4 s) below the
    // press, where a burst is heard in about one case of a hundred with the usual 8 dB spread of hearing.
    // The ten dB of the manual method gave the same thresholds in the benchmark at one stray press a
    // minute but took 5.1 minutes per ear instead of 4.5, past the five a test of one ear may take; and
    // at three stray presses a minute its longer ascents caught more of them (95 % of the thresholds
    // within 10 dB instead of 97.5 %).
    static constexpr int drop_db = 6;
    // The first ascent of a frequency starts this far below the ear's previous threshold.
    static constexpr int first_start_below_db = 10;
    static constexpr int max_ascents = 5;
    // A pause lasts 3 to 7 tone ticks of 400 ms (1.2 s to 2.8 s); an ascent's first level lasts at least
    // 3 ticks, so it is heard at least once before the first rise.
    static constexpr int pause_ticks_min = 3;
    static constexpr int pause_ticks_max = 7;
    static constexpr int first_level_ticks = 3;
    static constexpr int tick_ms = 400;

    enum class Phase { none, ascent, pause };
    // What a press or the top of the scale did.
    enum class Outcome {
        false_alarm, // in silence: nothing recorded, nothing changes
        dropped,     // the ascent ended; the level dropped and a pause began
        found,       // the frequency is done: `result()`
    };

    void seed(std::uint32_t seed) { random_.seed(seed); }

    // A new ear: its statistics start over.
    void begin_ear();
    // A new frequency of the ear, `retest` for the second 1 kHz run; returns the first ascent's level.
    int begin_frequency(std::uint16_t freq_hz, bool retest);
    bool active() const { return phase_ != Phase::none; }
    std::uint16_t freq() const { return freq_hz_; }
    bool retesting() const { return retest_; }
    // The level the current ascent started at; a silent ascent ends there again.
    int ascent_start() const { return ascent_start_; }
    // No tone may sound: a pause or a silent ascent.
    bool silent() const { return phase_ == Phase::pause || (phase_ == Phase::ascent && catch_trial_); }

    // Timer1: true when a pause ends here and a sounding ascent begins (the tone is to come back).
    bool tone_tick();
    // Timer2: whether the level rises at this tick.
    bool may_rise() const;
    // After the level rose; true when that ended a silent ascent (the level goes back to its start).
    bool rose();
    // "ok. detected" at `level_db`; on a drop `level_db` becomes the level the next ascent starts at.
    Outcome press(int& level_db);
    // The level reached the top without a press.
    Outcome top_reached(int& level_db);
    // The room was too loud during the running ascent: it counts for nothing and begins again at its
    // start after a pause. Returns that level.
    int repeat_ascent() {
        catch_trial_ = false;
        start_pause();
        return ascent_start_;
    }

    int result() const { return result_; }
    bool result_uncertain() const { return uncertain_; }
    // The ear's thresholds found so far by this procedure (-1: none), and the uncertain marks.
    int threshold_at(std::uint16_t freq_hz) const { return thresholds_[freq_to_index(freq_hz)]; }
    bool uncertain_at(std::uint16_t freq_hz) const { return uncertain_marks_[freq_to_index(freq_hz)]; }
    int last_threshold() const { return last_threshold_; }
    const EarReliability& ear() const { return ear_; }

  private:
    void start_pause();
    Outcome finish(int threshold_db, bool uncertain);
    int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random_); }

    std::mt19937 random_{0x4b656c76u};
    Phase phase_ = Phase::none;
    std::uint16_t freq_hz_ = 0;
    bool retest_ = false;
    bool catch_trial_ = false;
    int catch_steps_left_ = 0;
    int ascent_start_ = 0;
    int ticks_ = 0;       // tone ticks in the current phase
    int pause_ticks_ = 0; // the current pause's length
    int rises_ = 0;       // rises in the current ascent
    int start_drops_ = 0; // ascents ended at their first level
    std::vector<int> presses_;
    int result_ = 0;
    bool uncertain_ = false;
    std::array<int, freq_index_count + 1> thresholds_{};
    std::array<bool, freq_index_count + 1> uncertain_marks_{};
    int last_threshold_ = -1;
    int first_1k_ = -1;
    EarReliability ear_;
};

} // namespace kelvor::hearing
