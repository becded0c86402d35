// The numbers we store, export and log, on a German desktop: Qt sets the C library's locale from the
// desktop's at start, so these run with the C library set to de_DE.UTF-8, whose decimal separator is a comma.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "core/common/text_format.h"
#include "core/profile/profile_file.h"

namespace kelvor {
namespace {

class GermanDesktop : public ::testing::Test {
  protected:
    void SetUp() override {
        // ./test.sh generates the locale (scripts/install-deps test).
        ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr)
            << "the locale de_DE.UTF-8 is not generated";
        char probe[16];
        std::snprintf(probe, sizeof probe, "%.1f", 1.5);
        ASSERT_EQ(std::string(probe), "1,5"); // the fault these tests guard against is really there
    }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(GermanDesktop, NumbersKeepTheDecimalPoint) {
    const struct {
        std::string text, expected;
    } cases[] = {
        {fixed_text(14, 2), "14.00"},
        {fixed_text(2.8284, 2), "2.83"},
        {fixed_text(-3.5, 2), "-3.50"},
        {fixed_text(1523.4061, 3), "1523.406"},
        {shortest_text(12.5), "12.5"},
        {shortest_text(40), "40"},
        {shortest_text(0.1), "0.1"},
        {port_text(0x388), "$0388"},
        {port_value_text(0x220, 6), "$0220 :   6"},
        {port_value_text(0x388, 255), "$0388 : 255"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, c.expected);
}

// A profile written here reads back; one written with commas by the versions that followed the locale
// is read as well, so nobody loses a calibration made on a German desktop.
TEST_F(GermanDesktop, ProfilesReadBackWithPointOrComma) {
    profile::Profile p;
    p.name = "HD";
    p.conditions.output_path = "data stream";
    profile::add_run(p.left[10], 14);
    profile::add_run(p.left[10], 15);
    const std::string text = profile::profile_text(p);
    EXPECT_NE(text.find("left 1000 14.50 2 0.71\n"), std::string::npos) << text;
    for (const char* line : {"left 1000 14.50 2 0.71", "left 1000 14,50 2 0,71"}) {
        const auto read = profile::parse_profile({"output = data stream", line}, "HD", "f");
        ASSERT_TRUE(read.profile) << line << ": " << read.error;
        EXPECT_DOUBLE_EQ(read.profile->left[10].mean, 14.5);
        EXPECT_DOUBLE_EQ(read.profile->left[10].spread, 0.71);
    }
}

} // namespace
} // namespace kelvor
