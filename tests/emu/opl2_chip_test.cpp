#include "emu/opl2_chip.h"

#include <cmath>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

#include "support/audio_analysis.h"

namespace kelvor::emu {
namespace {

constexpr int rate = 44100;

struct Opl2Rig {
    PortBus bus;
    Opl2Chip chip{rate};
    Opl2Rig() { chip.attach_to(bus); }

    void reg(std::uint8_t r, std::uint8_t v, std::uint16_t base = adlib_address_port) {
        bus.write(base, r);
        bus.write(base + 1, v);
    }
    // The tone the program makes: carrier of channel 0, sustained, full attack, no release.
    void key_on(int mult, int block, int fnum) {
        reg(0x23, 0x21);
        reg(0x63, 0xF0);
        reg(0x83, 0xF0);
        reg(0x23, std::uint8_t(mult));
        reg(0xA0, std::uint8_t(fnum & 0xFF));
        reg(0xB0, std::uint8_t(0x20 | (block << 2) | (fnum >> 8)));
    }
    std::vector<std::int16_t> render(std::size_t frames) {
        std::vector<std::int32_t> mix(frames, 0);
        chip.render_add(mix.data(), frames);
        return {mix.begin(), mix.end()};
    }
};

double chip_pitch(int mult, int block, int fnum) {
    return fnum * 49716.0 * mult / std::pow(2.0, 20 - block);
}

TEST(Opl2Chip, PowersUpSilentSoAKeyedNoteWithoutALevelMakesNoSound) {
    Opl2Rig rig;
    rig.key_on(1, 5, 659);
    const auto quiet = rig.render(rate / 4);
    rig.reg(0x43, 0);
    rig.render(rate / 20);
    const auto loud = rig.render(rate / 4);
    const double loud_db = testing::rms_dbfs(loud, 0, loud.size());
    // Total level 63 is the chip's floor, 47.25 dB down: inaudible next to the loudest tone.
    EXPECT_GT(loud_db, -20);
    EXPECT_NEAR(loud_db - testing::rms_dbfs(quiet, 0, quiet.size()), 47.25, 1.5);
}

struct PitchRow {
    int mult, block, fnum;
};

TEST(Opl2Chip, SoundsAtTheChipsOwnPitchForFnumberBlockAndMultiplier) {
    const PitchRow rows[] = {{1, 2, 659}, {1, 4, 659}, {1, 5, 659}, {1, 7, 659}, {2, 7, 659},
                             {4, 7, 659}, {1, 1, 791}, {1, 4, 988}, {1, 4, 580}};
    for (const auto& r : rows) {
        Opl2Rig rig;
        rig.key_on(r.mult, r.block, r.fnum);
        rig.reg(0x43, 0); // loudest
        const auto out = rig.render(rate);
        const double f = testing::tone_frequency_hz(out, rate / 10, out.size(), rate);
        EXPECT_NEAR(f / chip_pitch(r.mult, r.block, r.fnum), 1.0, 0.0005)
            << "m " << r.mult << " b " << r.block << " n " << r.fnum << ": " << f << " Hz";
    }
}

TEST(Opl2Chip, TotalLevelStepsAreThreeQuartersOfADecibel) {
    Opl2Rig rig;
    rig.key_on(1, 5, 659);
    double loudest = 0;
    for (int tl : {0, 4, 16, 24, 37, 48}) {
        rig.reg(0x43, std::uint8_t(tl));
        rig.render(rate / 20); // let the level settle
        const auto out = rig.render(rate / 4);
        const double db = testing::rms_dbfs(out, 0, out.size());
        if (tl == 0) loudest = db;
        EXPECT_NEAR(loudest - db, 0.75 * tl, 0.1) << "total level " << tl;
    }
    rig.reg(0x43, 0x3F);
    rig.render(rate / 20);
    const auto quiet = rig.render(rate / 10);
    EXPECT_LT(testing::rms_dbfs(quiet, 0, quiet.size()), loudest - 45);
}

TEST(Opl2Chip, TheSoundBlasterPortsReachTheSameChip) {
    Opl2Rig rig;
    rig.key_on(1, 5, 659);
    rig.reg(0x43, 0, soundblaster_fm_address_port);
    const auto out = rig.render(rate / 2);
    EXPECT_NEAR(testing::tone_frequency_hz(out, rate / 10, out.size(), rate), chip_pitch(1, 5, 659), 0.5);
    EXPECT_EQ(rig.bus.read(adlib_address_port), opl2_idle_status);
    EXPECT_EQ(rig.bus.read(soundblaster_fm_data_port), floating_bus_value);
}

TEST(Opl2Chip, KnowsWhetherANoteIsKeyedOn) {
    const struct {
        const char* what;
        std::vector<std::pair<std::uint8_t, std::uint8_t>> writes;
        bool keyed;
    } cases[] = {
        {"powered up", {}, false},
        {"channel 0 keyed on", {{0xB0, 0x31}}, true},
        {"and off again", {{0xB0, 0x31}, {0xB0, 0x11}}, false},
        {"channel 8", {{0xB8, 0x2F}}, true},
        {"one of two keyed off", {{0xB2, 0x20}, {0xB5, 0x20}, {0xB2, 0x00}}, true},
        {"F-number low byte alone", {{0xA0, 0xFF}}, false},
        {"no channel past 8", {{0xB9, 0x20}}, false},
        {"rhythm mode without an instrument", {{0xBD, 0x20}}, false},
        {"rhythm mode, bass drum", {{0xBD, 0x30}}, true},
        {"instrument bits without rhythm mode", {{0xBD, 0x1F}}, false},
    };
    for (const auto& c : cases) {
        Opl2Rig rig;
        for (auto [r, v] : c.writes)
            rig.reg(r, v);
        EXPECT_EQ(rig.chip.keyed_on(), c.keyed) << c.what;
    }
}

} // namespace
} // namespace kelvor::emu
