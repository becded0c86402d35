// The main window's part in the confirmed threshold: the procedure decides, the window makes the tone,
// the level display and the walk over frequencies and ears follow.
#include "core/common/text_format.h"
#include "core/hearing/messung.h"

namespace kelvor::hearing {

namespace {
constexpr int progress_after_drop = 4; // as after a -6 dB or -10 dB step
}

bool TMessung::confirming() const {
    return s_.confirm_thresholds && s_.auto_mode && s_.test_started;
}

// The ear or frequency may have changed under the procedure (Start, an ear or a frequency chosen by hand):
// it then starts over there.
void TMessung::sync_confirmed() {
    if (confirmed_ear_ != s_.cur_ear || !confirmed_.active() || confirmed_.freq() != s_.test_freq)
        begin_confirmed_frequency(false);
}

void TMessung::begin_confirmed_frequency(bool retest) {
    if (confirmed_ear_ != s_.cur_ear) {
        confirmed_.begin_ear();
        confirmed_ear_ = s_.cur_ear;
    }
    const int level = confirmed_.begin_frequency(s_.test_freq, retest);
    tone_.set_muted(true);
    set_confirmed_level(level);
}

// The level goes to the tone output also while it is muted: the output keeps it for the next sounding half.
void TMessung::set_confirmed_level(int level_db) {
    set_test_level(static_cast<std::int8_t>(level_db));
}

void TMessung::confirmed_rise() {
    set_auto_checked(s_.auto_mode);
    if (!confirming()) return; // the box took the automatic mode away
    sync_confirmed();
    if (!confirmed_.may_rise()) return;
    if (s_.test_level >= level_max_db) {
        int level = s_.test_level;
        const auto outcome = confirmed_.top_reached(level); // sets the level the next ascent starts at
        confirmed_outcome(outcome, level);
        return;
    }
    advance_progress();
    int level = s_.test_level + 2;
    if (confirmed_.rose()) level = confirmed_.ascent_start();
    set_confirmed_level(level);
}

void TMessung::confirmed_press() {
    sync_confirmed();
    int level = s_.test_level;
    const auto outcome = confirmed_.press(level); // sets the level the next ascent starts at
    confirmed_outcome(outcome, level);
}

void TMessung::confirmed_outcome(ConfirmedProcedure::Outcome outcome, int level_db) {
    switch (outcome) {
    case ConfirmedProcedure::Outcome::false_alarm:
        return; // the test goes on as if nothing happened
    case ConfirmedProcedure::Outcome::dropped:
        tone_.set_muted(true);
        set_confirmed_level(level_db);
        c_.db_Progress.position = progress_after_drop;
        return;
    case ConfirmedProcedure::Outcome::found:
        tone_.set_muted(true);
        confirmed_found();
        return;
    }
}

void TMessung::confirmed_found() {
    const bool retest = confirmed_.retesting();
    if (!retest) {
        // Kelvor.dat keeps one level per ear and frequency: the retest only goes into the verdict.
        set_result_entry(s_.current_results(), freq_to_index(s_.test_freq), s_.test_freq,
                         confirmed_.result());
        Messwerte_zeichnen();
    }
    if (retest) {
        confirmed_ear_done();
    } else if (!at_range_bottom()) {
        // Test_F_dn without its 0 dB: the next frequency begins where the procedure says, in silence.
        step_freq_down();
        set_test_freq(s_.test_freq);
        c_.Panel_bot.bounds.width = 624;
        s_.on_hold = false;
        begin_confirmed_frequency(false);
    } else if (confirmed_.threshold_at(calibration_freq_hz) >= 0) {
        set_test_freq(calibration_freq_hz);
        begin_confirmed_frequency(true);
    } else {
        confirmed_ear_done();
    }
}

void TMessung::confirmed_ear_done() {
    (s_.cur_ear == ear_left ? reliability_li_ : reliability_re_) = confirmed_.ear();
    if (s_.cur_ear == ear_left) {
        Messung_reClick();
        begin_confirmed_frequency(false);
    } else {
        tone_.set_muted(false);
        sequence_done();
    }
}

} // namespace kelvor::hearing
