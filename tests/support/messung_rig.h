#pragma once
// A main-window logic over fresh state and recording fakes, with its two timers on a manual clock. Every
// test that needs a main-window logic makes it here: a test names only the parts it brings itself.
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

// The parts a test brings itself; each one left null is the rig's recording fake (the port driver: none).
struct MessungParts {
    hearing::TestState* state = nullptr;
    hearing::ToneControl* tone = nullptr;
    hearing::ChartControl* chart = nullptr;
    hearing::SettingsDialog* settings = nullptr;
    host::SystemInfo* system = nullptr;
    host::Dialogs* dialogs = nullptr;
    diagnostics::LogBuffer* sound_log = nullptr;
    hearing::WindowHost* window = nullptr;
    port::TSmallPort* port_driver = nullptr;
    host::OutputRouting* routing = nullptr;
    hearing::RoomHooks* room = nullptr;
};

// Every collaborator of the main-window logic, as a recording fake.
struct MessungFakes {
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

    hearing::MessungServices services(const MessungParts& p = {}) {
        return {p.state ? *p.state : state,
                p.tone ? *p.tone : tone,
                p.chart ? *p.chart : chart,
                p.settings ? *p.settings : settings,
                languages,
                p.sound_log ? *p.sound_log : sound_log,
                port_log,
                port_buffer,
                p.system ? *p.system : system,
                p.dialogs ? *p.dialogs : dialogs,
                files,
                browser,
                p.window ? *p.window : window,
                p.port_driver,
                p.routing ? p.routing : &routing,
                nullptr,
                p.room};
    }
};

struct MessungRig : MessungFakes {
    explicit MessungRig(const MessungParts& parts = {}) : m(services(parts)) {
        timers.add(hearing::timer1_interval_ms, [this] { m.Ton_on_off(); });
        timers.add(hearing::timer2_interval_ms, [this] { m.Timer2Timer(); });
    }

    hearing::TMessung m;
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
