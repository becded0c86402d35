#include "core/tone/tone_output.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/fake_host.h"
#include "support/port_fakes.h"

namespace kelvor::tone {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using testing::PortWrite;

constexpr std::uint16_t addr = 0x388;
constexpr std::uint16_t data = 0x389;

std::vector<PortWrite> reg(std::uint8_t r, std::uint8_t v) {
    return {{addr, r, 0}, {data, v, 0}};
}

std::vector<PortWrite> regs(std::initializer_list<std::pair<std::uint8_t, std::uint8_t>> pairs) {
    std::vector<PortWrite> out;
    for (const auto& [r, v] : pairs)
        for (const PortWrite& w : reg(r, v))
            out.push_back(w);
    return out;
}

class ToneOutputTest : public ::testing::Test {
  protected:
    ToneOutputTest() {
        tone.settings().out_device = dev_soundcard;
        tone.settings().out_method = meth_direct;
    }

    // The total level values written to register 0x43 since the last call.
    std::vector<int> take_total_levels() {
        std::vector<int> levels;
        for (std::size_t i = 0; i + 1 < ports.writes.size(); ++i)
            if (ports.writes[i].port == addr && ports.writes[i].value == reg_carrier_level)
                levels.push_back(ports.writes[i + 1].value);
        ports.writes.clear();
        return levels;
    }

    std::vector<std::string> sound_lines() const {
        std::vector<std::string> lines;
        for (std::size_t i = 0; i < sound_log.count(); ++i)
            lines.push_back(sound_log.line(i));
        return lines;
    }

    hearing::TestState state;
    testing::SteppingClock clock;
    testing::RecordingPortIo ports{&clock};
    testing::RecordingWaveOutput wave;
    testing::FakeDialogs dialogs;
    diagnostics::LogBuffer sound_log{sound_log_name, 200};
    diagnostics::PortLogRing ring;
    ToneOutput tone{state, ports, nullptr, wave, clock, dialogs, sound_log};
};

TEST_F(ToneOutputTest, InitialSettingsAndToneState) {
    ToneOutput fresh{state, ports, nullptr, wave, clock, dialogs, sound_log};
    const TOutputSettings& s = fresh.settings();
    EXPECT_EQ(s.port_base, 0x388);
    EXPECT_EQ(s.data_port, 0x389);
    EXPECT_EQ(s.out_device, dev_speaker);
    EXPECT_EQ(s.out_method, meth_stream);
    EXPECT_EQ(s.cal_volume, 100);
    EXPECT_EQ(s.write_delay_ms, 4);
    EXPECT_EQ(s.low_tone_drop, 10);
    EXPECT_EQ(fresh.attenuation(), 48);
    EXPECT_EQ(fresh.saved_attenuation(), 48);
    EXPECT_TRUE(fresh.tone_sounding());
    EXPECT_TRUE(fresh.data_stream_method());

    TOutputSettings moved;
    moved.set_port_base(0x220);
    EXPECT_EQ(moved.data_port, 0x221);
}

TEST_F(ToneOutputTest, InitWritesTenBytesEachFollowedByTheWait) {
    tone.init_OPL2();
    EXPECT_THAT(ports.writes, ElementsAreArray(regs(
                                  {{0x23, 0x21}, {0x63, 0xF0}, {0x83, 0xF0}, {0xA0, 0x44}, {0xB0, 0x32}})));
    // The clock moves 1 ms per read, so every wait shows as a gap of more than 4 ms after a write.
    for (std::size_t i = 1; i < ports.writes.size(); ++i)
        EXPECT_GT(ports.writes[i].at_ms - ports.writes[i - 1].at_ms, 4) << i;
    EXPECT_GT(clock.now - ports.writes.back().at_ms, 4);
    EXPECT_EQ(state.test_level, 0);
    EXPECT_THAT(sound_lines(), ElementsAre(":> SOUND Port:Data $0388 : 33", ":> SOUND Port:Data $0388 : 240",
                                           ":> SOUND Port:Data $0388 : 240", ":> SOUND Port:Data $0388 : 68",
                                           ":> SOUND Port:Data $0388 : 50"));
}

TEST_F(ToneOutputTest, SoundLogLineTexts) {
    tone.send_to_OPL(0x388, 0x43, 5);
    tone.send_to_OPL(0x388, 0x43, 240);
    tone.settings().set_port_base(0x220);
    tone.send_to_OPL(0x220, 0x43, 6);
    EXPECT_THAT(sound_lines(), ElementsAre(":> SOUND Port:Data $0388 :   5", ":> SOUND Port:Data $0388 : 240",
                                           ":> SOUND Port:Data $0220 :   6"));
    EXPECT_EQ(ports.writes.back(), (PortWrite{0x221, 6, 0}));
}

TEST_F(ToneOutputTest, DataStreamLogsAndWaitsButWritesNoPort) {
    tone.settings().out_method = meth_stream;
    for (const int delay_ms : {4, 0, 10}) {
        tone.settings().write_delay_ms = static_cast<std::uint8_t>(delay_ms);
        clock.now = 0;
        sound_log.show(ring);
        tone.init_OPL2();
        EXPECT_THAT(ports.writes, IsEmpty());
        EXPECT_EQ(sound_log.count(), 5);
        // Ten waits of more than the delay each: at 1 ms per clock read each takes delay + 2 reads.
        EXPECT_EQ(clock.now, 10 * (delay_ms + 2)) << delay_ms;
    }
    EXPECT_THAT(dialogs.shown, IsEmpty());
}

TEST_F(ToneOutputTest, DelayWaitsMoreThanTheMillisecondsAndEndsPromptly) {
    for (int ms : {0, 1, 4, 255}) {
        clock.now = 1000;
        clock.step_ms = 0.25;
        tone.delay_ms(static_cast<std::uint8_t>(ms));
        const double waited =
            clock.now - 1000 - clock.step_ms; // the last read is the one that ended the wait
        EXPECT_GT(waited, ms);
        EXPECT_LE(waited, ms + 2 * clock.step_ms);
    }
}

TEST_F(ToneOutputTest, FrequencyChangeWritesThreeRegistersWithKeyOff) {
    state.test_freq = 500;
    tone.set_frequency(1000);
    EXPECT_EQ(state.test_freq, 1000);
    EXPECT_THAT(ports.writes, ElementsAreArray(regs({{0x23, 0x01}, {0xA0, 0x93}, {0xB0, 0x16}})));
    ports.writes.clear();
    tone.set_frequency(16000);
    EXPECT_THAT(ports.writes, ElementsAreArray(regs({{0x23, 0x04}, {0xA0, 0x93}, {0xB0, 0x1E}})));
}

TEST_F(ToneOutputTest, OnAndOffSequences) {
    tone.set_level(30);
    tone.OPL2_ein();
    EXPECT_EQ(state.test_level, 0);
    EXPECT_THAT(ports.writes, ElementsAreArray(reg(0xB0, 0x32)));
    ports.writes.clear();
    tone.set_level(30);
    tone.OPL2_aus();
    EXPECT_EQ(state.test_level, 0);
    EXPECT_EQ(tone.attenuation(), 48);
    EXPECT_THAT(ports.writes, ElementsAreArray(regs({{0xB0, 0x12}, {0x43, 0x3F}})));
}

TEST_F(ToneOutputTest, SetLevelRecordsAttenuationOnly) {
    struct Case {
        std::int8_t level;
        std::int8_t attenuation;
    };
    for (const Case c : {Case{0, 48}, Case{12, 36}, Case{48, 0}, Case{49, 48}, Case{-2, 48}, Case{127, 48}}) {
        tone.set_level(c.level);
        EXPECT_EQ(state.test_level, c.level);
        EXPECT_EQ(tone.attenuation(), c.attenuation) << int(c.level);
        EXPECT_EQ(tone.saved_attenuation(), c.attenuation) << int(c.level);
    }
    EXPECT_THAT(ports.writes, IsEmpty());
    EXPECT_THAT(wave.made, IsEmpty());
}

TEST_F(ToneOutputTest, WriteLevelTotalLevels) {
    const std::pair<int, int> cases[] = {{48, 0}, {47, 1}, {36, 16}, {12, 48}, {2, 61},
                                         {1, 62}, {0, 63}, {49, 63}, {255, 63}};
    for (const auto& [loudness, total] : cases) {
        tone.write_level(static_cast<std::uint8_t>(loudness));
        EXPECT_THAT(take_total_levels(), ElementsAre(total)) << loudness;
    }
}

TEST_F(ToneOutputTest, PulseHalvesOnTheSoundCard) {
    struct Case {
        std::uint16_t freq_hz;
        std::int8_t level;
        int pause_total;
        int sounding_total;
    };
    const Case cases[] = {
        {250, 30, 37, 24},                    // low tone: the pause half is 10 dB lower, not silent
        {250, 10, 63, 50},                    // 38 + 10 reaches the floor: silent
        {250, 8, 63, 53},                     // beyond the floor: silent
        {499, 48, 13, 0},  {500, 30, 63, 24}, // from 500 Hz on the pause is always silent
        {1000, 48, 63, 0}, {125, 0, 63, 63},  {250, -2, 63, 63},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.freq_hz * 1000 + c.level);
        ToneOutput t{state, ports, nullptr, wave, clock, dialogs, sound_log};
        t.settings().out_device = dev_soundcard;
        t.settings().out_method = meth_direct;
        state.test_freq = c.freq_hz;
        t.set_level(c.level);
        EXPECT_THAT(take_total_levels(), IsEmpty()); // the level waits for the next sounding half
        t.tone_pulse();                              // the first tick starts with a pause half
        EXPECT_FALSE(t.tone_sounding());
        t.tone_pulse();
        EXPECT_TRUE(t.tone_sounding());
        t.tone_pulse();
        t.tone_pulse();
        EXPECT_THAT(take_total_levels(),
                    ElementsAre(c.pause_total, c.sounding_total, c.pause_total, c.sounding_total));
    }
}

// A frequency step sets 0 dB and then the new frequency. The chip and the speaker take the frequency at
// once, so the level of the half now playing goes out first: the new tone never sounds at the level of
// the one just answered. A frequency change at an unchanged level writes the frequency alone.
TEST_F(ToneOutputTest, AFrequencyChangeNeverPlaysTheNewToneAtTheOldLevel) {
    struct Case {
        const char* what;
        TOutputDevice device;
        std::uint16_t from_hz;
        std::int8_t from_level;
        int halves;            // pulse halves played before the change; the first is a pause half
        std::int8_t new_level; // -1: the level stays
        bool started;
        std::vector<PortWrite> before_frequency;
    };
    const std::vector<Case> cases = {
        {"sounding half, step to 0 dB", dev_soundcard, 8000, 10, 2, 0, true, regs({{0x43, 63}})},
        {"sounding half, level kept", dev_soundcard, 8000, 10, 2, -1, true, {}},
        {"pause half of a low tone", dev_soundcard, 125, 30, 1, 0, true, regs({{0x43, 63}})},
        {"pause half at 500 Hz and more", dev_soundcard, 1000, 30, 1, 0, true, {}},
        {"pause half at 0 dB already", dev_soundcard, 125, 8, 1, 0, true, {}},
        {"sounding half, higher level", dev_soundcard, 1000, 0, 2, 12, true, regs({{0x43, 48}})},
        {"no test running", dev_soundcard, 8000, 10, 2, 0, false, {}},
        {"speaker on, step to 0 dB", dev_speaker, 8000, 2, 2, 0, true, {{0x61, 0x30, 0}}},
        {"speaker on, level kept", dev_speaker, 8000, 2, 2, -1, true, {}},
        {"speaker off in its pause", dev_speaker, 8000, 2, 1, 0, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ToneOutput t{state, ports, nullptr, wave, clock, dialogs, sound_log};
        t.settings().out_device = c.device;
        t.settings().out_method = meth_direct;
        ports.read_values[0x61] = 0x30;
        state.test_started = c.started;
        state.test_freq = c.from_hz;
        t.set_level(c.from_level);
        for (int i = 0; i < c.halves; ++i)
            t.tone_pulse();
        ports.writes.clear();
        ports.read_values[0x61] = t.tone_sounding() && c.device == dev_speaker ? 0x33 : 0x30;
        if (c.new_level >= 0) t.set_level(c.new_level);
        t.set_frequency(6000);
        std::vector<PortWrite> expected = c.before_frequency;
        const std::vector<PortWrite> frequency =
            c.device == dev_speaker ? std::vector<PortWrite>{{0x43, 0xB6, 0}, {0x42, 198, 0}, {0x42, 0, 0}}
                                    : regs({{0x23, 0x01}, {0xA0, 0xDC}, {0xB0, 0x1F}});
        expected.insert(expected.end(), frequency.begin(), frequency.end());
        EXPECT_THAT(ports.writes, ElementsAreArray(expected));
    }
}

TEST_F(ToneOutputTest, PulseGatesThePcSpeaker) {
    tone.settings().out_device = dev_speaker;
    ports.read_values[0x61] = 0x30;
    state.test_freq = 250; // no low-tone drop on the speaker
    tone.set_level(10);
    tone.tone_pulse();
    tone.tone_pulse();
    tone.set_level(0);
    tone.tone_pulse();
    tone.tone_pulse();
    EXPECT_THAT(ports.writes, ElementsAre(PortWrite{0x61, 0x30, 0}, PortWrite{0x61, 0x33, 0},
                                          PortWrite{0x61, 0x30, 0}, PortWrite{0x61, 0x30, 0}));
    EXPECT_THAT(ports.reads, ElementsAre(0x61, 0x61, 0x61, 0x61));
}

TEST_F(ToneOutputTest, SpeakerDivisorBytes) {
    struct Case {
        std::uint16_t freq_hz;
        std::uint16_t divisor;
    };
    for (const Case c : {Case{1000, 1193}, Case{125, 9545}, Case{8000, 149}, Case{19, 62798},
                         Case{18, 0xFFFF}, Case{0, 0xFFFF}, Case{65535, 18}}) {
        ports.writes.clear();
        tone.speaker_frequency(c.freq_hz);
        EXPECT_THAT(ports.writes,
                    ElementsAre(PortWrite{0x43, 0xB6, 0}, PortWrite{0x42, std::uint8_t(c.divisor & 0xFF), 0},
                                PortWrite{0x42, std::uint8_t(c.divisor >> 8), 0}))
            << c.freq_hz;
    }
}

TEST_F(ToneOutputTest, SpeakerGateKeepsTheOtherBits) {
    ports.read_values[0x61] = 0x30;
    tone.speaker_on();
    ports.read_values[0x61] = 0x33;
    tone.speaker_off();
    ports.read_values[0x61] = 0xFF;
    tone.speaker_off();
    EXPECT_THAT(ports.writes,
                ElementsAre(PortWrite{0x61, 0x33, 0}, PortWrite{0x61, 0x30, 0}, PortWrite{0x61, 0xFC, 0}));
}

TEST_F(ToneOutputTest, StartOutputProbesThenSilencesTheSpeakerThenInitialisesTheChip) {
    ports.read_values[0x61] = 0x03;
    EXPECT_TRUE(tone.start_output());
    const std::vector<PortWrite> probe =
        regs({{0x23, 0x21}, {0x63, 0xF0}, {0x83, 0xF0}, {0xA0, 0x44}, {0xB0, 0x32}});
    const std::vector<PortWrite> speaker = {
        {0x61, 0x00, 0}, {0x43, 0xB6, 0}, {0x42, 0xA9, 0}, {0x42, 0x04, 0}};
    ASSERT_GT(ports.writes.size(), probe.size() + speaker.size());
    EXPECT_THAT(std::vector<PortWrite>(ports.writes.begin(), ports.writes.begin() + 10),
                ElementsAreArray(probe));
    EXPECT_THAT(std::vector<PortWrite>(ports.writes.begin() + 10, ports.writes.begin() + 14),
                ElementsAreArray(speaker));
    EXPECT_EQ(ports.writes[14].port, addr); // the chip's initialisation follows
}

TEST_F(ToneOutputTest, SpeakerFollowsFrequencyChanges) {
    tone.settings().out_device = dev_speaker;
    tone.set_frequency(1000);
    EXPECT_THAT(ports.writes,
                ElementsAre(PortWrite{0x43, 0xB6, 0}, PortWrite{0x42, 0xA9, 0}, PortWrite{0x42, 0x04, 0}));
    // The speaker path with the data stream touches no port.
    ports.writes.clear();
    tone.settings().out_method = meth_stream;
    tone.set_frequency(2000);
    tone.write_level(48);
    EXPECT_THAT(ports.writes, IsEmpty());
    EXPECT_THAT(ports.reads, IsEmpty());
}

TEST_F(ToneOutputTest, DataStreamMakesWavesOnLevelAndFrequency) {
    tone.settings().out_method = meth_stream;
    tone.settings().cal_volume = 50;
    state.test_freq = 1000;
    tone.set_level(12);
    tone.set_frequency(2000);
    tone.tone_pulse();
    tone.tone_pulse();
    tone.play_wave();
    tone.free_waves();
    using Made = testing::RecordingWaveOutput::Made;
    EXPECT_THAT(wave.made, ElementsAre(Made{1000, 12, 50}, Made{2000, 12, 50}));
    EXPECT_EQ(wave.played, 1);
    EXPECT_EQ(wave.freed, 1);
    EXPECT_THAT(ports.writes, IsEmpty());
    // On the speaker a level still makes an image, a frequency only reprograms the (unreached) timer.
    tone.settings().out_device = dev_speaker;
    tone.set_frequency(4000);
    EXPECT_EQ(wave.made.size(), 2u);
}

TEST_F(ToneOutputTest, SoundcardPresence) {
    tone.settings().out_method = meth_stream;
    wave.device_count = 0;
    EXPECT_FALSE(tone.Soundcard_present());
    wave.device_count = 2;
    EXPECT_TRUE(tone.Soundcard_present());
    EXPECT_THAT(ports.writes, IsEmpty());

    tone.settings().out_method = meth_direct;
    EXPECT_TRUE(tone.Soundcard_present());
    EXPECT_THAT(ports.writes, ElementsAreArray(regs(
                                  {{0x23, 0x21}, {0x63, 0xF0}, {0x83, 0xF0}, {0xA0, 0x44}, {0xB0, 0x32}})));
    ports.fail_writes = true;
    EXPECT_TRUE(tone.Soundcard_present()); // no read-back: an unreachable chip is not detected
    EXPECT_THAT(dialogs.shown, ElementsAre("direct Port Write command failed"));
}

TEST_F(ToneOutputTest, PortFailureMessages) {
    ports.fail_writes = true;
    ports.fail_reads = true;
    tone.SetPort(0x61, 1);
    EXPECT_EQ(tone.GetPort(0x61), 0);
    tone.settings().out_method = meth_driver; // no port driver component
    tone.SetPort(0x61, 1);
    EXPECT_EQ(tone.GetPort(0x61), 0);
    tone.settings().out_method = meth_stream;
    tone.SetPort(0x61, 1);
    EXPECT_EQ(tone.GetPort(0x61), 0);
    EXPECT_THAT(dialogs.shown,
                ElementsAre("direct Port Write command failed", "direct Port Read command failed",
                            "Port Driver Write command failed", "Port Driver Read command failed"));
    EXPECT_THAT(ports.reads, ElementsAre(0x61));
}

TEST_F(ToneOutputTest, DriverMethodGoesThroughThePortComponent) {
    testing::FixedSystemInfo system;
    testing::ScriptedDriverServices services;
    diagnostics::LogBuffer port_log{port::port_log_name, 200};
    services.read_answer = 0x30;
    port::TSmallPort driver{system, services, port_log};
    tone.set_port_driver(&driver);
    tone.settings().out_method = meth_driver;

    tone.SetPort(0x388, 0x21); // closed: refused silently, kept in the component
    EXPECT_EQ(driver.last_error(), port::error_invalid_handle);
    driver.OpenDriver();
    tone.speaker_on();
    ASSERT_EQ(services.requests.size(), 2u);
    EXPECT_EQ(services.requests[0].code, port::ioctl_read_port_nt);
    EXPECT_EQ(services.requests[1].code, port::ioctl_write_port_nt);
    EXPECT_THAT(services.requests[1].in, ElementsAre(0x61, 0x00, 0x33, 0x00));
    services.ioctl_error = 31;
    tone.SetPort(0x388, 0x21);
    EXPECT_FALSE(driver.last_ok());
    EXPECT_THAT(dialogs.shown, IsEmpty());
    EXPECT_THAT(ports.writes, IsEmpty());
}

// An unreachable chip while the pulse timer keeps ticking under the open message box.
TEST_F(ToneOutputTest, FailureBoxesWaitForTheOperationAndDoNotStack) {
    ports.fail_writes = true;
    std::vector<PortWrite> attempts;
    ports.on_write = [&](std::uint16_t port, std::uint8_t value) { attempts.push_back({port, value, 0}); };
    int boxes_open = 0;
    int deepest = 0;
    int nested_ticks = 0;
    dialogs.while_open = [&] {
        deepest = std::max(deepest, ++boxes_open);
        for (int i = 0; i < 3; ++i, ++nested_ticks)
            tone.tone_pulse();
        --boxes_open;
    };

    tone.init_OPL2();

    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(nested_ticks, 3);
    EXPECT_THAT(dialogs.shown, ElementsAre("direct Port Write command failed"));
    // Every address byte is followed by its own data byte: no nested write got between them.
    ASSERT_EQ(attempts.size() % 2, 0u);
    for (std::size_t i = 0; i < attempts.size(); i += 2) {
        EXPECT_EQ(attempts[i].port, addr) << i;
        EXPECT_EQ(attempts[i + 1].port, data) << i;
    }
    EXPECT_EQ(attempts.size(), 10u + 3 * 2);

    // Once the box is closed, the next failure is shown again.
    dialogs.while_open = nullptr;
    tone.tone_pulse();
    EXPECT_EQ(dialogs.shown.size(), 2u);
}

TEST_F(ToneOutputTest, HandlerScopeHoldsBoxesUntilTheHandlerEnds) {
    ports.fail_writes = true;
    ports.fail_reads = true;
    {
        ToneOutput::HandlerScope scope(tone);
        tone.speaker_off();
        tone.init_OPL2();
        EXPECT_THAT(dialogs.shown, IsEmpty());
    }
    EXPECT_THAT(dialogs.shown,
                ElementsAre("direct Port Read command failed", "direct Port Write command failed"));
}

// Muted (a pause or a silent ascent of the confirmed threshold), no half sounds, nor a frequency change,
// nor the data stream; unmuted, the next sounding half sounds at the level set meanwhile.
TEST_F(ToneOutputTest, MutedNothingSoundsUntilTheNextHalfAfterUnmuting) {
    state.test_freq = 1000;
    state.test_started = true;
    tone.set_muted(true);
    tone.set_level(30);
    for (int half = 0; half < 4; ++half)
        tone.tone_pulse();
    tone.set_frequency(2000);
    EXPECT_THAT(take_total_levels(), ::testing::Each(63));
    tone.set_muted(false);
    EXPECT_THAT(take_total_levels(), IsEmpty());
    tone.tone_pulse();
    tone.tone_pulse();
    EXPECT_THAT(take_total_levels(), ElementsAre(63, 24));
    tone.settings().out_method = meth_stream;
    tone.set_muted(true);
    tone.play_wave();
    EXPECT_EQ(wave.played, 0);
}

} // namespace
} // namespace kelvor::tone
