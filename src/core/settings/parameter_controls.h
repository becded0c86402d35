#pragma once
// The state of the output settings dialog's controls as its logic sees and writes it. The Qt dialog
// creates one widget per entry, named after `name`, and copies these values into them after every handler.
#include <array>
#include <cstdint>
#include <string>

#include "core/common/control_state.h"

namespace kelvor::settings {

using kelvor::CheckControl;
using kelvor::Control;
using kelvor::RangeControl;

constexpr const char* parameter_caption = "Parameter";

// The up-down control of the calibration volume, in percent.
constexpr int cal_volume_min = 2;
constexpr int cal_volume_max = 100;
constexpr int cal_volume_step = 2;

// One OPL2 port choice: its radio, the address it selects and the text shown for it.
struct PortChoice {
    const char* radio;
    std::uint16_t address;
    const char* description;
};

constexpr std::size_t port_choice_count = 8;
constexpr std::array<PortChoice, port_choice_count> port_table{{
    {"Port0220", 0x220, " SB / SB Pro / SB 32 (Standard) ..."},
    {"Port0240", 0x240, " SB / SB Pro / SB 32 ..."},
    {"Port0260", 0x260, " SB / SB Pro / SB 32 ..."},
    {"Port0280", 0x280, " SB / SB Pro / SB 32 ..."},
    {"Port0330", 0x330, " $0330 div."},
    {"Port0388", 0x388, " AdLib Standard / Pas 16 ..."},
    {"Port0530", 0x530, " MS WSS ..."},
    {"PortD400", 0xD400, " $D400 div."},
}};
constexpr std::size_t port_choice_default = 5; // 0x388, the AdLib card
// What the active port shows while the speaker makes the tone (its ports are fixed).
constexpr const char* speaker_port_description = " PC Speaker / Port $0061";
// Text colour of the port descriptions while the port choices are greyed out.
constexpr Rgb port_group_gray{128, 128, 128};

struct ParameterControls {
    ParameterControls();

    Control form{"Parameter"}; // the dialog window itself: its caption and whether it is shown

    // Operating-system family: set by the program, never by the user.
    Control OS_Panel{"OS_Panel"};
    CheckControl OS_Win_NT2000XP{"OS_Win_NT2000XP"};
    CheckControl OS_Win_9598{"OS_Win_9598"};

    Control IO_Device{"IO_Device"};
    CheckControl Dev_Sound_Card{"Dev_Sound_Card"};
    CheckControl Dev_PC_Speaker{"Dev_PC_Speaker"};

    Control IO_Method{"IO_Method"};
    CheckControl MethB_Direct_Port{"MethB_Direct_Port"};
    CheckControl MethB_Port_Driver{"MethB_Port_Driver"};
    CheckControl MethB_Data_Stream{"MethB_Data_Stream"};

    // Which driver the port driver method needs; shown only, they change nothing.
    Control IO_Port_Drivers{"IO_Port_Drivers"};
    CheckControl Driver_sys{"Driver_sys"};
    CheckControl Driver_vxd{"Driver_vxd"};

    Control Calib_Volume{"Calib_Volume"};
    RangeControl Vol_0dB{"Vol_0dB"}; // up-down control; no wrap at either end
    Control Vol_percent{"Vol_percent"};

    Control Port_Addr{"Port_Addr"};
    std::array<CheckControl, port_choice_count> ports{
        CheckControl{port_table[0].radio}, CheckControl{port_table[1].radio},
        CheckControl{port_table[2].radio}, CheckControl{port_table[3].radio},
        CheckControl{port_table[4].radio}, CheckControl{port_table[5].radio},
        CheckControl{port_table[6].radio}, CheckControl{port_table[7].radio}};
    Control Test_port{"Test_port"};     // description of the selected port (bold)
    Control active_Port{"active_Port"}; // the port in use (bold, never enabled)
    Control Port_Test{"Port_Test"};
    Control Port_Cancel{"Port_Cancel"};
    Control Port_ok{"Port_ok"};

    // Options of the sound output below the paths, unchecked at every start.
    CheckControl Ear_Routing{"Ear_Routing"}; // the tone on the tested ear's side only
    CheckControl Soft_Onset{"Soft_Onset"};   // data stream images faded in and out

    // Visits every control of the dialog, for mirroring into widgets.
    template <class F> void for_each(F&& f) {
        f(form), f(OS_Panel), f(OS_Win_NT2000XP), f(OS_Win_9598), f(IO_Device), f(Dev_Sound_Card);
        f(Dev_PC_Speaker), f(IO_Method), f(MethB_Direct_Port), f(MethB_Port_Driver), f(MethB_Data_Stream);
        f(IO_Port_Drivers), f(Driver_sys), f(Driver_vxd), f(Calib_Volume), f(Vol_0dB), f(Vol_percent);
        f(Port_Addr);
        for (CheckControl& radio : ports)
            f(radio);
        f(Test_port), f(active_Port), f(Port_Test), f(Port_Cancel), f(Port_ok);
        f(Ear_Routing), f(Soft_Onset);
    }

    // An option of the test itself, not of the sound output, below the output's options: each automatic
    // threshold found twice. Its command has a table of its own (test_option_commands).
    CheckControl Confirm_Thresholds{"Confirm_Thresholds"};
    // The room's noise watched through the microphone while a test runs.
    CheckControl Watch_Room{"Watch_Room"};
};

} // namespace kelvor::settings
