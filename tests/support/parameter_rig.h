#pragma once
// The output settings dialog's logic linked with a main window logic, over a real tone output. The main
// window's charts, files, browser and window are recording fakes; where the tone output's ports, clock
// and wave player come from is the caller's choice (recording fakes here, the real Linux parts in the
// platform tests).
#include <stdexcept>
#include <string>
#include <type_traits>

#include "core/diagnostics/log_buffer.h"
#include "core/hearing/messung.h"
#include "core/settings/language_tables.h"
#include "core/settings/parameter.h"
#include "core/tone/tone_output.h"
#include "core/tone/wave_stream.h"
#include "support/fake_host.h"
#include "support/fake_test_seams.h"
#include "support/messung_rig.h"
#include "support/port_fakes.h"
#include "support/recording_audio_out.h"
#include "support/recording_routing.h"

namespace kelvor::testing {

// The main window's own collaborators are the rig's recording fakes.
struct DialogWithMainWindow : MessungFakes {
    DialogWithMainWindow(hearing::TestState& state_, tone::ToneOutput& tone_, host::SystemInfo& system_,
                         host::Dialogs& dialogs_, diagnostics::LogBuffer& sound_log_,
                         host::OutputRouting* routing_ = nullptr)
        : p{{state_, tone_, system_, dialogs_, routing_}}, m{services({.state = &state_,
                                                                       .tone = &tone_,
                                                                       .settings = &p,
                                                                       .system = &system_,
                                                                       .dialogs = &dialogs_,
                                                                       .sound_log = &sound_log_,
                                                                       .routing = routing_})} {}

    // A user's click on the radio named `name`.
    void click(const std::string& name) {
        bool found = false;
        p.controls().for_each([&](auto& control) {
            if constexpr (std::is_same_v<std::decay_t<decltype(control)>, CheckControl>)
                if (control.name == name) {
                    p.radio_click(control);
                    found = true;
                }
        });
        if (!found) throw std::invalid_argument("no radio " + name);
    }

    kelvor::settings::TParameter p;
    hearing::TMessung m;
};

// Everything over recording fakes; the wave player is the real one, playing into a recorder.
struct ParameterRig {
    // The 95 family is what the emulated bus reports; the NT family what only a driver device can reach.
    explicit ParameterRig(bool nt_family = false) {
        system.version = nt_family ? host::OsVersion{host::platform_windows_nt, 5, 1, 2600}
                                   : host::OsVersion{host::platform_windows_95, 4, 10, 0};
    }

    hearing::TestState state;
    SteppingClock clock;
    RecordingPortIo ports{&clock};
    RecordingAudioOut audio;
    diagnostics::LogBuffer sound_log{"SOUND", 1000};
    tone::WaveStream waves{audio, sound_log};
    FakeDialogs dialogs;
    FixedSystemInfo system;
    tone::ToneOutput tone{state, ports, nullptr, waves, clock, dialogs, sound_log};
    RecordingRouting routing;
    DialogWithMainWindow d{state, tone, system, dialogs, sound_log, &routing};
    kelvor::settings::TParameter& p = d.p;
    kelvor::settings::ParameterControls& c = d.p.controls();
    hearing::TMessung& m = d.m;
    tone::TOutputSettings& out = tone.settings();

    void click(const std::string& name) { d.click(name); }
};

} // namespace kelvor::testing
