#include "core/hearing/ear_result.h"

#include <gtest/gtest.h>

#include "support/fake_host.h"

namespace kelvor::hearing {
namespace {

using testing::FakePrintJob;
using Texts = std::vector<FakePrintJob::Text>;

TEarResult fresh(const char* name = results_li_name) {
    TEarResult r;
    reset_result(r, "old");
    set_result_entry(r, 5, 375, 9);
    reset_result(r, name);
    return r;
}

bool is_empty(const TEarEntry& e) {
    return e.flag == -1 && e.freq == 0 && e.level == 0;
}

TEST(EarResult, ResetNamesTheRecordAndEmptiesEveryEntry) {
    TEarResult r = fresh("MessWerte re");
    EXPECT_EQ(r.name, "MessWerte re");
    for (const TEarEntry& e : r.entries)
        EXPECT_TRUE(is_empty(e));
}

TEST(EarResult, SetEntryStoresReplacesDeletesAndIgnoresOffScaleIndices) {
    TEarResult r = fresh();
    set_result_entry(r, 10, 1000, 20);
    set_result_entry(r, 10, 1000, 26); // the last recording wins
    set_result_entry(r, 30, 20000, 4);
    set_result_entry(r, 0, 500, 8);
    set_result_entry(r, 31, 500, 8);
    set_result_entry(r, 255, 500, 8);
    EXPECT_EQ(r.entries[10].flag, 1);
    EXPECT_EQ(r.entries[10].level, 26);
    EXPECT_EQ(r.entries[30].freq, 20000);
    EXPECT_TRUE(is_empty(r.entries[0]));

    set_result_entry(r, 10, 0, 33); // a zero frequency deletes, whatever the level
    EXPECT_TRUE(is_empty(r.entries[10]));
}

TEST(PrintResult, WritesFilledEntriesTopDownFromTheRangeTop) {
    struct Case {
        const char* name;
        std::vector<TEarEntry> at; // index = entry.freq's index unless freq is 0 (then index 3)
        std::uint16_t f_max;
        Texts expected;
    };
    const Case cases[] = {
        {"empty", {}, 8000, {}},
        {"one line at offset 0", {{1, 1000, 20}}, 8000, {{100, 200, "1000 Hz  20  dB"}}},
        {"short numbers padded", {{1, 500, 0}}, 8000, {{100, 200, " 500 Hz   0  dB"}}},
        {"above the range top not printed",
         {{1, 9000, 5}, {1, 8000, 48}},
         8000,
         {{100, 200, "8000 Hz  48  dB"}}},
        {"extended range prints 16000",
         {{1, 16000, 5}, {1, 75, 7}},
         16000,
         {{100, 200, "16000 Hz   5  dB"}, {100, 260, "  75 Hz   7  dB"}}},
        {"blank row keeps its line, zero frequency has no frequency part",
         {{1, 2000, 10}, {0, 1000, 3}, {1, 0, -12}},
         8000,
         {{100, 200, "2000 Hz  10  dB"}, {100, 320, "  -12  dB"}}},
    };
    for (const auto& k : cases) {
        TEarResult r = fresh();
        for (const TEarEntry& e : k.at)
            r.entries[e.freq != 0 ? freq_to_index(std::uint16_t(e.freq)) : 3] = e;
        FakePrintJob printer;
        print_result(r, 100, 200, k.f_max, printer);
        EXPECT_EQ(printer.texts, k.expected) << k.name;
    }
}

TEST(RelativeToNorm, EmptySourceGivesZeroAndEmptiesTheDestination) {
    TEarResult norm = fresh(norm_values_name), source = fresh(), dest = fresh("dest");
    for (std::uint8_t i = 0; i <= 30; ++i)
        dest.entries[i] = {1, 1, 1};
    EXPECT_EQ(relative_to_norm(source, dest, true, norm), 0);
    for (int i = 1; i <= 30; ++i)
        EXPECT_TRUE(is_empty(dest.entries[i])) << i;
    EXPECT_EQ(dest.entries[0].flag, 1); // entry 0 and the name are not touched
    EXPECT_EQ(dest.name, "dest");
}

TEST(RelativeToNorm, MeanOffsetRoundsHalvesToEven) {
    struct Case {
        double deviation_a, deviation_b; // source - norm at two frequencies
        std::int8_t returned;
    };
    const Case cases[] = {{2, 3, -2}, {3, 4, -4}, {-2, -3, 2}, {1, 2, -2}, {0, 0, 0}, {10, 11, -10}};
    for (const auto& k : cases) {
        TEarResult norm = fresh(norm_values_name), source = fresh(), dest = fresh();
        set_result_entry(norm, 10, 1000, 10);
        set_result_entry(norm, 14, 2000, 20);
        set_result_entry(source, 10, 1000, 10 + k.deviation_a);
        set_result_entry(source, 14, 2000, 20 + k.deviation_b);
        const std::int8_t result = relative_to_norm(source, dest, false, norm);
        EXPECT_EQ(result, k.returned) << k.deviation_a << "," << k.deviation_b;
        // level = norm - (source - offset), offset = -result
        EXPECT_EQ(dest.entries[10].level, 10 - (10 + k.deviation_a + result));
        EXPECT_EQ(dest.entries[10].freq, 0);
    }
}

TEST(RelativeToNorm, EmptyNormEntriesCountAsZeroAndFrequenciesComeFromTheScale) {
    TEarResult norm = fresh(norm_values_name), source = fresh(), dest = fresh();
    set_result_entry(source, 22, 8000, 30); // no norm value here
    set_result_entry(source, 2, 125, 4);
    set_result_entry(norm, 2, 125, 4);
    EXPECT_EQ(relative_to_norm(source, dest, true, norm), -15);
    EXPECT_EQ(dest.entries[22].flag, 1);
    EXPECT_EQ(dest.entries[22].freq, 8000);
    EXPECT_EQ(dest.entries[22].level, 0 - (30 - 15));
    EXPECT_EQ(dest.entries[2].level, 4 - (4 - 15));
}

} // namespace
} // namespace kelvor::hearing
