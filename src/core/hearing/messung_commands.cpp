// The main window as the user meets it: start-up, the Start command, closing, the clear buttons and the
// commands of the menu that are not part of the measuring itself.
#include "core/chart/curves.h"
#include "core/diagnostics/log_buffer.h"
#include "core/hearing/messung.h"
#include "core/host/dialogs.h"
#include "core/host/files.h"
#include "core/host/system_info.h"
#include "core/port/small_port.h"
#include "core/settings/language_tables.h"

namespace kelvor::hearing {

namespace {

bool nt_family(host::SystemInfo& system) {
    return port::PlatformFamily(system) >= host::platform_windows_nt;
}

} // namespace

void TMessung::show_port_log() {
    port_buffer_.show(port_log_);
}

void TMessung::FormCreate(int client_width, int client_height) {
    client_width_ = client_width;
    client_height_ = client_height;
    // Until start-up is done the layout runs at its largest scale, so the first drawing below creates both
    // chart surfaces big enough for every chart size the window will ever show.
    layout_.set_Ohr_WindowData(client_width_, client_height_, false, chart_);
    layout_.assignPPos(c_);
    c_.Ohr_gif_re.visible = false;
    chart_.init_Graph_var();
    reset_result(s_.results_li, results_li_name);
    reset_result(s_.results_re, results_re_name);
    chart::build_norm_values(s_.norm_values);
    layout_.set_Ohr_WindowData(client_width_, client_height_, false, chart_);
    layout_.assignPPos(c_);
    redraw_chart(ear_left);
    chart_.draw_line(ear_left, s_.results_li, colours::blue);
    redraw_chart(ear_right);
    chart_.draw_line(ear_right, s_.results_re, colours::blue);
    redraw_chart(ear_left);
    redraw_chart(ear_right);

    tone_.set_port_driver(port_driver_);
    set_cur_ear(s_.cur_ear); // the output starts out on the ear the state names
    if (port_driver_ != nullptr && !port_driver_->Opened()) port_driver_->OpenDriver();
    if (nt_family(system_)) lock_normal_range();

    layout_.Form_ready = true;
    FormResize();

    languages_.use_english();
    chart_.use_texts(&languages_.current());
    apply_language();

    port_buffer_.add_line(" fini FormCreate");
    show_port_log();
}

void TMessung::StartClick() {
    port_buffer_.add_line(" init START");
    port::OSVersionText(system_, port_buffer_);
    if (nt_family(system_))
        settings_.nt_layout();
    else
        settings_.win9x_layout();
    const bool results_file_exists = files_.can_open_read_write(results_file_name);
    c_.Memo1_D.visible = false;
    c_.Memo1_E.visible = false;
    if (!tone_.Soundcard_present()) dialogs_.message_box(msg_no_soundcard);

    if (profile_ != nullptr) profile_->before_first_tone();

    s_.on_hold = false;
    tone_.start_tone();

    s_.on_hold = true;
    set_test_level(calibration_level_db);
    set_test_freq(calibration_freq_hz);
    s_.test_started = true;

    c_.Test_db.visible = s_.show_level;
    c_.F_Leiste_re.visible = false;
    c_.F_Leiste_li.visible = true;
    c_.Ohr_li_img.cursor = Cursor::arrow;
    c_.Ohr_re_img.cursor = Cursor::hand_point;
    set_cur_ear(ear_left);
    c_.Ohr_gif_li.visible = true;
    c_.Ohr_gif_re.visible = false;

    if (results_file_exists) {
        // Used before: the automatic sequence begins on the left ear at the top of the range.
        s_.on_hold = false;
        set_test_level(0);
        set_test_freq(s_.f_max);
        confirmed_ear_ = 0;
        s_.reliability_li.reset();
        s_.reliability_re.reset();
        room_test_ends(false);
        s_.room.reset();
        if (s_.watch_room && room_ != nullptr) {
            room_active_ = true;
            room_->test_begins(); // listens before the first tone
        }
        if (confirming()) begin_confirmed_frequency(false);
    } else {
        // First use: the calibration tone pulses while the user adjusts the mixer; closing the output
        // settings ends the hold.
        Justierung1kHz12dB1Click();
        settings_.show();
        dialogs_.message_box(msg_adjust_mixer);
    }

    port_buffer_.add_line(" fini START");
    show_port_log();
}

void TMessung::FormClose() {
    room_test_ends(false);
    tone_.OPL2_aus();
    tone_.speaker_off();
    tone_.free_waves();
}

void TMessung::FormResize(int client_width, int client_height) {
    client_width_ = client_width;
    client_height_ = client_height;
    FormResize();
}

void TMessung::FormResize() {
    layout_.FormResize(client_width_, client_height_, c_, chart_, s_);
}

void TMessung::clear_liClick() {
    reset_result(s_.results_li, results_li_name);
    s_.reliability_li.reset(); // no thresholds, nothing to trust
    redraw_chart(ear_left);
}

void TMessung::clear_reClick() {
    reset_result(s_.results_re, results_re_name);
    s_.reliability_re.reset();
    redraw_chart(ear_right);
}

// The save reads the item's state: it keeps the test only while the item is checked.
void TMessung::Keep_TestsClick() {
    c_.menu.Keep_Tests.checked = !c_.menu.Keep_Tests.checked;
}

void TMessung::DevMethPortsClick() {
    settings_.set_menu_captions(languages_.current());
    settings_.show();
    // The data stream uses no port: its port choices are greyed out, and the tone waits while the user
    // adjusts.
    if (settings_.data_stream_selected()) {
        s_.on_hold = true;
        settings_.disable_port_group();
    }
}

void TMessung::PortLogInfo1Click() {
    if (s_.port_log_on) {
        s_.port_log_on = false;
    } else {
        place_port_log();
        s_.port_log_on = true;
    }
    c_.PortData.visible = s_.port_log_on;
}

void TMessung::anzeigen2Click() {
    c_.Memo1_E.visible = true; // the English text, whatever the language
}

void TMessung::ausblenden2Click() {
    c_.Memo1_E.visible = false;
    c_.Memo1_D.visible = false;
}

// The records stay in memory; only their curves leave the charts until they are drawn again.
void TMessung::neu1Click() {
    Messung_liClick();
    redraw_chart(ear_left);
    redraw_chart(ear_right);
}

void TMessung::zeichnen1Click() {
    Messwerte_zeichnen();
}

void TMessung::beenden1Click() {
    tone_.OPL2_aus();
    window_.close();
}

} // namespace kelvor::hearing
