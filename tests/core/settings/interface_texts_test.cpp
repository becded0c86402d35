// The texts beyond the language tables: each in both languages, with the same values in each, and the
// values put in where their marks stand.
#include <gtest/gtest.h>

#include <set>

#include "core/settings/interface_texts.h"

namespace kelvor::settings {
namespace {

std::multiset<std::string> marks_in(std::string_view text) {
    std::multiset<std::string> marks;
    for (std::size_t at = text.find('%'); at != std::string_view::npos; at = text.find('%', at + 1))
        if (at + 1 < text.size() && text[at + 1] >= '1' && text[at + 1] <= '9')
            marks.insert(std::string(text.substr(at, 2)));
    return marks;
}

TEST(InterfaceTexts, EachHasBothLanguagesAndTheSameValuesInEach) {
    std::set<std::string> names;
    for (const TextPair& pair : interface_texts) {
        SCOPED_TRACE(pair.name);
        EXPECT_TRUE(names.insert(pair.name).second);
        EXPECT_STRNE(pair.english, "");
        EXPECT_STRNE(pair.german, "");
        EXPECT_EQ(marks_in(pair.english), marks_in(pair.german));
    }
}

// Values in order; a value is taken as it is, marks in it too; a mark without its value stays.
TEST(InterfaceTexts, ValuesGoWhereTheirMarksStand) {
    EXPECT_EQ(text_in(Text::reference_not_written, false, {"/cfg/HD.profile", "disk full"}),
              "The reference run could not be kept: /cfg/HD.profile: disk full");
    EXPECT_EQ(text_in(Text::reference_kept_nothing, true, {"%2"}),
              "Die Referenzmessung ergab keine brauchbare Schwelle: das Profil \"%2\" bleibt unverändert.");
    EXPECT_EQ(text_in(Text::reference_not_heard, false, {}),
              "\nNot heard even at 48 dB, nothing was kept of: %1.");
}

} // namespace
} // namespace kelvor::settings
