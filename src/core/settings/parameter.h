#pragma once
// The output settings dialog's logic: which device makes the tone (sound card or PC speaker), how its
// port bytes travel (direct port I/O, the port driver) or whether a wave data stream is played instead,
// the sound card's OPL2 port and the data stream's calibration volume. It writes the choices into the
// tone output's settings and narrows the main window's frequency range to what the chosen path can play.
// The window lives for the whole run and is shown without blocking the main window; nothing it holds
// is saved.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/common/commands.h"
#include "core/hearing/test_seams.h"
#include "core/settings/language_tables.h"
#include "core/settings/parameter_controls.h"

namespace kelvor::hearing {
struct TestState;
}
namespace kelvor::host {
class Dialogs;
class OutputRouting;
class SystemInfo;
} // namespace kelvor::host
namespace kelvor::tone {
class ToneOutput;
}

namespace kelvor::settings {

constexpr const char* msg_no_speaker_volume = "no Volume Adjustment for PC Speaker !";

// What the dialog works with; all owned elsewhere and outliving it.
struct ParameterServices {
    hearing::TestState& state;
    tone::ToneOutput& tone;
    host::SystemInfo& system; // the platform family
    host::Dialogs& dialogs;
    // Where the output options go; null where the output has none (the boxes then only show).
    host::OutputRouting* routing = nullptr;
};

enum class UpDownButton { up, down };

class TParameter final : public hearing::SettingsDialog {
  public:
    explicit TParameter(const ParameterServices& services);
    TParameter(const TParameter&) = delete;
    TParameter& operator=(const TParameter&) = delete;

    ParameterControls& controls() { return c_; }
    const ParameterControls& controls() const { return c_; }

    // Dialog state
    std::uint16_t dlg_port() const { return dlg_port_; }
    std::uint16_t port_at_activate() const { return port_at_activate_; }
    bool saved_show_level() const { return saved_show_level_; }
    bool saved_auto_mode() const { return saved_auto_mode_; }
    // How often showing was asked for: the window comes to the front each time, also when already shown.
    int show_requests() const { return show_requests_; }

    // A user's click on one of the dialog's radios: it becomes checked, the others of its group are
    // cleared, and then its click handler runs (the two port driver radios have none: they only show).
    // A click on the radio already checked does nothing.
    void radio_click(CheckControl& radio);

    // hearing::SettingsDialog
    void use_main_window(hearing::MainWindowRange& main) override { main_ = &main; }
    bool nt_family_selected() const override { return c_.OS_Win_NT2000XP.checked; }
    bool data_stream_selected() const override { return c_.MethB_Data_Stream.checked; }
    void nt_layout() override;
    void win9x_layout() override;
    void disable_port_group() override;
    void set_menu_captions(const TextTable& table) override;
    void use_language(bool german) override;
    void show() override;

    // Shared steps
    void enable_port_group();
    void read_method();
    void read_device();
    void set_dialog_texts();
    void set_option_texts();

    // Handlers
    void FormActivate();               // at every activation of the window
    // The window became visible: it sets itself up at once, as at an activation, whether or not the window
    // system then activates it (a Wayland compositor decides focus itself, and may give none). The
    // activation that follows a show is that same activation and runs nothing more.
    void FormShow();
    // The window system activated the window (focus came to it).
    void window_activated();
    // Focus went to another of the program's windows: the next activation of this one is a new one.
    void focus_elsewhere() { activation_follows_show_ = false; }
    void FormClose();                  // the window closes (title bar or "o.k. select")
    void PortClick(std::size_t index); // the port radio of port_table[index]
    void Port0220Click() { PortClick(0); }
    void Port0240Click() { PortClick(1); }
    void Port0260Click() { PortClick(2); }
    void Port0280Click() { PortClick(3); }
    void Port0330Click() { PortClick(4); }
    void Port0388Click() { PortClick(5); }
    void Port0530Click() { PortClick(6); }
    void PortD400Click() { PortClick(7); }
    void Port_TestClick();
    void Port_okClick();
    void Port_CancelClick();
    void OS_Win_NT2000XPClick() { nt_layout(); }
    void OS_Win_9598Click() { win9x_layout(); }
    void Dev_Sound_CardClick();
    void Dev_PC_SpeakerClick();
    void MethB_Direct_PortClick();
    void MethB_Port_DriverClick();
    void MethB_Data_StreamClick();
    // Either arrow: the control steps its position (no wrap), then the calibration tone is set up.
    void Vol_0dBClick(UpDownButton button);
    // The option boxes: each reads its box, which the window has already set to what the user clicked.
    void Ear_RoutingClick();
    void Soft_OnsetClick();
    void Confirm_ThresholdsClick();
    void Watch_RoomClick();

  private:
    void set_port_group_enabled(bool enabled);
    // The port group follows the device: greyed out for the speaker, usable for the sound card.
    void port_group_for_device();
    void port_method_chosen();
    void family_layout(bool nt);
    void set_port(std::uint16_t address);
    void update_active_port_text();
    void set_extended_range();
    void disable_extended_range();
    void check_radio(CheckControl& radio);
    // Checks a radio the way the program does: a radio that becomes checked runs its click handler.
    void check_by_program(CheckControl& radio, void (TParameter::*click)());
    std::vector<CheckControl*>* group_of(const CheckControl& radio);

    hearing::TestState& s_;
    tone::ToneOutput& tone_;
    host::SystemInfo& system_;
    host::Dialogs& dialogs_;
    host::OutputRouting* routing_;
    hearing::MainWindowRange* main_ = nullptr;

    ParameterControls c_;
    std::vector<std::vector<CheckControl*>> radio_groups_;
    struct RadioHandler {
        CheckControl* radio;
        std::function<void()> click;
    };
    std::vector<RadioHandler> radio_handlers_;

    std::uint16_t dlg_port_;
    std::uint16_t port_at_activate_;
    // The main window's mode from before the dialog took it over; given back when the dialog closes.
    bool saved_show_level_;
    bool saved_auto_mode_;
    bool holding_saved_mode_ = false; // activated since it was last closed
    bool activation_follows_show_ = false;
    bool german_ = false; // the language of the dialog's own texts
    int show_requests_ = 0;
};

// The dialog's command table: each radio, button, box and the volume arrows with their handler. A radio
// runs through `radio_click`, which checks it and clears its group before its handler.
CommandTable parameter_commands(TParameter& p);
// The test's own options in the dialog ("Confirm each threshold").
CommandTable test_option_commands(TParameter& p);
// The room watch's box ("Watch the room noise (microphone)"), beside them.
CommandTable room_option_commands(TParameter& p);

} // namespace kelvor::settings
