// The main window's part in the confirmed threshold: the procedure decides, the window makes the tone,
// the level display and the walk over frequencies and ears follow.
#include <algorithm>
#include <cmath>

#include "core/common/text_format.h"
#include "core/hearing/messung.h"
#include "core/settings/interface_texts.h"
#include "core/settings/language_tables.h"

namespace kelvor::hearing {

namespace {
constexpr int progress_after_drop = 4;      // as after a -6 dB or -10 dB step
constexpr double guess_ms_per_freq = 25000; // until the ear has a frequency of its own to go by
} // namespace

void TMessung::mute(bool muted) {
    if (muted == tone_muted_) return;
    tone_muted_ = muted;
    tone_.set_muted(muted);
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
    mute(true);
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
    if (room_active_ && confirmed_.active() && !confirmed_.silent() && room_->repeat_ascent()) {
        // Heard through the room's noise, or masked by it: the ascent counts for nothing.
        mute(true);
        set_confirmed_level(confirmed_.repeat_ascent());
        c_.db_Progress.position = progress_after_drop;
        return;
    }
    int level = s_.test_level;
    const auto outcome = confirmed_.press(level); // sets the level the next ascent starts at
    confirmed_outcome(outcome, level);
}

void TMessung::confirmed_outcome(ConfirmedProcedure::Outcome outcome, int level_db) {
    switch (outcome) {
    case ConfirmedProcedure::Outcome::false_alarm:
        return; // the test goes on as if nothing happened
    case ConfirmedProcedure::Outcome::dropped:
        if (room_active_) room_->ascent_over();
        mute(true);
        set_confirmed_level(level_db);
        c_.db_Progress.position = progress_after_drop;
        return;
    case ConfirmedProcedure::Outcome::found:
        mute(true);
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
        if (room_active_) room_->threshold_recorded(s_.cur_ear, s_.test_freq);
        Messwerte_zeichnen();
    } else if (room_active_) {
        room_->ascent_over();
    }
    if (retest) {
        confirmed_ear_done();
    } else if (!at_range_bottom()) {
        next_frequency_down(false); // it begins where the procedure says, in silence
        begin_confirmed_frequency(false);
    } else if (confirmed_.threshold_at(calibration_freq_hz) >= 0) {
        set_test_freq(calibration_freq_hz);
        begin_confirmed_frequency(true);
    } else {
        confirmed_ear_done();
    }
}

void TMessung::confirmed_ear_done() {
    (s_.cur_ear == ear_left ? s_.reliability_li : s_.reliability_re) = confirmed_.ear();
    if (s_.cur_ear == ear_left) {
        Messung_reClick();
        begin_confirmed_frequency(false);
    } else {
        mute(false);
        sequence_done();
        show_confirmed_verdicts();
    }
}

// The status bar tells where the test stands: the ear, the frequency's place in the ear's walk (the 1 kHz
// retest last), the time left from this ear's pace so far, and the verdict of an ear already done.
void TMessung::show_confirmed_progress() {
    int count = 0, position = 0;
    for (std::uint16_t f = s_.f_max; count < freq_index_count;) {
        ++count;
        if (f == s_.test_freq) position = count;
        if (f <= s_.f_min) break;
        const int index = freq_to_index(f);
        f = index_to_freq(
            static_cast<std::uint8_t>(std::max(index - (c_.f_fine.checked || index == 2 ? 1 : 2), 0)));
    }
    const int total = count + 1;
    if (confirmed_.retesting()) position = total;
    const EarReliability& ear = confirmed_.ear();
    const double per_freq = ear.frequencies > 0 ? ear.test_ms / ear.frequencies : guess_ms_per_freq;
    const int left = std::max(total - position, 0) + (s_.cur_ear == ear_left ? total : 0);
    const int minutes = static_cast<int>(std::ceil((left + 0.5) * per_freq / 60000));
    const bool german = languages_.german();
    using settings::Text;
    std::string text = settings::text_in(
        Text::confirmed_progress, german,
        {settings::text_in(s_.cur_ear == ear_left ? Text::ear_left_word : Text::ear_right_word, german),
         std::to_string(std::max(position, 1)), std::to_string(total), std::to_string(minutes)});
    if (s_.reliability_li && s_.cur_ear == ear_right)
        text = verdict_text(*s_.reliability_li, true, german) + "; " + text;
    c_.StatusBar1.caption = text;
}

void TMessung::show_confirmed_verdicts() {
    const bool german = languages_.german();
    std::string text;
    if (s_.reliability_li) text = verdict_text(*s_.reliability_li, true, german);
    if (s_.reliability_re)
        text += (text.empty() ? "" : "; ") + verdict_text(*s_.reliability_re, false, german);
    c_.StatusBar1.caption = text;
}

} // namespace kelvor::hearing
