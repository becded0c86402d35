#include "core/tone/opl2.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace kelvor::tone {
namespace {

struct FnumCase {
    std::uint16_t freq_hz;
    std::uint8_t multiplier;
    std::uint8_t block;
    std::uint16_t fnum;
    std::uint8_t reg_a0;
    std::uint8_t reg_b0;
};

// Both sides of every row edge, the documented tones, and the note above the range.
constexpr FnumCase fnum_cases[] = {
    {0, 1, 0, 0, 0x00, 0x00},        {1, 1, 0, 21, 0x15, 0x00},       {48, 1, 0, 1012, 0xF4, 0x03},
    {49, 1, 1, 516, 0x04, 0x06},     {96, 1, 1, 1012, 0xF4, 0x07},    {97, 1, 2, 511, 0xFF, 0x09},
    {192, 1, 2, 1012, 0xF4, 0x0B},   {193, 1, 3, 509, 0xFD, 0x0D},    {384, 1, 3, 1012, 0xF4, 0x0F},
    {385, 1, 4, 507, 0xFB, 0x11},    {625, 1, 4, 824, 0x38, 0x13},    {768, 1, 4, 1012, 0xF4, 0x13},
    {769, 1, 5, 506, 0xFA, 0x15},    {1536, 1, 5, 1012, 0xF4, 0x17},  {1537, 1, 6, 506, 0xFA, 0x19},
    {3072, 1, 6, 1012, 0xF4, 0x1B},  {3073, 1, 7, 506, 0xFA, 0x1D},   {6144, 1, 7, 1012, 0xF4, 0x1F},
    {6145, 2, 7, 506, 0xFA, 0x1D},   {12288, 2, 7, 1012, 0xF4, 0x1F}, {12289, 4, 7, 506, 0xFA, 0x1D},
    {24576, 4, 7, 1012, 0xF4, 0x1F}, {24577, 1, 4, 580, 0x44, 0x12},  {65535, 1, 4, 580, 0x44, 0x12},
    {75, 1, 1, 791, 0x17, 0x07},     {125, 1, 2, 659, 0x93, 0x0A},    {250, 1, 3, 659, 0x93, 0x0E},
    {500, 1, 4, 659, 0x93, 0x12},    {750, 1, 4, 988, 0xDC, 0x13},    {1000, 1, 5, 659, 0x93, 0x16},
    {2000, 1, 6, 659, 0x93, 0x1A},   {4000, 1, 7, 659, 0x93, 0x1E},   {8000, 2, 7, 659, 0x93, 0x1E},
    {16000, 4, 7, 659, 0x93, 0x1E},
};

TEST(Opl2FreqToFnum, RowsEdgesAndRegisterBytes) {
    for (const FnumCase& c : fnum_cases) {
        SCOPED_TRACE(c.freq_hz);
        const FNumber f = freq_to_fnum(c.freq_hz);
        EXPECT_EQ(f.multiplier, c.multiplier);
        EXPECT_EQ(f.block, c.block);
        EXPECT_EQ(f.fnum, c.fnum);
        EXPECT_EQ(f.fnum & 0xFF, c.reg_a0);
        EXPECT_EQ(block_fnum_high(f), c.reg_b0);
    }
}

TEST(Opl2FreqToFnum, EveryFrequencyFitsTheChipAndLeavesKeyOff) {
    for (std::uint32_t f = 0; f <= 0xFFFF; ++f) {
        const FNumber n = freq_to_fnum(static_cast<std::uint16_t>(f));
        ASSERT_LT(n.fnum, 1024) << f;
        ASSERT_EQ(block_fnum_high(n) & key_on_bit, 0) << f;
    }
}

} // namespace
} // namespace kelvor::tone
