// Without a sound server: run by tests/e2e/no_sound_server.sh with the server out of reach (the test
// skips itself otherwise, since one QApplication serves every Qt test and keeps its device list).
#include <QString>
#include <gtest/gtest.h>

#include "core/hearing/test_state.h"
#include "core/tone/tone_output.h"
#include "core/tone/wave_stream.h"
#include "platform/audio_backend.h"
#include "platform/sound_system.h"

namespace kelvor::platform {
namespace {

struct CountingDialogs : host::Dialogs {
    int shown = 0;
    void message_box(const std::string&) override { ++shown; }
};

TEST(NoSoundServer, TheDataStreamFindsNoSoundcardAndNothingCrashes) {
    if (qEnvironmentVariable("KELVOR_EXPECT_NO_AUDIO") != "1") GTEST_SKIP() << "runs from no_sound_server.sh";
    SoundSystem sound{"emulated", ""};
    EXPECT_EQ(AudioEngine::output_device_count(), 0);
    EXPECT_FALSE(sound.engine().running());

    hearing::TestState state;
    CountingDialogs dialogs;
    diagnostics::LogBuffer sound_log{"SOUND", 40};
    tone::WaveStream waves{sound.audio_out(), sound_log};
    tone::ToneOutput tone{state, sound.ports(), nullptr, waves, sound.clock(), dialogs, sound_log};
    tone.settings().out_device = tone::dev_soundcard;
    tone.settings().out_method = tone::meth_stream;
    EXPECT_FALSE(tone.Soundcard_present()); // the Start command shows "no Soundcard found ! "
    tone.set_level(12);
    tone.set_frequency(1000);
    for (int i = 0; i < 4; ++i) {
        tone.tone_pulse();
        if (tone.tone_sounding()) tone.play_wave();
    }
    // The port paths still run on the emulated bus; with nobody rendering, its queue stays bounded.
    tone.settings().out_method = tone::meth_direct;
    EXPECT_TRUE(tone.Soundcard_present());
    for (int i = 0; i < 5000; ++i)
        sound.ports().write_port(0x61, std::uint8_t(i & 3));
    EXPECT_GT(sound.engine().stream().stats().events_dropped, 0u);
    EXPECT_EQ(dialogs.shown, 0);
    tone.free_waves();

    // Asked directly, each backend fails cleanly, and none starts a sound server of its own.
    std::atomic<int> underruns{0};
    const AudioFeed feed{sound.engine().stream(), sound.clock(), underruns};
    EXPECT_FALSE(make_pulse_backend(feed, 2646)->open());
    EXPECT_FALSE(make_qt_backend(feed, 8820)->open());
}

} // namespace
} // namespace kelvor::platform
