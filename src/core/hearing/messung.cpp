#include "core/hearing/messung.h"

#include <algorithm>
#include <cmath>

#include "core/common/text_format.h"
#include "core/diagnostics/log_buffer.h"
#include "core/host/output_routing.h"
#include "core/settings/language_tables.h"

namespace kelvor::hearing {

namespace {

constexpr int progress_after_step = 1; // the level restarted at 0 dB
constexpr int progress_wrap = 3;       // where the activity count starts over
constexpr int progress_after_drop = 4; // after a -6 dB or -10 dB step
constexpr int panel_bot_width = 624;
constexpr std::uint8_t level_step_up_db = 2;
constexpr std::uint8_t level_step_down_db = 6;
constexpr std::uint8_t level_drop_db = 10;

std::int8_t clamp_level(int level_db) {
    return static_cast<std::int8_t>(std::clamp<int>(level_db, level_min_db, level_max_db));
}

} // namespace

TMessung::TMessung(const MessungServices& services)
    : s_(services.state), tone_(services.tone), chart_(services.chart), settings_(services.settings),
      languages_(services.languages), sound_log_(services.sound_log), port_log_(services.port_log),
      port_buffer_(services.port_buffer), system_(services.system), dialogs_(services.dialogs),
      files_(services.files), browser_(services.browser), window_(services.window),
      port_driver_(services.port_driver), routing_(services.routing), profile_(services.profile),
      room_(services.room) {
    settings_.use_main_window(*this);
}

// ---------------------------------------------------------------- operations

void TMessung::apply_level_display() {
    // While the test is on hold the display keeps whatever the hold gave it.
    if (!s_.on_hold) c_.Test_db.visible = s_.test_level >= level_max_db || s_.show_level;
}

void TMessung::set_test_level(std::int8_t level_db) {
    s_.test_level = level_db;
    tone_.set_level(level_db);
    c_.Test_db.caption = number_text(s_.test_level, 3);
    if (level_db == 0) c_.db_Progress.position = progress_after_step;
    apply_level_display();
}

void TMessung::set_test_freq(std::uint16_t freq_hz) {
    s_.test_freq = freq_hz;
    // Moving the bars from here runs none of their change handlers.
    c_.F_Leiste_li.set_position(freq_to_index(freq_hz));
    c_.F_Leiste_re.set_position(freq_to_index(freq_hz));
    tone_.set_frequency(freq_hz);
    c_.Test_F.caption = number_text(freq_hz, 5);
}

// Both steps test the range before stepping, so a coarse step from an odd index can end one position
// outside it (7000 Hz -> 9000 Hz, 175 Hz -> 75 Hz in the normal range).
void TMessung::step_freq_up() {
    if (s_.test_freq < s_.f_max) {
        const int step = c_.f_fine.checked ? 1 : 2;
        s_.test_freq = index_to_freq(static_cast<std::uint8_t>(freq_to_index(s_.test_freq) + step));
    }
    c_.f_No.caption = number_text(freq_to_index(s_.test_freq), 2);
}

void TMessung::step_freq_down() {
    if (s_.test_freq > s_.f_min) {
        const int index = freq_to_index(s_.test_freq);
        const int step = c_.f_fine.checked || index == 2 ? 1 : 2;
        s_.test_freq = index_to_freq(static_cast<std::uint8_t>(std::max(index - step, 0)));
    }
    c_.f_No.caption = number_text(freq_to_index(s_.test_freq), 2);
}

void TMessung::Messwerte_zeichnen() {
    chart_.draw_line(ear_left, s_.results_li, colours::blue);
    chart_.draw_line(ear_right, s_.results_re, colours::blue);
}

void TMessung::level_down_10() {
    set_test_level(clamp_level(s_.test_level - level_drop_db));
    c_.db_Progress.position = progress_after_drop;
}

void TMessung::place_port_log() {
    hearing::place_port_log(c_, s_.cur_ear);
}

void TMessung::redraw_chart(std::int8_t ear) {
    chart_.clear_chart(ear, ear == ear_left ? c_.F_Leiste_li.maximum : c_.F_Leiste_re.maximum);
}

void TMessung::set_track_maximum(int maximum) {
    c_.F_Leiste_li.set_maximum(maximum);
    c_.F_Leiste_re.set_maximum(maximum);
}

void TMessung::set_normal_range() {
    s_.f_min = f_min_normal;
    s_.f_max = f_max_normal;
    chart_.set_freq_axis(std::log(double(s_.f_min)), std::log(double(s_.f_max)));
    set_track_maximum(track_max_normal);
    if (c_.f_extended.checked) {
        set_f_extended_checked(false);
        set_test_freq(s_.f_max);
        redraw_chart(ear_left);
        redraw_chart(ear_right);
    }
}

void TMessung::set_extended_range() {
    // Neither the NT family's port access nor the data stream can make the extended range.
    if (settings_.nt_family_selected() || settings_.data_stream_selected()) {
        disable_extended_range();
        return;
    }
    s_.f_min = f_min_extended;
    s_.f_max = f_max_extended;
    chart_.set_freq_axis(std::log(double(s_.f_min)), std::log(double(s_.f_max)));
    set_track_maximum(track_max_extended);
    if (c_.f_extended.checked) {
        set_test_freq(s_.f_max);
        redraw_chart(ear_left);
        redraw_chart(ear_right);
    }
    c_.f_extended.enabled = true;
}

void TMessung::disable_extended_range() {
    set_normal_range();
    c_.f_extended.enabled = false;
}

void TMessung::lock_normal_range() {
    set_f_extended_checked(false);
    c_.f_extended.enabled = false;
    s_.f_min = f_min_normal;
    s_.f_max = f_max_normal;
    chart_.set_freq_axis(ln_series(s_.f_min), ln_series(s_.f_max));
    set_track_maximum(track_max_normal);
    set_test_freq(s_.f_max);
    s_.on_hold = false;
}

// Boxes set by the program run their click handler when their state changes, as a user's click would.
void TMessung::set_f_extended_checked(bool checked) {
    if (c_.f_extended.checked == checked) return;
    c_.f_extended.checked = checked;
    f_extendedClick();
}

void TMessung::set_auto_checked(bool checked) {
    if (c_.auto_.checked == checked) return;
    c_.auto_.checked = checked;
    autoClick();
}

// ---------------------------------------------------------------- timers

void TMessung::Ton_on_off() {
    if (c_.PortData.visible) sound_log_.show(port_log_);
    c_.Test_db.caption = number_text(s_.test_level, 3);
    c_.Test_F.caption = number_text(s_.test_freq, 5);
    if (s_.test_started) {
        c_.Start.caption = "Start";
        if (room_tick()) {
            mute(true);
        } else if (confirming() && !s_.on_hold) {
            sync_confirmed();
            confirmed_.tone_tick();
            mute(confirmed_.silent());
            show_confirmed_progress();
        } else if (tone_muted_) {
            mute(false); // on hold, or the option or the automatic mode went off during a pause
        }
        tone_.tone_pulse();
        c_.Noise_on.checked = !c_.Noise_on.checked;
        if (c_.Noise_on.checked && tone_.data_stream_method()) tone_.play_wave();
        // The button blinks in opposite phase to the lamp.
        if (c_.Noise_on.checked)
            c_.ok_select.caption.clear();
        else
            c_.ok_select.caption =
                languages_.text(s_.on_hold ? settings::slot_continue : settings::slot_ok_detected);
    } else {
        c_.Noise_on.checked = false;
        c_.Start.caption = c_.Start.caption.empty() ? "Start" : "";
    }
}

void TMessung::Timer2Timer() {
    if (!s_.test_started || s_.on_hold || room_waiting_) return;
    if (confirming())
        confirmed_rise();
    else
        db_upClick();
}

// ---------------------------------------------------------------- level commands

// An automatic run ends an ear at the bottom of the range. A coarse walk that started on an odd index
// lands one position below the range (75 Hz in the normal range), where no further step down is taken;
// counting that as the bottom too lets the run finish instead of recording there over and over.
bool TMessung::at_range_bottom() const {
    return s_.test_freq <= s_.f_min;
}

void TMessung::record_current_point() {
    set_result_entry(s_.current_results(), freq_to_index(s_.test_freq), s_.test_freq, s_.test_level);
    if (room_active_) room_->threshold_recorded(s_.cur_ear, s_.test_freq);
}

// The room watch hears the room at every tone tick; while it listens before the test, the test waits and
// the status bar says why.
bool TMessung::room_tick() {
    if (!room_active_) return false;
    const bool waiting = room_->tick(tone_.data_stream_method());
    if (waiting)
        c_.StatusBar1.caption = room_->waiting_text();
    else if (room_waiting_)
        c_.StatusBar1.caption.clear();
    room_waiting_ = waiting;
    return waiting;
}

void TMessung::room_test_ends(bool complete) {
    if (!room_active_) return;
    room_active_ = room_waiting_ = false;
    room_->test_ends(complete);
}

void TMessung::db_upClick() {
    set_auto_checked(s_.auto_mode);
    if (s_.test_level < level_max_db) {
        s_.test_level = clamp_level(s_.test_level + level_step_up_db);
        advance_progress();
    } else if (s_.auto_mode) {
        // No reaction even at the top level: the top level is the result.
        record_current_point();
        Messwerte_zeichnen();
        if (!at_range_bottom())
            Test_F_dn();
        else if (s_.cur_ear == ear_left)
            Messung_reClick();
        else
            sequence_done();
    } else {
        c_.Test_db.visible = true;
    }
    set_test_level(s_.test_level);
}

void TMessung::advance_progress() {
    RangeControl& bar = c_.db_Progress;
    bar.position = bar.position < bar.maximum - 3 ? bar.position + 1 : progress_wrap;
}

void TMessung::db_6dnClick() {
    set_test_level(clamp_level(s_.test_level - level_step_down_db));
    c_.db_Progress.position = s_.test_level == 0 ? 0 : progress_after_drop;
}

void TMessung::db_resetClick() {
    s_.test_level = 0;
    tone_.set_level(0);
    c_.Test_db.caption = number_text(0, 3);
    c_.db_Progress.position = 0;
}

void TMessung::Justierung1kHz12dB1Click() {
    s_.on_hold = true;
    set_test_level(calibration_level_db);
    set_test_freq(calibration_freq_hz);
}

void TMessung::anzeigen() {
    s_.show_level = true;
    c_.Test_db.visible = true;
}

void TMessung::ausblenden1Click() {
    s_.show_level = false;
    c_.Test_db.visible = false;
}

// ---------------------------------------------------------------- frequency commands

void TMessung::Test_F_up() {
    if (s_.test_freq < s_.f_max) {
        set_test_level(0);
        step_freq_up();
        set_test_freq(s_.test_freq);
    }
    s_.on_hold = false;
}

void TMessung::Test_F_dn() {
    next_frequency_down(true);
}

// The confirmed threshold steps down without the 0 dB: its procedure says where the next frequency begins.
void TMessung::next_frequency_down(bool from_0_db) {
    if (s_.test_freq > s_.f_min) {
        if (from_0_db) set_test_level(0);
        step_freq_down();
        set_test_freq(s_.test_freq);
    }
    c_.Panel_bot.bounds.width = panel_bot_width;
    s_.on_hold = false;
}

void TMessung::min1Click() {
    set_test_freq(s_.f_min);
}
void TMessung::max1Click() {
    set_test_freq(s_.f_max);
}

void TMessung::on_track_bar_moved(RangeControl& bar, int position) {
    bar.set_position(position);
    set_test_freq(index_to_freq(static_cast<std::uint8_t>(bar.position)));
}

void TMessung::F_Leiste_liChange(int position) {
    on_track_bar_moved(c_.F_Leiste_li, position);
}
void TMessung::F_Leiste_reChange(int position) {
    on_track_bar_moved(c_.F_Leiste_re, position);
}

// ---------------------------------------------------------------- detection

void TMessung::db_select() {
    if (!s_.on_hold && confirming()) {
        confirmed_press();
        return;
    }
    const std::uint8_t index = freq_to_index(s_.test_freq);
    if (s_.on_hold) { // "continue"
        s_.on_hold = false;
        apply_level_display();
        if (!s_.auto_mode) chart_.draw_mark_centre(s_.cur_ear, index);
        return;
    }
    s_.on_hold = true;
    c_.Test_db.visible = true;
    record_current_point();
    if (!s_.auto_mode) {
        chart_.draw_mark(s_.cur_ear, index); // stays on hold until the user moves on
        return;
    }
    Messwerte_zeichnen();
    if (!at_range_bottom())
        Test_F_dn(); // also ends the hold
    else if (s_.cur_ear == ear_left)
        Messung_reClick();
    else
        sequence_done(); // the right ear is done too and the test stays on hold
}

void TMessung::sequence_done() {
    s_.on_hold = true;
    room_test_ends(true); // before the profile, which keeps a reference run's room
    if (profile_ != nullptr) profile_->sequence_complete();
}

void TMessung::auswhlen1Click() {
    s_.on_hold = true;
    c_.Test_db.visible = true;
    record_current_point();
    chart_.draw_mark(s_.cur_ear, freq_to_index(s_.test_freq));
}

// ---------------------------------------------------------------- ears

// The sound output hears of the change at once: with routing on, the tone moves to the other side at
// this moment, between two of its pulses' events.
void TMessung::set_cur_ear(std::int8_t ear) {
    s_.cur_ear = ear;
    if (routing_ != nullptr) routing_->set_tested_ear(ear == ear_left ? host::Ear::left : host::Ear::right);
}

// Both charts are redrawn with their ear's curve, the other ear's chart first. Marks of the other ear are
// erased when the left ear is selected, but on the way to the right ear only in manual mode: in
// automatic mode the run switches to the right ear by itself and the left marks stay.
void TMessung::select_ear(std::int8_t ear) {
    const bool left = ear == ear_left;
    const std::int8_t other = left ? ear_right : ear_left;
    const TEarResult& other_results = left ? s_.results_re : s_.results_li;
    const TEarResult& own_results = left ? s_.results_li : s_.results_re;

    (left ? c_.F_Leiste_re : c_.F_Leiste_li).visible = false;
    (left ? c_.F_Leiste_li : c_.F_Leiste_re).visible = true;
    (left ? c_.Ohr_li_img : c_.Ohr_re_img).cursor = Cursor::arrow;
    (left ? c_.Ohr_re_img : c_.Ohr_li_img).cursor = Cursor::hand_point;
    set_cur_ear(ear);
    confirmed_ear_ = 0; // a confirmed run starts the ear over
    redraw_chart(other);
    if (left || !s_.auto_mode)
        for (int index = freq_to_index(s_.f_max); index >= 1; --index)
            if (other_results.entries[index].flag == 1)
                chart_.erase_mark(other, static_cast<std::uint8_t>(index));
    chart_.draw_line(other, other_results, colours::blue);
    redraw_chart(ear);
    chart_.draw_line(ear, own_results, colours::blue);
    c_.Ohr_gif_li.visible = left;
    c_.Ohr_gif_re.visible = !left;
    s_.on_hold = false;
    set_test_level(0);
    set_test_freq(s_.f_max);
    place_port_log();
}

void TMessung::Messung_liClick() {
    select_ear(ear_left);
}

void TMessung::Messung_reClick() {
    // The information memos lie over the right chart.
    c_.Memo1_D.visible = false;
    c_.Memo1_E.visible = false;
    select_ear(ear_right);
}

// ---------------------------------------------------------------- modes and range

void TMessung::autoClick() {
    if (c_.auto_.checked)
        zeichnenauto1Click();
    else
        zeichnenman1Click();
}

void TMessung::zeichnenauto1Click() {
    s_.auto_mode = true;
    s_.show_level = true;
    Messwerte_zeichnen();
    c_.Ohr_gif_li.cursor = Cursor::arrow;
    c_.Ohr_gif_re.cursor = Cursor::arrow;
}

// The curves stay as drawn; from now on a recorded point only gets a mark.
void TMessung::zeichnenman1Click() {
    s_.auto_mode = false;
    s_.show_level = false;
    c_.Ohr_gif_li.cursor = Cursor::hand_point;
    c_.Ohr_gif_re.cursor = Cursor::hand_point;
}

void TMessung::Ohr_gif_liClick() {
    if (!s_.auto_mode) Messwerte_zeichnen();
}

void TMessung::Ohr_gif_reClick() {
    if (!s_.auto_mode) Messwerte_zeichnen();
}

void TMessung::f_extendedClick() {
    if (c_.f_extended.checked)
        set_extended_range();
    else
        set_normal_range();
    s_.on_hold = false;
}

} // namespace kelvor::hearing
