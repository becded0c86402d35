#pragma once
// The settings dialog's logic and a main window logic over the real sound system on the emulated bus,
// the dialog's Qt window on top, with the tone timer's ticks run in real time; and a recording of the
// sound server's monitor around a run, measured again when the sink ran dry or the machine stood still.
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

#include "core/port/small_port.h"
#include "platform/monitor_recorder.h"
#include "platform/sound_system.h"
#include "support/audio_analysis.h"
#include "support/parameter_rig.h"
#include "ui/parameter_dialog.h"

namespace kelvor::testing {

constexpr double live_tick_ms = 400;

struct LiveDialog {
    LiveDialog() {
        if (!port.Opened()) port.set_Opened(true);
    }

    platform::SoundSystem sound{"emulated", ""};
    hearing::TestState state;
    FakeDialogs dialogs;
    diagnostics::LogBuffer port_log{"Port", 40};
    diagnostics::LogBuffer sound_log{"SOUND", 400};
    port::TSmallPort port{sound.system_info(), sound.driver_services(), port_log};
    tone::WaveStream waves{sound.audio_out(), sound_log};
    tone::ToneOutput tone{state, sound.ports(), &port, waves, sound.clock(), dialogs, sound_log};
    DialogWithMainWindow d{state, tone, sound.system_info(), dialogs, sound_log, &sound.routing()};
    ui::HandlerRunner runner{&tone};
    ui::ParameterDialog view{d.p, runner};
    std::vector<double> ticked; // clock time of each tone timer tick

    void click(const char* name) {
        auto* button = view.findChild<QAbstractButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        button->click();
    }
    bool open() {
        runner.run([&] { d.p.show(); });
        QElapsedTimer waited;
        waited.start();
        while (!view.isActiveWindow() && waited.elapsed() < 5000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        return view.isActiveWindow();
    }
    double now() { return sound.clock().now_ms(); }
    // The tone timer's ticks, `count` of them 400 ms apart from the last one.
    void ticks(int count) {
        double next = ticked.empty() ? now() + live_tick_ms : ticked.back() + live_tick_ms;
        for (int i = 0; i < count; ++i, next += live_tick_ms) {
            while (now() < next)
                QThread::usleep(200);
            ticked.push_back(now());
            runner.run([&] {
                tone.tone_pulse();
                if (tone.tone_sounding() && tone.data_stream_method()) tone.play_wave();
            });
        }
    }
};

struct Recording {
    std::vector<std::int16_t> samples; // left channel
    std::vector<std::int16_t> right;
    bool underran = false;
};

enum class Channels { mono, stereo };

// Runs `body` on a fresh dialog while the monitor records; measures again when the sink ran dry or the
// machine stood still (up to three recordings; the last one counts whatever the machine did). With
// `Channels::mono` both channels must carry the same.
template <class Body> Recording record(Body body, Channels channels = Channels::mono) {
    Recording rec;
    for (int attempt = 0; attempt < 3; ++attempt) {
        LiveDialog live;
        if (!live.sound.engine().running()) return rec;
        MonitorRecorder recorder;
        if (!recorder.start()) return rec;
        const int underruns = live.sound.engine().underruns();
        body(live);
        QThread::msleep(200);
        const auto both = recorder.stop();
        rec.samples = channel(both, 0, 2);
        rec.right = channel(both, 1, 2);
        if (channels == Channels::mono) {
            EXPECT_EQ(rec.samples, rec.right);
        }
        rec.underran = live.sound.engine().underruns() != underruns;
        if (!measure_again("", rec.underran, recorder.longest_stall_ms(), attempt)) break;
    }
    return rec;
}

inline int peak(const std::vector<std::int16_t>& s, std::size_t from, std::size_t to) {
    int p = 0;
    for (std::size_t i = from; i < to; ++i)
        p = std::max(p, std::abs(int(s[i])));
    return p;
}

} // namespace kelvor::testing
