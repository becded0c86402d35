// The output settings dialog's handlers, over a real tone output on recording ports and a real main
// window logic over fake charts.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <string>
#include <type_traits>
#include <vector>

#include "support/parameter_rig.h"

namespace kelvor::settings {
namespace {

using ::testing::ElementsAre;
using testing::ParameterRig;
using testing::PortWrite;

// ---------------------------------------------------------------- enabling rules

// What the device and method choices leave usable, and what they wrote into the output settings and
// the main window's range.
struct Enabling {
    bool ports;  // the eight port radios, "Test" and "Cancel" (black descriptions; gray when off)
    bool direct; // MethB_Direct_Port
    bool stream; // MethB_Data_Stream
    bool sys;    // Driver_sys
    bool vxd;    // Driver_vxd
    bool volume; // Vol_0dB and Vol_percent shown
    tone::TOutputDevice device;
    tone::TOutputMethod method;
    bool extended; // the range reaches 75..16000 Hz and "extended" can be checked
    friend bool operator==(const Enabling&, const Enabling&) = default;
};

std::ostream& operator<<(std::ostream& os, const Enabling& e) {
    return os << "ports " << e.ports << " direct " << e.direct << " stream " << e.stream << " sys " << e.sys
              << " vxd " << e.vxd << " volume " << e.volume << " device " << int(e.device) << " method "
              << int(e.method) << " extended " << e.extended;
}

Enabling enabling_of(ParameterRig& r) {
    const bool ports = r.c.Port_Test.enabled;
    for (const CheckControl& radio : r.c.ports)
        EXPECT_EQ(radio.enabled, ports) << radio.name;
    EXPECT_EQ(r.c.Port_Cancel.enabled, ports);
    EXPECT_TRUE(r.c.Port_ok.enabled);
    const Rgb colour = ports ? colours::black : port_group_gray;
    EXPECT_EQ(r.c.Test_port.text_colour, colour);
    EXPECT_EQ(r.c.active_Port.text_colour, colour);
    EXPECT_EQ(r.c.Vol_0dB.visible, r.c.Vol_percent.visible);
    const bool extended = r.state.f_max == hearing::f_max_extended;
    EXPECT_EQ(r.m.controls().f_extended.enabled, extended);
    return {ports,
            r.c.MethB_Direct_Port.enabled,
            r.c.MethB_Data_Stream.enabled,
            r.c.Driver_sys.enabled,
            r.c.Driver_vxd.enabled,
            r.c.Vol_0dB.visible,
            r.out.out_device,
            r.out.out_method,
            extended};
}

// "NT" and "95" make the system that family and activate the dialog; other names are radio clicks.
void act(ParameterRig& r, const std::string& action) {
    if (action == "NT" || action == "95") {
        r.system.version = action == "NT" ? host::OsVersion{host::platform_windows_nt, 5, 1, 2600}
                                          : host::OsVersion{host::platform_windows_95, 4, 10, 0};
        r.p.FormActivate();
    } else {
        r.click(action);
    }
}

struct EnablingCase {
    std::vector<std::string> actions;
    Enabling after;
};

TEST(ParameterEnabling, FollowsEachDeviceAndMethodClickOnBothFamilies) {
    using tone::dev_soundcard, tone::dev_speaker, tone::meth_direct, tone::meth_driver, tone::meth_stream;
    const std::string sound = "Dev_Sound_Card", speaker = "Dev_PC_Speaker", direct = "MethB_Direct_Port",
                      driver = "MethB_Port_Driver", stream = "MethB_Data_Stream";
    const EnablingCase cases[] = {
        // ports direct stream sys vxd volume device method extended
        {{"NT"}, {false, false, true, false, false, true, dev_soundcard, meth_stream, false}},
        {{"NT", driver}, {true, false, true, true, false, false, dev_soundcard, meth_driver, false}},
        {{"NT", speaker}, {false, false, false, true, false, false, dev_speaker, meth_driver, false}},
        {{"NT", speaker, sound}, {true, false, true, true, false, false, dev_soundcard, meth_driver, false}},
        {{"NT", driver, speaker}, {false, false, false, true, false, false, dev_speaker, meth_driver, false}},
        {{"NT", driver, stream}, {false, false, true, false, false, true, dev_soundcard, meth_stream, false}},
        {{"95"}, {false, true, true, false, false, true, dev_soundcard, meth_stream, false}},
        {{"95", direct}, {true, true, true, false, false, false, dev_soundcard, meth_direct, true}},
        {{"95", driver}, {true, true, true, false, true, false, dev_soundcard, meth_driver, true}},
        {{"95", speaker}, {false, true, false, false, true, false, dev_speaker, meth_driver, true}},
        {{"95", direct, speaker}, {false, true, false, false, false, false, dev_speaker, meth_direct, true}},
        {{"95", speaker, direct}, {false, true, false, false, false, false, dev_speaker, meth_direct, true}},
        {{"95", speaker, sound}, {true, true, true, false, true, false, dev_soundcard, meth_driver, true}},
        {{"95", direct, stream}, {false, true, true, false, false, true, dev_soundcard, meth_stream, false}},
        // Direct port I/O chosen on the 95 family, then the dialog activated on the NT family: the choice
        // moves to the port driver and the NT driver becomes readable.
        {{"95", direct, "NT"}, {true, false, true, true, false, false, dev_soundcard, meth_driver, false}},
        {{"95", driver, "NT"}, {true, false, true, true, false, false, dev_soundcard, meth_driver, false}},
        {{"NT", driver, "95"}, {true, true, true, false, true, false, dev_soundcard, meth_driver, true}},
    };
    for (const EnablingCase& k : cases) {
        std::string trace;
        for (const std::string& a : k.actions)
            trace += a + " ";
        SCOPED_TRACE(trace);
        ParameterRig r;
        for (const std::string& a : k.actions)
            act(r, a);
        EXPECT_EQ(enabling_of(r), k.after);
        // The method radio that is usable is the checked one, and the family radio matches the system.
        EXPECT_EQ(r.p.nt_family_selected(), r.c.OS_Win_NT2000XP.checked);
        EXPECT_NE(r.c.OS_Win_NT2000XP.checked, r.c.OS_Win_9598.checked);
        EXPECT_EQ(r.c.Driver_sys.checked, r.c.OS_Win_NT2000XP.checked);
        EXPECT_EQ(r.c.Driver_vxd.checked, r.c.OS_Win_9598.checked);
        EXPECT_FALSE(r.c.OS_Win_NT2000XP.enabled || r.c.OS_Win_9598.enabled);
        EXPECT_EQ(r.p.data_stream_selected(), k.after.method == tone::meth_stream);
    }
}

// Everything a click could change: every control of the dialog and the main window's range.
std::string snapshot(ParameterRig& r) {
    std::string all;
    r.c.for_each([&](auto& control) {
        all += control.name + "|" + control.caption + "|" + std::to_string(control.enabled) +
               std::to_string(control.visible) + std::to_string(control.text_colour.r);
        if constexpr (std::is_same_v<std::decay_t<decltype(control)>, CheckControl>)
            all += std::to_string(control.checked);
        all += "\n";
    });
    return all + std::to_string(r.state.f_min) + "-" + std::to_string(r.state.f_max) + " " +
           std::to_string(r.out.out_device) + std::to_string(r.out.out_method) + " " +
           std::to_string(r.out.port_base) + " " + std::to_string(r.dialogs.shown.size());
}

TEST(ParameterEnabling, ClickingTheCheckedRadioAgainChangesNothing) {
    // From states reached on both families, a click on any radio that is already checked (the device,
    // the method, the port) runs nothing: the port group stays as the chosen path leaves it.
    const std::vector<std::string> starts[] = {
        {"NT"}, {"95"}, {"NT", "MethB_Port_Driver"}, {"95", "MethB_Direct_Port"},
        {"95", "Dev_PC_Speaker"}, {"NT", "Dev_PC_Speaker"}, {"95", "MethB_Direct_Port", "Port0240"},
    };
    for (const auto& start : starts) {
        ParameterRig r;
        for (const std::string& a : start)
            act(r, a);
        // "extended" unchecked by the user: a re-click must not switch the range back.
        r.m.controls().f_extended.checked = false;
        r.m.f_extendedClick();
        std::vector<std::string> checked;
        r.c.for_each([&](auto& control) {
            if constexpr (std::is_same_v<std::decay_t<decltype(control)>, CheckControl>)
                if (control.checked && control.enabled) checked.push_back(control.name);
        });
        ASSERT_GE(checked.size(), 2u);
        const std::string before = snapshot(r);
        for (const std::string& name : checked) {
            SCOPED_TRACE(start.back() + " then " + name);
            r.click(name);
            EXPECT_EQ(snapshot(r), before);
        }
    }
}

TEST(ParameterEnabling, DesignStateBeforeTheFirstActivation) {
    ParameterRig r;
    EXPECT_FALSE(r.c.form.visible);
    EXPECT_EQ(r.c.form.caption, "Parameter");
    EXPECT_TRUE(r.p.nt_family_selected());
    EXPECT_TRUE(r.p.data_stream_selected());
    EXPECT_TRUE(r.c.Dev_Sound_Card.checked);
    EXPECT_TRUE(r.c.ports[port_choice_default].checked);
    EXPECT_EQ(r.c.Vol_0dB.position, 100);
    // The settings keep their own start values until the dialog is first read.
    EXPECT_EQ(r.out.out_device, tone::dev_speaker);
    EXPECT_EQ(r.out.out_method, tone::meth_stream);
}

// ---------------------------------------------------------------- the PC speaker

TEST(ParameterSpeaker, FromTheDataStreamMovesToThePortDriverAndWarns) {
    for (const bool nt : {true, false}) {
        SCOPED_TRACE(nt ? "NT" : "95");
        ParameterRig r(nt);
        r.p.FormActivate();
        std::vector<bool> port_group_while_box_open;
        r.dialogs.while_open = [&] { port_group_while_box_open.push_back(r.c.Port_Test.enabled); };
        r.click("Dev_PC_Speaker");

        EXPECT_TRUE(r.c.Dev_PC_Speaker.checked);
        EXPECT_TRUE(r.c.MethB_Port_Driver.checked);
        EXPECT_FALSE(r.c.MethB_Data_Stream.checked);
        EXPECT_FALSE(r.c.MethB_Data_Stream.enabled);
        EXPECT_EQ(r.out.out_method, tone::meth_driver);
        EXPECT_EQ(r.out.out_device, tone::dev_speaker);
        // The port driver's click handler ran: its family's driver is readable, the volume is hidden.
        EXPECT_EQ(r.c.Driver_sys.enabled, nt);
        EXPECT_EQ(r.c.Driver_vxd.enabled, !nt);
        EXPECT_FALSE(r.c.Vol_0dB.visible);
        EXPECT_FALSE(r.c.Port_Test.enabled);
        EXPECT_EQ(r.c.active_Port.caption, "active Port:  PC Speaker / Port $0061");
        EXPECT_THAT(r.dialogs.shown, ElementsAre("no Volume Adjustment for PC Speaker !"));
        EXPECT_THAT(port_group_while_box_open, ElementsAre(false)); // greyed out before the box opens
        EXPECT_EQ(r.state.f_max, nt ? hearing::f_max_normal : hearing::f_max_extended);
    }
}

TEST(ParameterSpeaker, TheToneMovesToTheSpeaker) {
    ParameterRig r;
    r.p.FormActivate();
    r.click("Dev_PC_Speaker");
    r.click("MethB_Direct_Port");
    r.dialogs.shown.clear();
    r.ports.writes.clear();
    r.ports.read_values[0x61] = 0x30;
    // Timer channel 2 set to 1000 Hz, then the sounding half of the pulse opens the speaker gate.
    r.m.set_test_freq(1000);
    r.m.set_test_level(12);
    r.tone.tone_pulse();
    r.tone.tone_pulse();
    EXPECT_THAT(r.ports.writes,
                ElementsAre(PortWrite{0x43, 0xB6, 0}, PortWrite{0x42, 0xA9, 0}, PortWrite{0x42, 0x04, 0},
                            PortWrite{0x61, 0x30, 0}, PortWrite{0x61, 0x33, 0}));
    EXPECT_TRUE(r.dialogs.shown.empty());
}

// ---------------------------------------------------------------- ports

TEST(ParameterPorts, EachRadioShowsItsChoiceAndTestAppliesIt) {
    const char* const descriptions[] = {" SB / SB Pro / SB 32 (Standard) ...",
                                        " SB / SB Pro / SB 32 ...",
                                        " SB / SB Pro / SB 32 ...",
                                        " SB / SB Pro / SB 32 ...",
                                        " $0330 div.",
                                        " AdLib Standard / Pas 16 ...",
                                        " MS WSS ...",
                                        " $D400 div."};
    const std::uint16_t addresses[] = {0x220, 0x240, 0x260, 0x280, 0x330, 0x388, 0x530, 0xD400};
    const char* const captions[] = {"$0220", "$0240", "$0260", "$0280", "$0330", "$0388", "$0530", "$D400"};
    for (std::size_t i = 0; i < port_choice_count; ++i) {
        SCOPED_TRACE(captions[i]);
        ParameterRig r;
        r.p.FormActivate();
        r.click("MethB_Direct_Port");
        EXPECT_EQ(r.c.ports[i].caption, captions[i]);
        r.click(r.c.ports[i].name);
        EXPECT_EQ(r.p.dlg_port(), addresses[i]);
        EXPECT_EQ(r.c.Test_port.caption, descriptions[i]);
        EXPECT_EQ(std::count_if(r.c.ports.begin(), r.c.ports.end(), [](auto& p) { return p.checked; }), 1);
        EXPECT_TRUE(r.c.ports[i].checked);
        EXPECT_EQ(r.out.port_base, 0x388); // a radio alone changes nothing

        r.state.auto_mode = true;
        r.p.Port_TestClick();
        EXPECT_EQ(r.out.port_base, addresses[i]);
        EXPECT_EQ(r.out.data_port, addresses[i] + 1);
        EXPECT_EQ(r.c.active_Port.caption, std::string("active Port: ") + descriptions[i]);
        EXPECT_FALSE(r.state.auto_mode);
        EXPECT_TRUE(r.state.show_level);

        // A later activation selects the radio of the port in use.
        r.click(r.c.ports[(i + 1) % port_choice_count].name);
        r.p.FormActivate();
        EXPECT_TRUE(r.c.ports[i].checked);
        EXPECT_EQ(r.p.port_at_activate(), addresses[i]);
    }
}

TEST(ParameterPorts, AnUnlistedPortSelectsTheAdLibPortAndCancelRestoresIt) {
    ParameterRig r;
    r.out.set_port_base(0x300);
    r.p.FormActivate();
    EXPECT_TRUE(r.c.ports[port_choice_default].checked);
    EXPECT_EQ(r.p.dlg_port(), 0x388);
    EXPECT_EQ(r.p.port_at_activate(), 0x388);
    EXPECT_EQ(r.c.Test_port.caption, " AdLib Standard / Pas 16 ...");
    EXPECT_EQ(r.out.port_base, 0x300); // still in use until Test or Cancel

    r.click("MethB_Direct_Port");
    r.click("Port0530");
    r.p.Port_CancelClick();
    EXPECT_EQ(r.out.port_base, 0x388);
    EXPECT_EQ(r.out.data_port, 0x389);
    EXPECT_TRUE(r.c.ports[port_choice_default].checked);
    EXPECT_EQ(r.c.active_Port.caption, "active Port:  AdLib Standard / Pas 16 ...");
    EXPECT_FALSE(r.c.form.visible); // Cancel leaves the dialog as it was (here: never shown)
}

TEST(ParameterPorts, TestingAnotherPortSilencesTheChipAtTheOldOneFirst) {
    {
        // Before the first Start nothing is keyed: moving the port writes nothing at the old one.
        ParameterRig r;
        r.p.FormActivate();
        r.click("MethB_Direct_Port");
        r.click("Port0240");
        r.p.Port_TestClick();
        r.p.Port_CancelClick();
        EXPECT_TRUE(r.ports.writes.empty());
        EXPECT_EQ(r.out.port_base, 0x388);
    }
    ParameterRig r;
    r.p.FormActivate();
    r.click("MethB_Direct_Port");
    r.state.test_started = true;
    r.tone.start_output();
    r.m.set_test_level(30);
    r.tone.tone_pulse(); // pause half
    r.tone.tone_pulse(); // sounding half: total level (18 * 4) / 3 at 0x388
    r.ports.writes.clear();

    r.click("Port0240");
    r.p.Port_TestClick();
    EXPECT_THAT(r.ports.writes, ElementsAre(PortWrite{0x388, 0x43, 0}, PortWrite{0x389, 63, 0}));
    r.ports.writes.clear();
    r.tone.tone_pulse();
    EXPECT_THAT(r.ports.writes, ElementsAre(PortWrite{0x240, 0x43, 0}, PortWrite{0x241, 63, 0}));

    // Testing the port already in use writes nothing.
    r.ports.writes.clear();
    r.p.Port_TestClick();
    EXPECT_TRUE(r.ports.writes.empty());
}

TEST(ParameterPorts, OkAppliesAndClosesTheDialog) {
    ParameterRig r;
    r.p.show();
    r.p.FormActivate();
    r.click("MethB_Port_Driver");
    r.click("Port0220");
    r.p.Port_okClick();
    EXPECT_EQ(r.out.port_base, 0x220);
    EXPECT_FALSE(r.c.form.visible);
    EXPECT_FALSE(r.state.on_hold);
}

// ---------------------------------------------------------------- data stream and volume

TEST(ParameterStream, ChoosingItSilencesTheChipOnTheOldMethod) {
    ParameterRig r;
    r.p.FormActivate();
    r.click("MethB_Direct_Port");
    r.ports.writes.clear();
    r.click("MethB_Data_Stream");
    EXPECT_THAT(r.ports.writes, ElementsAre(PortWrite{0x388, 0xB0, 0}, PortWrite{0x389, 0x12, 0},
                                            PortWrite{0x388, 0x43, 0}, PortWrite{0x389, 0x3F, 0}));
    EXPECT_EQ(r.out.out_method, tone::meth_stream);
    EXPECT_TRUE(r.c.Vol_0dB.visible);
}

// The largest sample of the image the stream would play now.
int peak_of_current_image(const tone::WaveStream& waves) {
    const std::vector<std::uint8_t>& image = waves.buffer(waves.current()).image;
    int peak = 0;
    for (std::size_t i = tone::wave_header_size; i + 1 < image.size(); i += 2)
        peak = std::max(peak, std::abs(int(std::int16_t(image[i] | image[i + 1] << 8))));
    return peak;
}

TEST(ParameterVolume, EachArrowSetsTheCalibrationToneAtTheNewVolume) {
    struct Case {
        int downs, ups;
        int position;
        const char* percent;
        int amplitude;
    };
    const Case cases[] = {
        {49, 0, 2, "2 %", 7},      // the minimum: 1000 Hz, 12 dB at 2 % of the base amplitude
        {60, 0, 2, "2 %", 7},      // no wrap below the minimum
        {0, 1, 100, "100 %", 398}, // at the top the up arrow still sets up the calibration tone
        {49, 49, 100, "100 %", 398}, {25, 0, 50, "50 %", 199},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.percent);
        ParameterRig r;
        r.p.FormActivate();
        r.m.set_test_freq(4000);
        r.m.set_test_level(30);
        r.state.on_hold = false;
        for (int i = 0; i < k.downs; ++i)
            r.p.Vol_0dBClick(UpDownButton::down);
        for (int i = 0; i < k.ups; ++i)
            r.p.Vol_0dBClick(UpDownButton::up);
        EXPECT_EQ(r.c.Vol_0dB.position, k.position);
        EXPECT_EQ(r.c.Vol_percent.caption, k.percent);
        EXPECT_EQ(r.out.cal_volume, k.position);
        EXPECT_TRUE(r.state.on_hold);
        EXPECT_EQ(r.state.test_level, 12);
        EXPECT_EQ(r.state.test_freq, 1000);
        EXPECT_EQ(r.m.controls().Test_F.caption, " 1000");
        const tone::WaveValues& made = r.waves.buffer(r.waves.current()).values;
        EXPECT_EQ(made.frequency, 1000);
        EXPECT_EQ(made.level, 12);
        EXPECT_EQ(made.amplitude, k.amplitude);
        // The samples never quite reach the peak of the sine (truncated, not rounded).
        EXPECT_LE(peak_of_current_image(r.waves), k.amplitude);
        EXPECT_GE(peak_of_current_image(r.waves), k.amplitude - 1);
    }
}

// ---------------------------------------------------------------- closing and the main window's mode

TEST(ParameterClose, TheCalibrationToneGivesWayToTheTopOfTheRange) {
    struct Case {
        std::int8_t level;
        std::uint16_t freq;
        bool calibration;
    };
    const Case cases[] = {{12, 1000, true}, {12, 2000, false}, {10, 1000, false}, {0, 8000, false}};
    for (const Case& k : cases) {
        SCOPED_TRACE(::testing::Message() << int(k.level) << " dB " << k.freq << " Hz");
        ParameterRig r;
        r.state.test_started = true;
        r.p.show();
        r.p.FormActivate();
        r.m.set_test_freq(k.freq);
        r.m.set_test_level(k.level);
        r.state.on_hold = true;
        const std::string caption_before = r.m.controls().Test_F.caption;
        const int images_before = r.waves.current();
        const std::size_t made_lines_before = r.sound_log.count();

        r.p.FormClose();
        EXPECT_FALSE(r.state.on_hold);
        EXPECT_FALSE(r.c.form.visible);
        EXPECT_EQ(r.state.test_level, k.calibration ? 0 : k.level);
        EXPECT_EQ(r.state.test_freq, k.calibration ? hearing::f_max_normal : k.freq);
        // On the data stream each of the two settings made a new image; the displays wait for the tick.
        EXPECT_EQ(r.sound_log.count() - made_lines_before, k.calibration ? 2u : 0u);
        if (k.calibration) {
            EXPECT_EQ(r.waves.current(), images_before);
            EXPECT_EQ(r.waves.buffer(r.waves.current()).values.frequency, 8000);
            EXPECT_EQ(r.waves.buffer(r.waves.current()).values.level, 0);
        }
        EXPECT_EQ(r.m.controls().Test_F.caption, caption_before);
    }
}

struct ModeCase {
    const char* name;
    bool auto_before, show_before;
    std::vector<std::string> while_open; // "activate", "cancel", "test", "manual", "automatic"
    bool auto_after, show_after;
};

TEST(ParameterClose, GivesBackTheMainWindowsModeFromBeforeTheDialog) {
    const ModeCase cases[] = {
        {"plain", true, true, {}, true, true},
        {"manual before", false, false, {}, false, false},
        {"level hidden", true, false, {}, true, false},
        {"test", true, true, {"test"}, true, true},
        // Activated again while open (focus back from the main window or a message box): the saved
        // mode stays the one from before the dialog, not the one the dialog forced.
        {"activated again", true, true, {"activate"}, true, true},
        {"activated twice", false, false, {"activate", "activate"}, false, false},
        {"cancel", true, true, {"cancel"}, true, true},
        {"cancel, manual before", false, false, {"cancel", "activate"}, false, false},
        // The user changed the mode in the main window meanwhile: that mode is the one to give back.
        {"manual meanwhile", true, true, {"manual", "activate"}, false, false},
        {"automatic meanwhile", false, false, {"automatic", "activate"}, true, true},
    };
    for (const ModeCase& k : cases) {
        SCOPED_TRACE(k.name);
        ParameterRig r;
        r.state.auto_mode = k.auto_before;
        r.state.show_level = k.show_before;
        r.p.show();
        r.p.FormActivate();
        EXPECT_TRUE(r.state.show_level);
        EXPECT_FALSE(r.state.auto_mode);
        for (const std::string& step : k.while_open) {
            if (step == "activate") r.p.FormActivate();
            if (step == "cancel") r.p.Port_CancelClick();
            if (step == "test") r.p.Port_TestClick();
            if (step == "manual") r.m.zeichnenman1Click();
            if (step == "automatic") r.m.zeichnenauto1Click();
        }
        r.p.FormClose();
        EXPECT_EQ(r.state.auto_mode, k.auto_after);
        EXPECT_EQ(r.state.show_level, k.show_after);

        // Each showing starts afresh.
        r.state.auto_mode = !k.auto_after;
        r.p.show();
        r.p.FormActivate();
        r.p.FormActivate();
        r.p.FormClose();
        EXPECT_EQ(r.state.auto_mode, !k.auto_after);
    }
}

TEST(ParameterClose, FirstUseCalibrationLeavesTheAutomaticTestRunning) {
    ParameterRig r;
    r.state.test_started = true;
    r.m.Justierung1kHz12dB1Click();
    r.p.show();
    r.p.FormActivate();
    r.p.FormActivate(); // the adjustment message closed over the dialog
    r.p.Port_okClick();
    EXPECT_TRUE(r.state.auto_mode);
    EXPECT_FALSE(r.state.on_hold);
    EXPECT_EQ(r.state.test_freq, hearing::f_max_normal);
    EXPECT_EQ(r.state.test_level, 0);
    // A threshold at the top of the range moves the run to the next frequency down.
    r.m.db_select();
    EXPECT_EQ(r.state.test_freq, 6000);
    EXPECT_TRUE(r.m.controls().auto_.checked);
}

// ---------------------------------------------------------------- languages and showing

TEST(ParameterTexts, LanguageSwitchAndMenuCaptions) {
    ParameterRig r;
    r.p.FormActivate();
    r.p.use_language(true);
    EXPECT_EQ(r.c.Port_Addr.caption, "Soundkarten Port auswählen: ");
    EXPECT_EQ(r.c.Port_ok.caption, "übernehmen");
    EXPECT_EQ(r.c.Port_Cancel.caption, "aufheben");
    EXPECT_EQ(r.c.active_Port.caption, "aktiver Port:  AdLib Standard / Pas 16 ...");
    r.click("Dev_PC_Speaker");
    EXPECT_EQ(r.c.active_Port.caption, "aktiver Port:  PC Speaker / Port $0061");

    r.p.set_menu_captions(german_table());
    const std::pair<const Control*, const char*> german[] = {
        {&r.c.Dev_Sound_Card, "Soundkarte"},           {&r.c.Dev_PC_Speaker, "PC Lautsprecher"},
        {&r.c.IO_Method, "Ausgabemethode:"},           {&r.c.IO_Device, "Ausgabegerät:"},
        {&r.c.MethB_Direct_Port, "Port Direkt I/O"},   {&r.c.MethB_Port_Driver, "Port-Treiber"},
        {&r.c.MethB_Data_Stream, "Data Stream"},       {&r.c.IO_Port_Drivers, "erforderliche Port-Treiber:"},
        {&r.c.Calib_Volume, "Lautstärke kalibrieren"}, {&r.c.Port_Addr, "OPL2 Soundkarten-Port:"},
    };
    for (const auto& [control, text] : german)
        EXPECT_EQ(control->caption, text) << control->name;

    r.p.use_language(false);
    EXPECT_EQ(r.c.Port_Addr.caption, "Select Sound Card Port: ");
    EXPECT_EQ(r.c.Port_ok.caption, "o.k. select");
    EXPECT_EQ(r.c.active_Port.caption, "active Port:  AdLib Standard / Pas 16 ...");
    r.p.set_menu_captions(english_table());
    EXPECT_EQ(r.c.IO_Device.caption, "select Output Device:");
    EXPECT_EQ(r.c.Port_Addr.caption, "select OPL2 Port:");
}

TEST(ParameterWindow, SetsItselfUpWhenShownWithOrWithoutFocus) {
    // Shown with no activation at all (a compositor that gives no focus): set up all the same.
    ParameterRig r;
    r.state.auto_mode = true;
    r.p.show();
    r.p.FormShow();
    EXPECT_TRUE(r.c.OS_Win_9598.checked); // the emulated bus reports the 95 family
    EXPECT_TRUE(r.c.MethB_Direct_Port.enabled);
    EXPECT_FALSE(r.state.auto_mode);
    // The activation that follows the show is the same one; a later activation, after focus was
    // elsewhere, runs the set-up again.
    const struct {
        bool focus_elsewhere;
        bool runs;
    } activations[] = {{false, false}, {false, true}, {true, true}};
    for (const auto& a : activations) {
        r.state.auto_mode = true; // changed meanwhile in the main window
        if (a.focus_elsewhere) r.p.focus_elsewhere();
        r.p.window_activated();
        EXPECT_EQ(r.state.auto_mode, !a.runs);
    }
    r.p.FormShow();
    r.p.focus_elsewhere();
    r.state.auto_mode = true;
    r.p.window_activated();
    EXPECT_FALSE(r.state.auto_mode);
}

TEST(ParameterTexts, ShowingAgainBringsTheWindowForward) {
    ParameterRig r;
    r.p.show();
    r.p.show();
    EXPECT_TRUE(r.c.form.visible);
    EXPECT_EQ(r.p.show_requests(), 2);
}

} // namespace
} // namespace kelvor::settings
