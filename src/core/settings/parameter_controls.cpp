#include "core/settings/parameter_controls.h"

#include "core/common/text_format.h"

namespace kelvor::settings {

// The dialog as it is designed: sound card and data stream preset, the AdLib port selected.
ParameterControls::ParameterControls() {
    form.caption = parameter_caption;
    form.visible = false; // created hidden, shown by the main window

    OS_Panel.description = "Operating system";
    Vol_0dB.description = "Calibration volume";
    OS_Win_NT2000XP.caption = "Win NT / 2000 / XP";
    OS_Win_NT2000XP.checked = true;
    OS_Win_NT2000XP.enabled = false;
    OS_Win_9598.caption = "Win 95 / 98 / ME";
    OS_Win_9598.enabled = false;

    IO_Device.caption = "Select Output Device: ";
    Dev_Sound_Card.caption = "Sound  Card";
    Dev_Sound_Card.checked = true;
    Dev_PC_Speaker.caption = "PC Speaker";
    Dev_PC_Speaker.hint = "no Volume Adjustment";

    IO_Method.caption = "Select Output Method: ";
    MethB_Direct_Port.caption = "Direct Port I/O";
    MethB_Direct_Port.enabled = false;
    MethB_Port_Driver.caption = "Port Driver";
    MethB_Data_Stream.caption = "Data Stream";
    MethB_Data_Stream.checked = true;

    IO_Port_Drivers.caption = "required Port Drivers: ";
    Driver_sys.caption = "smPort.sys";
    Driver_sys.checked = true;
    Driver_sys.enabled = false;
    Driver_vxd.caption = "smPort.vxd";
    Driver_vxd.enabled = false;

    Calib_Volume.caption = "Calibration Volume:";
    Vol_0dB.minimum = cal_volume_min;
    Vol_0dB.maximum = cal_volume_max;
    Vol_0dB.position = cal_volume_max;
    Vol_percent.caption = "100 %";

    Port_Addr.caption = "Select OPL2 Sound Card Port:";
    for (std::size_t i = 0; i < port_choice_count; ++i)
        ports[i].caption = port_text(port_table[i].address);
    ports[port_choice_default].checked = true;
    Test_port.caption = " AdLib Standard";
    active_Port.caption = "active Port : AdLib Standard";
    active_Port.enabled = false;
    active_Port.text_colour = port_group_gray;
    Port_Test.caption = "Test";
    Port_Cancel.caption = "Cancel";
    Port_ok.caption = "o.k. select";
}

} // namespace kelvor::settings
