#include "core/settings/parameter.h"

#include <algorithm>
#include <type_traits>

#include "core/hearing/frequency_scale.h"
#include "core/hearing/test_state.h"
#include "core/host/dialogs.h"
#include "core/host/output_routing.h"
#include "core/host/system_info.h"
#include "core/port/small_port.h"
#include "core/tone/tone_output.h"

namespace kelvor::settings {

TParameter::TParameter(const ParameterServices& services)
    : s_(services.state), tone_(services.tone), system_(services.system), dialogs_(services.dialogs),
      routing_(services.routing), dlg_port_(port_table[port_choice_default].address),
      port_at_activate_(port_table[port_choice_default].address),
      saved_show_level_(services.state.show_level), saved_auto_mode_(services.state.auto_mode) {
    radio_groups_ = {{&c_.OS_Win_NT2000XP, &c_.OS_Win_9598},
                     {&c_.Dev_Sound_Card, &c_.Dev_PC_Speaker},
                     {&c_.MethB_Direct_Port, &c_.MethB_Port_Driver, &c_.MethB_Data_Stream},
                     {&c_.Driver_sys, &c_.Driver_vxd},
                     {}};
    for (CheckControl& radio : c_.ports)
        radio_groups_.back().push_back(&radio);

    radio_handlers_ = {{&c_.OS_Win_NT2000XP, [this] { OS_Win_NT2000XPClick(); }},
                       {&c_.OS_Win_9598, [this] { OS_Win_9598Click(); }},
                       {&c_.Dev_Sound_Card, [this] { Dev_Sound_CardClick(); }},
                       {&c_.Dev_PC_Speaker, [this] { Dev_PC_SpeakerClick(); }},
                       {&c_.MethB_Direct_Port, [this] { MethB_Direct_PortClick(); }},
                       {&c_.MethB_Port_Driver, [this] { MethB_Port_DriverClick(); }},
                       {&c_.MethB_Data_Stream, [this] { MethB_Data_StreamClick(); }}};
    for (std::size_t i = 0; i < port_choice_count; ++i)
        radio_handlers_.push_back({&c_.ports[i], [this, i] { PortClick(i); }});

    c_.Ear_Routing.enabled = routing_ == nullptr || routing_->routing_available();
    set_option_texts();
}

void TParameter::radio_click(CheckControl& radio) {
    // A radio's handler answers a change of the choice: clicking the one already chosen changes nothing,
    // so it runs nothing (it would otherwise re-enable groups the chosen path has no use for).
    if (radio.checked) return;
    check_radio(radio);
    for (const RadioHandler& h : radio_handlers_)
        if (h.radio == &radio) h.click();
}

std::vector<CheckControl*>* TParameter::group_of(const CheckControl& radio) {
    for (auto& group : radio_groups_)
        if (std::find(group.begin(), group.end(), &radio) != group.end()) return &group;
    return nullptr;
}

void TParameter::check_radio(CheckControl& radio) {
    if (std::vector<CheckControl*>* group = group_of(radio))
        for (CheckControl* other : *group)
            other->checked = false;
    radio.checked = true;
}

void TParameter::check_by_program(CheckControl& radio, void (TParameter::*click)()) {
    if (radio.checked) return;
    check_radio(radio);
    (this->*click)();
}

// ---------------------------------------------------------------- shared steps

void TParameter::set_port_group_enabled(bool enabled) {
    for (CheckControl& radio : c_.ports)
        radio.enabled = enabled;
    c_.Port_Test.enabled = enabled;
    c_.Port_Cancel.enabled = enabled;
    const Rgb colour = enabled ? colours::black : port_group_gray;
    c_.active_Port.text_colour = colour;
    c_.Test_port.text_colour = colour;
}

void TParameter::enable_port_group() {
    set_port_group_enabled(true);
}

void TParameter::disable_port_group() {
    set_port_group_enabled(false);
}

void TParameter::port_group_for_device() {
    set_port_group_enabled(!c_.Dev_PC_Speaker.checked);
}

void TParameter::read_method() {
    tone::TOutputSettings& out = tone_.settings();
    if (c_.MethB_Direct_Port.checked)
        out.out_method = tone::meth_direct;
    else if (c_.MethB_Port_Driver.checked)
        out.out_method = tone::meth_driver;
    else if (c_.MethB_Data_Stream.checked)
        out.out_method = tone::meth_stream;
}

void TParameter::read_device() {
    tone::TOutputSettings& out = tone_.settings();
    if (c_.Dev_PC_Speaker.checked)
        out.out_device = tone::dev_speaker;
    else if (c_.Dev_Sound_Card.checked)
        out.out_device = tone::dev_soundcard;
}

void TParameter::set_port(std::uint16_t address) {
    tone::TOutputSettings& out = tone_.settings();
    // The chip never ends a note by itself, and from now on the pulse writes to the new port: a tone left
    // sounding at the old one would go on for good. Silence it there first. Before a test has started
    // nothing was keyed there, and the dialog plays nothing.
    if (address != out.port_base && out.out_device == tone::dev_soundcard && s_.test_started) tone_.silence();
    out.set_port_base(address);
}

void TParameter::update_active_port_text() {
    c_.active_Port.caption = text_in(Text::active_port, german_) + c_.Test_port.caption;
}

void TParameter::set_extended_range() {
    if (main_ != nullptr) main_->set_extended_range();
}

void TParameter::disable_extended_range() {
    if (main_ != nullptr) main_->disable_extended_range();
}

void TParameter::set_dialog_texts() {
    c_.Port_Addr.caption = text_in(Text::port_addr, german_);
    c_.Port_ok.caption = text_in(Text::port_ok, german_);
    c_.Port_Cancel.caption = text_in(Text::port_cancel, german_);
    update_active_port_text();
}

void TParameter::set_option_texts() {
    c_.Ear_Routing.caption = text_in(Text::ear_routing, german_);
    c_.Ear_Routing.hint =
        text_in(c_.Ear_Routing.enabled ? Text::ear_routing_hint : Text::ear_routing_unavailable, german_);
    c_.Soft_Onset.caption = text_in(Text::soft_onset, german_);
    c_.Soft_Onset.hint = text_in(Text::soft_onset_hint, german_);
    c_.Confirm_Thresholds.caption = text_in(Text::confirm_thresholds, german_);
    c_.Confirm_Thresholds.hint = text_in(Text::confirm_thresholds_hint, german_);
    c_.Watch_Room.caption = text_in(Text::watch_room, german_);
    c_.Watch_Room.hint = text_in(Text::watch_room_hint, german_);
}

void TParameter::set_menu_captions(const TextTable& table) {
    c_.Dev_Sound_Card.caption = table[slot_sound_card];
    c_.Dev_PC_Speaker.caption = table[slot_pc_speaker];
    c_.IO_Method.caption = table[slot_output_method];
    c_.IO_Device.caption = table[slot_output_device];
    c_.MethB_Direct_Port.caption = table[slot_direct_port];
    c_.MethB_Port_Driver.caption = table[slot_port_driver];
    c_.MethB_Data_Stream.caption = table[slot_data_stream];
    c_.IO_Port_Drivers.caption = table[slot_port_drivers];
    c_.Calib_Volume.caption = table[slot_calibration];
    c_.Port_Addr.caption = table[slot_opl2_port];
}

void TParameter::use_language(bool german) {
    german_ = german;
    set_dialog_texts();
    set_option_texts();
}

void TParameter::show() {
    c_.form.visible = true;
    ++show_requests_;
}

// ---------------------------------------------------------------- family layouts

void TParameter::nt_layout() {
    family_layout(true);
}

void TParameter::win9x_layout() {
    family_layout(false);
}

// The NT family lets no user code run port instructions and cannot make the extended range; each family
// has its own driver.
void TParameter::family_layout(bool nt) {
    if (nt)
        check_by_program(c_.OS_Win_NT2000XP, &TParameter::OS_Win_NT2000XPClick);
    else
        check_by_program(c_.OS_Win_9598, &TParameter::OS_Win_9598Click);
    c_.MethB_Direct_Port.enabled = !nt;
    if (nt && c_.MethB_Direct_Port.checked) check_radio(c_.MethB_Port_Driver);
    if (c_.MethB_Port_Driver.checked) {
        c_.Driver_sys.enabled = nt;
        c_.Driver_vxd.enabled = !nt;
    }
    check_radio(nt ? c_.Driver_sys : c_.Driver_vxd);
    read_method();
    read_device();
    if (c_.MethB_Data_Stream.checked) disable_port_group();
    if (nt)
        disable_extended_range();
    else
        set_extended_range();
}

// ---------------------------------------------------------------- window

void TParameter::FormActivate() {
    if (port::PlatformFamily(system_) < host::platform_windows_nt)
        win9x_layout();
    else
        nt_layout();

    const tone::TOutputSettings& out = tone_.settings();
    port_at_activate_ = out.port_base;
    // The mode given back at close is the main window's own. When the window becomes active again while
    // it is open (focus back from the main window or from a message box, or Cancel), the main window
    // still holds the mode forced below unless the user changed it there meanwhile: saving that would
    // leave the test in manual mode after closing, so the values saved before are kept.
    const bool still_forced = holding_saved_mode_ && s_.show_level && !s_.auto_mode;
    if (!still_forced) {
        saved_show_level_ = s_.show_level;
        saved_auto_mode_ = s_.auto_mode;
    }
    holding_saved_mode_ = true;

    const auto choice = std::find_if(port_table.begin(), port_table.end(),
                                     [&](const PortChoice& p) { return p.address == out.port_base; });
    if (choice != port_table.end()) {
        PortClick(static_cast<std::size_t>(choice - port_table.begin()));
    } else {
        port_at_activate_ = port_table[port_choice_default].address;
        PortClick(port_choice_default);
    }

    // While the dialog is open the level is shown and the automatic mode is off.
    s_.show_level = true;
    s_.auto_mode = false;
}

void TParameter::FormShow() {
    FormActivate();
    activation_follows_show_ = true;
}

void TParameter::window_activated() {
    if (activation_follows_show_) {
        activation_follows_show_ = false;
        return;
    }
    FormActivate();
}

void TParameter::FormClose() {
    s_.show_level = saved_show_level_;
    s_.auto_mode = saved_auto_mode_;
    s_.on_hold = false;
    holding_saved_mode_ = false;
    // The calibration tone gives way to the top of the range at 0 dB, where a test begins; the main
    // window's displays follow at its next tick.
    if (s_.test_level == hearing::calibration_level_db && s_.test_freq == hearing::calibration_freq_hz) {
        tone_.set_level(0);
        tone_.set_frequency(s_.f_max);
    }
    c_.form.visible = false;
}

// ---------------------------------------------------------------- port choice

// Selecting a radio only shows the choice; the port in use changes with "Test", "o.k. select", "Cancel".
void TParameter::PortClick(std::size_t index) {
    const PortChoice& choice = port_table.at(index);
    dlg_port_ = choice.address;
    c_.Test_port.caption = choice.description;
    check_radio(c_.ports[index]);
}

void TParameter::Port_TestClick() {
    set_port(dlg_port_);
    s_.show_level = true;
    s_.auto_mode = false;
    if (c_.Dev_Sound_Card.checked) update_active_port_text();
}

void TParameter::Port_okClick() {
    Port_TestClick();
    FormClose();
}

void TParameter::Port_CancelClick() {
    set_port(port_at_activate_);
    FormActivate(); // selects that port's radio again
    update_active_port_text();
}

// ---------------------------------------------------------------- device and method

void TParameter::Dev_Sound_CardClick() {
    read_device();
    c_.MethB_Data_Stream.enabled = true;
    update_active_port_text();
    enable_port_group();
    set_extended_range();
}

void TParameter::Dev_PC_SpeakerClick() {
    read_device();
    // The speaker is programmed through ports: the data stream cannot drive it.
    c_.MethB_Data_Stream.enabled = false;
    if (c_.MethB_Data_Stream.checked)
        check_by_program(c_.MethB_Port_Driver, &TParameter::MethB_Port_DriverClick);
    disable_port_group();
    c_.active_Port.caption = std::string(text_in(Text::active_port, german_)) + speaker_port_description;
    dialogs_.message_box(msg_no_speaker_volume);
    set_extended_range();
}

void TParameter::MethB_Direct_PortClick() {
    c_.Driver_sys.enabled = false;
    c_.Driver_vxd.enabled = false;
    c_.Port_Addr.enabled = true;
    port_method_chosen();
}

void TParameter::MethB_Port_DriverClick() {
    // The driver of the running family is the checked one; it becomes readable.
    if (c_.Driver_sys.checked) c_.Driver_sys.enabled = true;
    if (c_.Driver_vxd.checked) c_.Driver_vxd.enabled = true;
    port_method_chosen();
}

// Both port methods: the port choices follow the device, the volume (the stream's only) goes away.
void TParameter::port_method_chosen() {
    port_group_for_device();
    read_method();
    c_.Vol_0dB.visible = false;
    c_.Vol_percent.visible = false;
    set_extended_range();
}

void TParameter::MethB_Data_StreamClick() {
    // Still on the old method: a tone left on the chip stops before the ports are given up.
    tone_.OPL2_aus();
    c_.Driver_sys.enabled = false;
    c_.Driver_vxd.enabled = false;
    disable_port_group();
    read_method();
    c_.Vol_0dB.visible = true;
    c_.Vol_percent.visible = true;
    disable_extended_range();
}

// ---------------------------------------------------------------- calibration volume

void TParameter::Vol_0dBClick(UpDownButton button) {
    RangeControl& volume = c_.Vol_0dB;
    volume.set_position(volume.position + (button == UpDownButton::up ? cal_volume_step : -cal_volume_step));
    // The calibration tone, held, so the user hears the new volume at once.
    s_.on_hold = true;
    tone_.set_level(hearing::calibration_level_db);
    if (main_ != nullptr) main_->set_test_freq(hearing::calibration_freq_hz);
    c_.Vol_percent.caption = std::to_string(volume.position) + " %";
    tone_.settings().cal_volume = static_cast<std::uint16_t>(volume.position);
    tone_.make_wave();
}

// ---------------------------------------------------------------- output options

void TParameter::Ear_RoutingClick() {
    // Where routing cannot reach the output the box stays unchecked (its window sends no click then).
    if (!c_.Ear_Routing.enabled) {
        c_.Ear_Routing.checked = false;
        return;
    }
    if (routing_ != nullptr) routing_->set_ear_routing(c_.Ear_Routing.checked);
}

void TParameter::Soft_OnsetClick() {
    if (routing_ != nullptr) routing_->set_soft_onset(c_.Soft_Onset.checked);
}

void TParameter::Confirm_ThresholdsClick() {
    s_.confirm_thresholds = c_.Confirm_Thresholds.checked;
}

void TParameter::Watch_RoomClick() {
    s_.watch_room = c_.Watch_Room.checked;
}

CommandTable parameter_commands(TParameter& p) {
    ParameterControls& c = p.controls();
    const auto on = [&p](void (TParameter::*handler)()) { return [&p, handler] { (p.*handler)(); }; };
    CommandTable table;
    c.for_each([&](auto& control) {
        if constexpr (std::is_same_v<std::decay_t<decltype(control)>, CheckControl>)
            if (&control != &c.Ear_Routing && &control != &c.Soft_Onset)
                table.push_back(
                    {&control, CommandKind::check, [&p, &control](int) { p.radio_click(control); }});
    });
    table.push_back(check_command(c.Ear_Routing, on(&TParameter::Ear_RoutingClick)));
    table.push_back(check_command(c.Soft_Onset, on(&TParameter::Soft_OnsetClick)));
    table.push_back(click_command(c.Port_Test, on(&TParameter::Port_TestClick)));
    table.push_back(click_command(c.Port_Cancel, on(&TParameter::Port_CancelClick)));
    table.push_back(click_command(c.Port_ok, on(&TParameter::Port_okClick)));
    table.push_back({&c.Vol_0dB, CommandKind::step,
                     [&p](int step) { p.Vol_0dBClick(step > 0 ? UpDownButton::up : UpDownButton::down); }});
    return table;
}

CommandTable test_option_commands(TParameter& p) {
    return {check_command(p.controls().Confirm_Thresholds, [&p] { p.Confirm_ThresholdsClick(); })};
}

CommandTable room_option_commands(TParameter& p) {
    return {check_command(p.controls().Watch_Room, [&p] { p.Watch_RoomClick(); })};
}

} // namespace kelvor::settings
