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
        EXPECT_STREQ(text_in(pair.id, false), pair.english);
        EXPECT_STREQ(text_in(pair.id, true), pair.german);
    }
}

TEST(InterfaceTexts, ValuesGoWhereTheirMarksStand) {
    struct Case {
        Text id;
        bool german;
        std::initializer_list<std::string_view> values;
        std::string expected;
    };
    const Case cases[] = {
        {Text::reference_not_written,
         false,
         {"/cfg/HD.profile", "disk full"},
         "The reference run could not be kept: /cfg/HD.profile: disk full"},
        // A value is taken as it is, marks in it too.
        {Text::reference_kept_nothing,
         true,
         {"%2"},
         "Die Referenzmessung ergab keine brauchbare Schwelle: das Profil \"%2\" bleibt unverändert."},
        {Text::levels_heading,
         false,
         {"HD", "n.c.", "not calibrated"},
         "Hearing level profile: HD   (dB HL; n.c. = not calibrated)"},
        // A mark without its value stays.
        {Text::reference_not_heard, false, {}, "\nNot heard even at 48 dB, nothing was kept of: %1."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(text_in(c.id, c.german, c.values), c.expected);
}

} // namespace
} // namespace kelvor::settings
