#include "core/hearing/frequency_scale.h"

#include <cmath>
#include <gtest/gtest.h>

namespace kelvor::hearing {
namespace {

struct Lookup {
    std::uint16_t freq;
    std::uint8_t index;
};

TEST(FrequencyScale, TableFrequenciesMapBothWays) {
    const Lookup rows[] = {{75, 1}, {125, 2}, {500, 6}, {1000, 10}, {8000, 22}, {16000, 28}, {20000, 30}};
    for (const auto& row : rows) {
        EXPECT_EQ(freq_to_index(row.freq), row.index) << row.freq;
        EXPECT_EQ(index_to_freq(row.index), row.freq) << int(row.index);
    }
}

TEST(FrequencyScale, OffScaleValuesLandOn500Hz) {
    for (std::uint16_t f : {0, 600, 19999, 65535})
        EXPECT_EQ(freq_to_index(f), 0) << f;
    for (std::uint8_t i : {0, 31, 255}) {
        EXPECT_EQ(index_to_freq(i), 500) << int(i);
        EXPECT_DOUBLE_EQ(index_ln_freq(i), 6.215) << int(i);
    }
    EXPECT_EQ(index_to_freq(freq_to_index(600)), 500);
}

TEST(FrequencyScale, StoredLogarithmsStayCloseToTheNaturalLogarithms) {
    for (std::uint8_t i = 1; i <= freq_index_count; ++i)
        EXPECT_NEAR(index_ln_freq(i), std::log(index_to_freq(i)), 0.001) << int(i);
}

TEST(FrequencyScale, LnSeries) {
    EXPECT_DOUBLE_EQ(ln_series(1), 0.0);
    EXPECT_DOUBLE_EQ(ln_series(0.5), -2.0 / 3.0); // the loop does not run below 1
    for (double x : {75.0, 125.0, 8000.0, 16000.0})
        EXPECT_NEAR(ln_series(x), std::log(x), 0.0001) << x;
}

} // namespace
} // namespace kelvor::hearing
