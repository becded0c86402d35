#include "core/results/results_file.h"

#include <gtest/gtest.h>

#include "results_rig.h"

namespace kelvor::results {
namespace {

using hearing::TEarEntry;
using hearing::TEarResult;
using testing::ResultsRig;
using namespace std::string_literals;

TEarResult empty(const char* name) {
    TEarResult r;
    hearing::reset_result(r, name);
    return r;
}

TEST(ResultsFile, LinesAreByteExact) {
    const struct {
        const char* tag;
        TEarEntry entry;
        const char* line;
    } rows[] = {
        {tag_left, {1, 1000, 25}, "(; la; 1000; 25; ); "},
        {tag_left, {1, 125, 5}, "(; la;  125;  5; ); "},
        {tag_right, {1, 16000, 40}, "(; ra; 16000; 40; ); "},
        {tag_left, {1, 20000, 30}, "(; la; 20000; 30; ); "},
        {tag_right, {1, 75, 0}, "(; ra;   75;  0; ); "},
        {tag_left, {1, 1000, -5}, "(; la; 1000; -5; ); "},
        {tag_left, {1, 1000, 48.9}, "(; la; 1000; 48; ); "}, // integer part only
    };
    for (const auto& row : rows)
        EXPECT_EQ(results_file_line(row.tag, row.entry), row.line);
}

TEST(ResultsFile, LeftEarFirstEachFromTheTopIndexDownWithCrLf) {
    TEarResult li = empty(hearing::results_li_name), re = empty(hearing::results_re_name);
    EXPECT_EQ(results_file_text(li, re), ""); // nothing measured: an empty file
    hearing::set_result_entry(li, 2, 125, 5);
    hearing::set_result_entry(li, 30, 20000, 30);
    hearing::set_result_entry(re, 10, 1000, 25);
    EXPECT_EQ(results_file_text(li, re),
              "(; la; 20000; 30; ); \r\n(; la;  125;  5; ); \r\n(; ra; 1000; 25; ); \r\n");
}

TEST(ResultsFile, NumberFields) {
    const struct {
        const char* text;
        std::uint16_t value;
    } rows[] = {
        {"1000", 1000}, {"   25", 25}, {" +7", 7},       {"-5", 65531}, {" -5", 65531},
        {"-5 ", 5},     {"-5x", 5},    {"12ab", 12},     {"$10", 16},   {" $fF", 255},
        {"$1G", 1},     {"$", 0},      {"-$5", 0},       {"", 0},       {"   ", 0},
        {"abc", 0},     {"+", 0},      {"65535", 65535}, {"65536", 0},  {"70000", 4464},
        {"-65536", 0},  {"$10000", 0}, {"\t5", 0},       {"1 000", 1},  {"99999999999999999999", 65535},
    };
    for (const auto& row : rows)
        EXPECT_EQ(number_value(row.text), row.value) << '"' << row.text << '"';
    // 10^20 - 1 = 99999999999999999999 = 65535 (mod 65536), checked in the table; one more digit:
    EXPECT_EQ(number_value("100000000000000000000"), 0);
}

TEST(ResultsFile, FieldsComeFromThePartBeforeTheFirstClose) {
    const struct {
        const char* line;
        bool has_fields;
        const char* tag;
        std::uint16_t freq, level;
    } rows[] = {
        {"(; la; 1000; 25; ); ", true, " la", 1000, 25},
        {"(;ra;500;7);", true, "ra", 500, 7},
        {"(; la; 1000", false, "", 0, 0},                    // no ");"
        {"(  la  1000  25 ); ", false, "", 0, 0},            // no ";" before it
        {"(; la); 1000; 25; ); ", true, " la", 0, 0},        // frequency and level are after the first ");"
        {"(; la; 1000; 25; 99; ); ", true, " la", 1000, 25}, // later pieces ignored
        {"(; la; 2000", false, "", 0, 0},
        {"x;y);", true, "y", 0, 0},
        {";;;;);", true, "", 0, 0},
    };
    for (const auto& row : rows) {
        const auto fields = take_fields(row.line);
        ASSERT_EQ(fields.has_value(), row.has_fields) << row.line;
        if (!fields) continue;
        EXPECT_EQ(fields->tag, row.tag) << row.line;
        EXPECT_EQ(fields->freq, row.freq) << row.line;
        EXPECT_EQ(fields->level, row.level) << row.line;
    }
}

TEST(ResultsFile, LinesStoreByTagSubstring) {
    const struct {
        const char* line;
        int li_level, re_level; // -1: nothing stored at 1000 Hz
    } rows[] = {
        {"(; la; 1000; 25; ); ", 25, -1},   {"(; ra; 1000; 25; ); ", -1, 25},
        {"(; lara; 1000; 25; ); ", 25, 25}, {"(; xlay; 1000; 25; ); ", 25, -1},
        {"(; LA; 1000; 25; ); ", -1, -1},                                     // case matters
        {"(; l a; 1000; 25; ); ", -1, -1},  {"(; la; 1000; 60; ); ", 60, -1}, // not held to the level scale
        {"(; la; 1100; 30; ); ", -1, -1},                                     // not on the frequency scale
        {"(; la; 0; 30; ); ", -1, -1},      {"(; la; -1000; 30; ); ", -1, -1},
        {"(; la; $3E8; 9; ); ", 9, -1}, // 1000 written in hexadecimal
        {"(; la; 1000 Hz; 9; ); ", 9, -1},  {"(; la; 1000; 25 ", -1, -1},
    };
    for (const auto& row : rows) {
        TEarResult li = empty(hearing::results_li_name), re = empty(hearing::results_re_name);
        read_results_line(row.line, li, re);
        const TEarEntry& l = li.entries[10];
        const TEarEntry& r = re.entries[10];
        EXPECT_EQ(l.flag == 1 ? int(l.level) : -1, row.li_level) << row.line;
        EXPECT_EQ(r.flag == 1 ? int(r.level) : -1, row.re_level) << row.line;
        if (l.flag == 1) {
            EXPECT_EQ(l.freq, 1000);
        }
    }
}

TEST(ResultsFile, OnlyAWrittenMinusMakesALevelNegative) {
    // "-5" is -5 dB; every other number keeps the unsigned reading, and each level is saved back as read.
    const struct {
        const char* level;
        double stored;
        const char* saved;
    } rows[] = {
        {"-5", -5, "-5"},         {" -5", -5, "-5"},        {"0", 0, " 0"},
        {"48", 48, "48"},         {"45783", 45783, "45783"}, {"65535", 65535, "65535"},
        {"$FFFF", 65535, "65535"}, {"- 5", 0, " 0"},        {"-5x", 5, " 5"},
        {"-5 ", 5, " 5"},         {"-70000", -4464, "-4464"}, {"-65536", 0, " 0"},
    };
    for (const auto& row : rows) {
        TEarResult li = empty(hearing::results_li_name), re = empty(hearing::results_re_name);
        read_results_line(std::string("(; la; 1000; ") + row.level + "; ); ", li, re);
        EXPECT_EQ(li.entries[10].level, row.stored) << row.level;
        EXPECT_EQ(results_file_line(tag_left, li.entries[10]), std::string("(; la; 1000; ") + row.saved + "; ); ")
            << row.level;
    }
}

// ---------------------------------------------------------------- the commands

TEST(ResultsCommands, SaveThenReadGivesBackBothEars) {
    ResultsRig rig;
    rig.measure(rig.state.results_li, 20000, 30);
    rig.measure(rig.state.results_li, 1000, 25);
    rig.measure(rig.state.results_li, 75, 48);
    rig.measure(rig.state.results_re, 16000, 40);
    rig.measure(rig.state.results_re, 125, 5);
    rig.measure(rig.state.results_re, 1000, -5);
    const hearing::TestState before = rig.state;
    rig.r.speichernClick();
    EXPECT_EQ(rig.files.written, (std::vector<std::string>{"Kelvor.txt", "Kelvor.dat"}));
    EXPECT_EQ(
        testing::crlf_lines(rig.dat()),
        (std::vector<std::string>{"(; la; 20000; 30; ); ", "(; la; 1000; 25; ); ", "(; la;   75; 48; ); ",
                                  "(; ra; 16000; 40; ); ", "(; ra; 1000; -5; ); ", "(; ra;  125;  5; ); "}));

    hearing::reset_result(rig.state.results_li, "other");
    rig.measure(rig.state.results_re, 500, 1); // not in the file: gone after reading
    rig.r.lesen1Click();
    for (int i = 0; i <= 30; ++i) {
        for (auto [got, want] : {std::pair{&rig.state.results_li, &before.results_li},
                                 std::pair{&rig.state.results_re, &before.results_re}}) {
            EXPECT_EQ(got->entries[i].flag, want->entries[i].flag) << i;
            EXPECT_EQ(got->entries[i].freq, want->entries[i].freq) << i;
            EXPECT_EQ(got->entries[i].level, want->entries[i].level) << i;
        }
    }
    EXPECT_EQ(rig.state.results_li.name, "MessWerte li");
    EXPECT_EQ(rig.state.results_re.name, "MessWerte re");
    EXPECT_TRUE(rig.dialogs.shown.empty());
}

TEST(ResultsCommands, ReadClearsBothChartsResetsAndDrawsBothCurves) {
    ResultsRig rig;
    rig.c.F_Leiste_re.maximum = 28; // each chart ends where its own track bar does
    rig.dat() = "(; ra; 1000; 25; ); \r\n";
    rig.measure(rig.state.results_li, 500, 10);
    rig.r.lesen1Click();
    EXPECT_EQ(rig.log.take(),
              (std::vector<std::string>{"clear_chart L 22", "clear_chart R 28", "draw_line L MessWerte li",
                                        "draw_line R MessWerte re"}));
    EXPECT_EQ(rig.state.results_li.entries[6].flag, -1); // a file of "ra" lines leaves the left ear empty
    EXPECT_EQ(rig.state.results_re.entries[10].level, 25);
}

TEST(ResultsCommands, EmptyFileAndMalformedLinesGiveNoMessage) {
    const std::string files[] = {
        "",
        "\r\n\r\n",
        "(; la; 1100; 30; ); \r\n(; la; 1000\r\n(  la 1000 25 ); \r\n",
        "(; la; 1000; 25; ); ",                      // no line end after the last line
        "(; la; 500; 1; ); \n(; la; 1000; 2; ); \r", // LF only; a CR at the very end
        "(; la\0; 1000; 3; ); \n\xff\xfe\x01"s,
    };
    for (const std::string& content : files) {
        ResultsRig rig;
        rig.dat() = content;
        rig.r.lesen1Click();
        EXPECT_TRUE(rig.dialogs.shown.empty()) << content;
    }
}

TEST(ResultsCommands, BinaryAndOddLineEndsReadAsFarAsTheyGo) {
    ResultsRig rig;
    rig.dat() = "(; la; 500; 1; ); \n(; la\0; 1000; 3; ); \r\n(; ra; 2000; 4; ); "s;
    rig.r.lesen1Click();
    EXPECT_EQ(rig.state.results_li.entries[6].level, 1);
    EXPECT_EQ(rig.state.results_li.entries[10].level, 3); // the NUL is part of the tag text
    EXPECT_EQ(rig.state.results_re.entries[14].level, 4); // the last line needs no line end
}

TEST(ResultsCommands, UnreadableFileLeavesRecordsAndChartsAlone) {
    for (bool exists : {false, true}) {
        ResultsRig rig;
        if (exists) {
            rig.dat() = "(; la; 1000; 25; ); \r\n";
            rig.files.unreadable.insert("Kelvor.dat"); // a folder, no access, ...
        }
        rig.measure(rig.state.results_li, 500, 10);
        rig.r.lesen1Click();
        EXPECT_EQ(rig.dialogs.shown, (std::vector<std::string>{"Fehler beim Lesen: Kelvor.dat"}));
        EXPECT_TRUE(rig.log.calls.empty());
        EXPECT_EQ(rig.state.results_li.entries[6].level, 10);
    }
}

TEST(ResultsCommands, ReadErrorKeepsWhatWasReadAndNamesTheFailure) {
    ResultsRig rig;
    rig.dat() = "(; la; 1000; 25; ); \r\n(; la; 500; 5; ); \r\n(; la; 250; 7; ); \r\n";
    rig.files.error_after_lines = 2;
    rig.r.lesen1Click();
    EXPECT_EQ(rig.dialogs.shown,
              (std::vector<std::string>{"Fehler beim Lesen: Kelvor.dat: Input/output error"}));
    EXPECT_EQ(rig.state.results_li.entries[10].level, 25);
    EXPECT_EQ(rig.state.results_li.entries[6].level, 5);
    EXPECT_EQ(rig.state.results_li.entries[4].flag, -1);
    EXPECT_TRUE(rig.log.contains("draw_line L MessWerte li"));
}

TEST(ResultsCommands, AFileThatFailsAtOnceLeavesRecordsAndChartsAsTheyWere) {
    ResultsRig rig;
    hearing::set_result_entry(rig.state.results_re, 14, 2000, 15);
    rig.dat() = "(; la; 1000; 25; ); \r\n";
    rig.files.error_after_lines = 0;
    rig.files.read_error = "larger than a results file can be (104857601 bytes)";
    rig.log.take();
    rig.r.lesen1Click();
    EXPECT_EQ(rig.dialogs.shown,
              (std::vector<std::string>{
                  "Fehler beim Lesen: Kelvor.dat: larger than a results file can be (104857601 bytes)"}));
    EXPECT_EQ(rig.state.results_re.entries[14].level, 15);
    EXPECT_EQ(rig.state.results_li.entries[10].flag, -1);
    EXPECT_TRUE(rig.log.calls.empty()); // no chart cleared or drawn
}

TEST(ResultsCommands, SaveFailures) {
    const struct {
        const char* name;
        std::set<std::string> cannot_create;
        std::map<std::string, std::string> fails;
        std::vector<std::string> messages;
        bool dat_written;
    } rows[] = {
        {"report cannot be created: results still saved",
         {"Kelvor.txt"},
         {},
         {"Fehler / Erzeugung: Kelvor.txt"},
         true},
        {"results file cannot be created", {"Kelvor.dat"}, {}, {"Fehler / Erzeugung: Kelvor.dat"}, false},
        {"neither",
         {"Kelvor.txt", "Kelvor.dat"},
         {},
         {"Fehler / Erzeugung: Kelvor.txt", "Fehler / Erzeugung: Kelvor.dat"},
         false},
        {"report broke off: the command ends",
         {},
         {{"Kelvor.txt", "No space left on device"}},
         {"Fehler beim Schreiben: Kelvor.txt: No space left on device"},
         false},
        {"results file broke off",
         {},
         {{"Kelvor.dat", "No space left on device"}},
         {"Fehler beim Schreiben: Kelvor.dat: No space left on device"},
         false},
    };
    for (const auto& row : rows) {
        ResultsRig rig;
        rig.files.cannot_create = row.cannot_create;
        rig.files.write_fails = row.fails;
        rig.measure(rig.state.results_li, 1000, 25);
        rig.r.speichernClick();
        EXPECT_EQ(rig.dialogs.shown, row.messages) << row.name;
        EXPECT_EQ(rig.files.contents.count("Kelvor.dat") > 0, row.dat_written) << row.name;
        EXPECT_EQ(rig.state.results_li.entries[10].level, 25) << row.name;
    }
}

TEST(ResultsCommands, SavingNothingWritesAnEmptyFileThatReadsBackEmpty) {
    ResultsRig rig;
    rig.r.speichern1Click();
    EXPECT_EQ(rig.files.contents.at("Kelvor.dat"), "");
    rig.measure(rig.state.results_re, 1000, 25);
    rig.r.lesen1Click();
    EXPECT_EQ(rig.state.results_re.entries[10].flag, -1);
    EXPECT_EQ(rig.log.count("clear_chart L 22") + rig.log.count("clear_chart R 22"), 2);
}

TEST(ResultsCommands, CommandsAreEnabled) {
    ResultsRig rig;
    hearing::MessungControls& c = rig.c;
    const std::vector<Control*> commands{&c.speichern,
                                         &c.Drucken,
                                         &c.menu.speichern1,
                                         &c.menu.drucken1,
                                         &c.menu.lesen1,
                                         &c.menu.Bildschirmdrucken1,
                                         &c.menu.Bildschirmspeichern1};
    for (Control* control : commands)
        control->enabled = false;
    ResultsCommands again{{rig.state,
                           c,
                           rig.chart,
                           rig.li,
                           rig.re,
                           rig.files,
                           rig.dialogs,
                           rig.printer,
                           rig.calendar,
                           rig.window,
                           {}}};
    for (const Control* control : commands)
        EXPECT_TRUE(control->enabled) << control->name;
}

} // namespace
} // namespace kelvor::results
