#pragma once
// A main-window logic over fresh state and recording fakes, with its two timers on a manual clock.
#include "core/diagnostics/log_buffer.h"
#include "core/hearing/messung.h"
#include "core/settings/language_tables.h"
#include "support/fake_host.h"
#include "support/fake_test_seams.h"
#include "support/port_fakes.h"
#include "support/recording_routing.h"

namespace kelvor::testing {

struct FakeWindowHost : hearing::WindowHost {
    void close() override { ++closed; }
    int closed = 0;
};

struct MessungRig {
    MessungRig() {
        timers.add(hearing::timer1_interval_ms, [this] { m.Ton_on_off(); });
        timers.add(hearing::timer2_interval_ms, [this] { m.Timer2Timer(); });
    }

    hearing::TestState state;
    CallLog log;
    FakeTone tone{&log};
    FakeChart chart{&log};
    FakeSettingsDialog settings{&log};
    kelvor::settings::Languages languages;
    diagnostics::LogBuffer sound_log{"SOUND", diagnostics::log_capacity_default};
    diagnostics::PortLogRing port_log;
    diagnostics::LogBuffer port_buffer{"Port", diagnostics::log_capacity_default};
    FixedSystemInfo system;
    FakeDialogs dialogs;
    FakeFiles files;
    FakeBrowser browser;
    FakeWindowHost window;
    RecordingRouting routing; // hears every ear change; nothing the window does depends on it
    hearing::TMessung m{{state, tone, chart, settings, languages, sound_log, port_log, port_buffer, system,
                         dialogs, files, browser, window, nullptr, &routing}};
    ManualClock clock;
    ManualTimers timers{clock};
    hearing::MessungControls& c = m.controls();

    // What Start leaves when a results file exists: running on the left ear at the top of the range, 0 dB.
    void start_running() {
        state.test_started = true;
        state.on_hold = false;
        m.Messung_liClick();
        log.take();
    }
};

} // namespace kelvor::testing
