#include "core/hearing/confirmed_procedure.h"

#include <algorithm>
#include <cstdlib>

#include "core/common/text_format.h"
#include "core/settings/interface_texts.h"

namespace kelvor::hearing {

namespace {

constexpr int step_db = 2;
constexpr int agree_within_db = step_db; // the same level or one step apart
// About one ascent in five is silent, never the first of a frequency and at most two per frequency.
constexpr int catch_one_in = 5;
constexpr int catch_max_per_frequency = 2;
constexpr int catch_steps_min = 2;
constexpr int catch_steps_max = 4;
// A press at an ascent's first level means it started too high; after this many the level is taken.
constexpr int start_drops_max = 3;

// The verdict's limits. Pauses and silent ascents are about a third of the test, a minute and a half per
// ear. A listener who presses at random once in two minutes makes fewer than four false alarms there in
// 98 ears of 100 in the benchmark, one who does so four times a minute more than three in 91 of 100: so
// the verdict doubts from four false alarms at two a minute of silence and gives up at four a minute.
// A steady listener's 1 kHz retest lands within 6 dB of the first threshold in 99 ears of 100 (one
// agreeing step and the 2 dB grid on each side); beyond 10 dB is more than the 8 dB over which hearing
// itself fades. A steady listener's presses agree within five ascents nearly always, so uncertain
// frequencies point at guessing.
constexpr double check_false_alarms_per_minute = 2.0;
constexpr double unreliable_false_alarms_per_minute = 4.0;
constexpr int check_false_alarms_min = 4; // fewer say nothing about a rate
constexpr int check_retest_db = 8;
constexpr int unreliable_retest_db = 12;
constexpr double check_uncertain_share = 0.2;
constexpr double unreliable_uncertain_share = 0.4;

} // namespace

double EarReliability::false_alarms_per_minute() const {
    // Less than half a minute of silence would make one press look like a habit.
    return false_alarms / (std::max(silent_ms, 30000.0) / 60000.0);
}

double EarReliability::uncertain_share() const {
    return frequencies == 0 ? 0.0 : double(uncertain) / frequencies;
}

Verdict EarReliability::verdict() const {
    const double rate = false_alarms_per_minute();
    const int retest = retested ? std::abs(retest_difference_db) : 0;
    const double share = uncertain_share();
    if ((false_alarms >= check_false_alarms_min && rate >= unreliable_false_alarms_per_minute) ||
        retest >= unreliable_retest_db || share >= unreliable_uncertain_share)
        return Verdict::unreliable;
    if ((false_alarms >= check_false_alarms_min && rate >= check_false_alarms_per_minute) ||
        retest >= check_retest_db || share > check_uncertain_share)
        return Verdict::check;
    return Verdict::reliable;
}

std::string verdict_text(const EarReliability& ear, bool left, bool german) {
    using settings::Text;
    using settings::text_in;
    const Verdict v = ear.verdict();
    const Text verdict = v == Verdict::reliable ? Text::verdict_reliable
                         : v == Verdict::check  ? Text::verdict_check
                                                : Text::verdict_unreliable;
    const int retest = ear.retest_difference_db;
    const std::string retest_text = !ear.retested ? "-" : (retest > 0 ? "+" : "") + std::to_string(retest);
    return text_in(Text::ear_verdict, german,
                   {text_in(left ? Text::ear_left_word : Text::ear_right_word, german),
                    text_in(verdict, german), fixed_text(ear.false_alarms_per_minute(), 1), retest_text,
                    std::to_string(ear.uncertain), std::to_string(ear.frequencies)});
}

void ConfirmedProcedure::begin_ear() {
    phase_ = Phase::none;
    thresholds_.fill(-1);
    uncertain_marks_.fill(false);
    last_threshold_ = -1;
    first_1k_ = -1;
    ear_ = {};
}

int ConfirmedProcedure::begin_frequency(std::uint16_t freq_hz, bool retest) {
    freq_hz_ = freq_hz;
    retest_ = retest;
    presses_.clear();
    start_drops_ = 0;
    catch_trial_ = false;
    const int previous = retest ? first_1k_ : last_threshold_;
    ascent_start_ = previous < 0 ? 0 : std::max(previous - first_start_below_db, 0);
    // Each frequency begins with a pause too, so no rhythm tells when the next tone comes.
    start_pause();
    return ascent_start_;
}

void ConfirmedProcedure::start_pause() {
    phase_ = Phase::pause;
    ticks_ = 0;
    pause_ticks_ = uniform(pause_ticks_min, pause_ticks_max);
}

bool ConfirmedProcedure::tone_tick() {
    if (phase_ == Phase::none) return false;
    ear_.test_ms += tick_ms;
    if (silent()) ear_.silent_ms += tick_ms;
    ++ticks_;
    if (phase_ != Phase::pause || ticks_ < pause_ticks_) return false;
    phase_ = Phase::ascent;
    ticks_ = 0;
    rises_ = 0;
    const int catches = int(std::count(presses_.begin(), presses_.end(), -1));
    catch_trial_ = !presses_.empty() && catches < catch_max_per_frequency && uniform(1, catch_one_in) == 1;
    if (catch_trial_) {
        presses_.push_back(-1); // a silent ascent, kept apart from the presses
        catch_steps_left_ = uniform(catch_steps_min, catch_steps_max);
    }
    return !catch_trial_;
}

bool ConfirmedProcedure::may_rise() const {
    return phase_ == Phase::ascent && ticks_ >= first_level_ticks;
}

bool ConfirmedProcedure::rose() {
    ++rises_;
    if (!catch_trial_ || --catch_steps_left_ > 0) return false;
    catch_trial_ = false;
    start_pause();
    return true;
}

ConfirmedProcedure::Outcome ConfirmedProcedure::finish(int threshold_db, bool uncertain) {
    phase_ = Phase::none;
    result_ = threshold_db;
    uncertain_ = uncertain;
    if (retest_) {
        ear_.retested = true;
        ear_.retest_difference_db = threshold_db - first_1k_;
        return Outcome::found;
    }
    thresholds_[freq_to_index(freq_hz_)] = threshold_db;
    uncertain_marks_[freq_to_index(freq_hz_)] = uncertain;
    last_threshold_ = threshold_db;
    if (freq_hz_ == calibration_freq_hz) first_1k_ = threshold_db;
    ++ear_.frequencies;
    ear_.uncertain += uncertain;
    return Outcome::found;
}

ConfirmedProcedure::Outcome ConfirmedProcedure::press(int& level_db) {
    if (phase_ == Phase::none) return Outcome::false_alarm;
    if (silent()) {
        ++ear_.false_alarms;
        return Outcome::false_alarm;
    }
    // Heard at the very first level: the ascent began above the threshold, so it starts over lower.
    if (rises_ == 0 && level_db > 0 && start_drops_ < start_drops_max) {
        ++start_drops_;
        level_db = ascent_start_ = std::max(level_db - drop_db, 0);
        start_pause();
        return Outcome::dropped;
    }
    std::vector<int> heard;
    for (int p : presses_)
        if (p >= 0) heard.push_back(p);
    // The lowest level by which two ascents were answered: of two agreeing presses the higher one.
    int best = -1;
    for (int p : heard)
        if (std::abs(p - level_db) <= agree_within_db) {
            const int agreed = std::max(p, level_db);
            if (best < 0 || agreed < best) best = agreed;
        }
    presses_.push_back(level_db);
    heard.push_back(level_db);
    if (best >= 0) return finish(best, false);
    if (int(heard.size()) >= max_ascents) {
        std::sort(heard.begin(), heard.end());
        return finish(heard[(heard.size() - 1) / 2], true);
    }
    level_db = ascent_start_ = std::max(level_db - drop_db, 0);
    start_pause();
    return Outcome::dropped;
}

// No press even at the top counts as an answer there, so an ear that hears nothing ends after two ascents.
ConfirmedProcedure::Outcome ConfirmedProcedure::top_reached(int& level_db) {
    if (silent()) {
        catch_trial_ = false;
        start_pause();
        level_db = ascent_start_;
        return Outcome::dropped;
    }
    rises_ = std::max(rises_, 1);
    return press(level_db);
}

} // namespace kelvor::hearing
