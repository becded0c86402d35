#include <algorithm>

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <set>

#include "core/profile/profile.h"
#include "core/results/printed_report.h"
#include "core/results/text_report.h"
#include "results_rig.h"
#include "support/messung_rig.h"

namespace kelvor::results {
namespace {

using testing::crlf_lines;
using testing::FakePrintJob;
using testing::ResultsRig;
using Lines = std::vector<std::string>;
using Texts = std::vector<FakePrintJob::Text>;

std::string saved_report(ResultsRig& rig) {
    rig.r.speichernClick();
    return rig.files.contents.at("Kelvor.txt");
}

TEST(TextReport, EmptyRecordsGiveTheHeaderAndFourEmptyBlocks) {
    ResultsRig rig;
    EXPECT_EQ(crlf_lines(saved_report(rig)),
              (Lines{"Programm: Kelvor 1.40", "", "Messwerte links:", "", "", "Messwerte rechts:", "", "",
                     "Delta li  Offset:  0", "", "", "Delta re  Offset:  0", "", ""}));
}

TEST(TextReport, TwoLeftEntries) {
    ResultsRig rig;
    rig.measure(rig.state.results_li, 500, 20);  // 14 above normal
    rig.measure(rig.state.results_li, 1000, 10); // 10 above normal: offset 12
    EXPECT_EQ(crlf_lines(saved_report(rig)),
              (Lines{"Programm: Kelvor 1.40", "", "Messwerte links:", "", "1000 Hz  10  dB",
                     " 500 Hz  20  dB", "", "Messwerte rechts:", "", "", "Delta li  Offset: -12", "",
                     "1000 Hz   2  dB", " 500 Hz  -2  dB", "", "Delta re  Offset:  0", "", ""}));
    EXPECT_EQ(rig.r.offsets().left, -12);
    EXPECT_EQ(rig.state.delta_li.entries[10].freq, 1000); // the report's deviations carry frequencies
}

TEST(TextReport, OffsetsRoundHalvesToEven) {
    const struct {
        double above_normal_a, above_normal_b;
        const char* title;
    } rows[] = {
        {10, 10, "Delta li  Offset: -10"}, {2, 3, "Delta li  Offset: -2"},   {3, 4, "Delta li  Offset: -4"},
        {-2, -3, "Delta li  Offset:  2"},  {-3, -4, "Delta li  Offset:  4"}, {0, 1, "Delta li  Offset:  0"},
        {1, 2, "Delta li  Offset: -2"},
    };
    for (const auto& row : rows) {
        ResultsRig rig;
        rig.measure(rig.state.results_li, 500, 6 + row.above_normal_a);
        rig.measure(rig.state.results_li, 4000, -8 + row.above_normal_b);
        const Lines lines = crlf_lines(saved_report(rig));
        EXPECT_EQ(lines[10], row.title);
        if (row.above_normal_a == row.above_normal_b) { // every deviation is 0
            EXPECT_EQ(lines[12], "4000 Hz   0  dB");
            EXPECT_EQ(lines[13], " 500 Hz   0  dB");
        }
    }
}

TEST(TextReport, EntriesAboveTheRangeTopAreReported) {
    ResultsRig rig;
    rig.measure(rig.state.results_re, 20000, 30);
    rig.measure(rig.state.results_re, 16000, 70);
    const Lines lines = crlf_lines(saved_report(rig));
    EXPECT_EQ(lines[5], "Messwerte rechts:");
    EXPECT_EQ(lines[7], "20000 Hz  30  dB");
    EXPECT_EQ(lines[8], "16000 Hz  70  dB");
}

// ---------------------------------------------------------------- printed report

const Texts header_and_footer{{150, 50, "www.kelvor.example"},
                              {1400, 50, "Programm: Kelvor 1.40"},
                              {150, 3200, "Testname"},
                              {900, 3200, "Die Messwerte sind nicht genormt !"},
                              {2000, 3200, "24.06.04"}};

Texts concat(Texts a, const Texts& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Left ear at 500 and 1000 Hz, right ear only at 1000 Hz.
void measure_example(ResultsRig& rig) {
    rig.measure(rig.state.results_li, 1000, 10);
    rig.measure(rig.state.results_li, 500, 20);
    rig.measure(rig.state.results_re, 1000, 5);
}

Texts example_table(int y) {
    return {{340, y, "Normwerte"},
            {840, y, "Messwerte links"},
            {1110, y, "Offset: -12"},
            {1490, y, "Messwerte rechts"},
            {1760, y, "Offset: -5"},
            {300, y + 100, "1000 Hz   0  dB"},
            {300, y + 160, " 500 Hz   6  dB"},
            {800, y + 100, "1000 Hz  10  dB"},
            {800, y + 160, " 500 Hz  20  dB"},
            {1150, y + 100, "   2  dB"},
            {1150, y + 160, "  -2  dB"},
            {1450, y + 100, "1000 Hz   5  dB"},
            {1800, y + 100, "   0  dB"}};
}

TEST(PrintedReport, OnePageWithChartsAndATableKeptInLine) {
    ResultsRig rig;
    measure_example(rig);
    const hearing::TestState before = rig.state;
    rig.r.drucken1Click();
    ASSERT_EQ(rig.printer.documents.size(), 1u);
    const FakePrintJob::Document& page = rig.printer.documents[0];
    EXPECT_EQ(page.title, "Kelvor");
    EXPECT_EQ(page.texts, concat(header_and_footer, example_table(2400)));
    ASSERT_EQ(page.pictures.size(), 2u);
    // Each chart's own 240 x 160 area, as large as fits its box without distortion.
    EXPECT_EQ(page.pictures[0].target, (host::PrintRect{450, 300, 1750, 1167}));
    EXPECT_EQ(page.pictures[0].source, (host::PrintRect{0, 0, 240, 160}));
    EXPECT_EQ(page.pictures[0].picture, rig.li.picture());
    EXPECT_EQ(page.pictures[1].target, (host::PrintRect{450, 1400, 1750, 2267}));
    EXPECT_EQ(page.pictures[1].picture, rig.re.picture());
    EXPECT_EQ(rig.printer.ended, 1);
    EXPECT_TRUE(rig.log.calls.empty());                // printed as the charts are
    EXPECT_EQ(rig.state.delta_li.entries[10].freq, 0); // the printout's deviations carry none
    for (int i = 0; i <= 30; ++i) {
        EXPECT_EQ(rig.state.results_li.entries[i].flag, before.results_li.entries[i].flag);
        EXPECT_EQ(rig.state.results_re.entries[i].flag, before.results_re.entries[i].flag);
        EXPECT_EQ(rig.state.norm_values.entries[i].flag, before.norm_values.entries[i].flag);
    }
}

// Each ear's values and deviations stand in their frequency's row, blank where only the other ear was
// measured, wherever in the table that row lies.
TEST(PrintedReport, BlankRowsKeepEveryColumnInLine) {
    using Freqs = std::vector<std::uint16_t>;
    const struct {
        Freqs left, right;
    } rows[] = {{{2000, 500}, {1000, 500}}, {{1000}, {4000, 1000, 250}}, {{4000, 250}, {1000}}};
    for (const auto& row : rows) {
        ResultsRig rig;
        std::set<std::uint16_t, std::greater<>> table(row.left.begin(), row.left.end());
        table.insert(row.right.begin(), row.right.end());
        for (const auto f : row.left)
            rig.measure(rig.state.results_li, f, 20);
        for (const auto f : row.right)
            rig.measure(rig.state.results_re, f, 30);
        rig.r.drucken1Click();
        auto rows_of = [&](const Freqs& freqs) { // the y of each frequency's row, top down
            std::multiset<int> y;
            for (const auto f : freqs)
                y.insert(2500 + 60 * int(std::distance(table.begin(), table.find(f))));
            return y;
        };
        auto printed_at = [&](int x) { // the y of each table line printed in column x
            std::multiset<int> y;
            for (const auto& t : rig.printer.documents.at(0).texts)
                if (t.x == x && t.y > 2400 && t.y < 3200) y.insert(t.y);
            return y;
        };
        EXPECT_EQ(printed_at(300), rows_of(Freqs(table.begin(), table.end())));
        EXPECT_EQ(printed_at(800), rows_of(row.left));
        EXPECT_EQ(printed_at(1150), rows_of(row.left));
        EXPECT_EQ(printed_at(1450), rows_of(row.right));
        EXPECT_EQ(printed_at(1800), rows_of(row.right));
    }
}

TEST(PrintedReport, ExtendedOrFineMoveTheTableToASecondJob) {
    for (int box = 0; box < 2; ++box) {
        ResultsRig rig;
        measure_example(rig);
        (box == 0 ? rig.c.f_fine : rig.c.f_extended).checked = true;
        rig.r.drucken1Click();
        ASSERT_EQ(rig.printer.documents.size(), 2u);
        EXPECT_EQ(rig.printer.ended, 2);
        EXPECT_EQ(rig.printer.documents[0].texts, header_and_footer);
        EXPECT_EQ(rig.printer.documents[0].pictures.size(), 2u);
        EXPECT_EQ(rig.printer.documents[1].texts, concat(header_and_footer, example_table(600)));
        EXPECT_TRUE(rig.printer.documents[1].pictures.empty());
    }
}

TEST(PrintedReport, EmptyRecordsPrintHeadingsOnly) {
    ResultsRig rig;
    rig.c.Testname.lines = {"Erika Muster"};
    rig.r.drucken1Click();
    const Texts& texts = rig.printer.documents.at(0).texts;
    ASSERT_EQ(texts.size(), 10u);
    EXPECT_EQ(texts[2], (FakePrintJob::Text{150, 3200, "Erika Muster"}));
    EXPECT_EQ(texts[7], (FakePrintJob::Text{1110, 2400, "Offset:  0"}));
}

TEST(PrintedReport, EntriesAboveTheRangeTopStayOutOfTheTable) {
    ResultsRig rig;
    rig.measure(rig.state.results_li, 9000, 30);
    rig.measure(rig.state.results_li, 8000, 20);
    rig.r.drucken1Click();
    const Texts& texts = rig.printer.documents.at(0).texts;
    for (const auto& t : texts)
        EXPECT_EQ(t.text.find("9000"), std::string::npos) << t.text;
    // Yet the offset counts every measured entry: (22 + 15) / 2 = 18.5 -> 18.
    EXPECT_EQ(texts[7].text, "Offset: -18");
    EXPECT_EQ(texts[10], (FakePrintJob::Text{300, 2500, "8000 Hz   5  dB"}));

    rig.state.f_max = hearing::f_max_extended;
    rig.printer.documents.clear();
    rig.r.drucken1Click();
    EXPECT_EQ(rig.printer.documents.at(0).texts[10], (FakePrintJob::Text{300, 2500, "9000 Hz   8  dB"}));
}

TEST(PrintedReport, PrinterFailuresEndTheCommandWithItsMessage) {
    const struct {
        int begins;
        bool end_fails;
        bool fine;
        std::size_t documents;
    } rows[] = {{0, false, false, 0}, {1, false, true, 1}, {-1, true, false, 1}, {-1, true, true, 1}};
    for (const auto& row : rows) {
        ResultsRig rig;
        rig.printer.begin_fails_after = row.begins;
        rig.printer.end_fails = row.end_fails;
        rig.printer.error = "No default printer is set up.";
        rig.c.f_fine.checked = row.fine;
        rig.r.drucken1Click();
        EXPECT_EQ(rig.dialogs.shown, (std::vector<std::string>{"No default printer is set up."}));
        EXPECT_EQ(rig.printer.documents.size(), row.documents);
    }
}

TEST(PrintedReport, FitKeepsThePicturesShape) {
    const struct {
        int w, h;
        host::PrintRect out;
    } rows[] = {{480, 320, {450, 300, 1750, 1167}},
                {308, 205, {450, 300, 1750, 1165}},
                {100, 100, {450, 300, 1350, 1200}},
                {624, 416, {450, 300, 1750, 1167}}};
    for (const auto& row : rows)
        EXPECT_EQ(fit_into({450, 300, 1750, 1200}, row.w, row.h), row.out) << row.w << "x" << row.h;
}

// ---------------------------------------------------------------- the print commands

TEST(PrintCommands, DruckenRedrawsAtPrintSizeAndReturnsThroughTheResize) {
    ResultsRig rig;
    measure_example(rig);
    bool hidden = false;
    hearing::Bounds li, re;
    rig.printer.on_begin = [&] {
        hidden = !rig.c.Ohr_li_img.visible && !rig.c.Ohr_re_img.visible;
        li = rig.c.Ohr_li_img.bounds;
        re = rig.c.Ohr_re_img.bounds;
    };
    rig.r.DruckenClick();
    EXPECT_TRUE(hidden);
    EXPECT_EQ(li, (hearing::Bounds{20, 22, 480, 320}));
    EXPECT_EQ(re, (hearing::Bounds{20, 22, 480, 320}));
    EXPECT_EQ(rig.chart.scale, 2.0);
    EXPECT_EQ(rig.log.take(),
              (std::vector<std::string>{"set_chart_size 480x320", "init_Graph_var", "clear_chart L 22",
                                        "clear_chart R 22", "draw_line L MessWerte li",
                                        "draw_line R MessWerte re", "FormResize"}));
    EXPECT_TRUE(rig.c.Ohr_li_img.visible && rig.c.Ohr_re_img.visible);
    EXPECT_EQ(rig.printer.documents.at(0).pictures.at(0).source, (host::PrintRect{0, 0, 480, 320}));
}

TEST(PrintCommands, DruckenRestoresTheWindowAfterAFailure) {
    ResultsRig rig;
    rig.printer.begin_fails_after = 0;
    rig.r.DruckenClick();
    EXPECT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_EQ(rig.log.calls.back(), "FormResize");
    EXPECT_TRUE(rig.c.Ohr_li_img.visible && rig.c.Ohr_re_img.visible);
}

TEST(PrintCommands, ScreenPrintHasItsScreenSizeOnPaper) {
    const struct {
        int dpi_printer, dpi_screen;
        host::PrintRect target;
    } rows[] = {{300, 96, {0, 0, 1947, 1266}}, {600, 96, {0, 0, 3894, 2531}}, {300, 120, {0, 0, 1558, 1012}}};
    for (const auto& row : rows) {
        ResultsRig rig;
        rig.printer.dpi = row.dpi_printer;
        rig.window.image.dots_per_inch = row.dpi_screen;
        rig.r.Bildschirmdrucken1Click();
        ASSERT_EQ(rig.printer.documents.size(), 1u);
        EXPECT_EQ(rig.printer.documents[0].pictures.at(0).target, row.target);
        EXPECT_EQ(rig.printer.documents[0].pictures[0].source, (host::PrintRect{0, 0, 623, 405}));
        EXPECT_EQ(rig.printer.ended, 1);
    }
    ResultsRig rig;
    rig.printer.begin_fails_after = 0;
    rig.r.Bildschirmdrucken1Click();
    EXPECT_EQ(rig.dialogs.shown, (std::vector<std::string>{"printer error"}));
}

TEST(PrintCommands, ScreenSaveWritesScreenBmpAndNamesAFailure) {
    ResultsRig rig;
    rig.r.Bildschirmspeichern1Click();
    EXPECT_EQ(rig.window.saved_names, (std::vector<std::string>{"screen.bmp"}));
    EXPECT_EQ(rig.window.saved_width, 623);
    EXPECT_TRUE(rig.dialogs.shown.empty());
    rig.window.save_result = {host::WriteResult::Status::failed, "No space left on device"};
    rig.r.Bildschirmspeichern1Click();
    rig.window.save_result = {host::WriteResult::Status::cannot_create, "Is a directory"};
    rig.r.Bildschirmspeichern1Click();
    EXPECT_EQ(rig.dialogs.shown,
              (std::vector<std::string>{"Fehler beim Schreiben: screen.bmp: No space left on device",
                                        "Fehler / Erzeugung: screen.bmp"}));
}

// With a profile chosen each ear is compared with its own reference, and the hearing levels get blocks
// of their own in the report and a page of their own in the printout.
TEST(TextReport, ProfileGivesEachEarItsReferenceAndTheHearingLevels) {
    ResultsRig rig;
    profile::Profile p;
    p.name = "HD";
    profile::add_run(p.left[10], 20); // 1000 Hz
    profile::add_run(p.right[10], 16);
    rig.state.normals = profile::normals_for(&p, rig.state.norm_values);
    rig.measure(rig.state.results_li, 1000, 30); // 10 dB HL
    rig.measure(rig.state.results_li, 500, 20);  // no reference: the built-in 6 dB, 14 above
    rig.measure(rig.state.results_re, 1000, 16); // 0 dB HL
    const Lines lines = crlf_lines(saved_report(rig));
    const Lines tail(lines.end() - 13, lines.end());
    EXPECT_EQ(lines[11], "Delta li  Offset: -12");
    EXPECT_EQ(tail, (Lines{"Delta re  Offset:  0", "", "1000 Hz   0  dB", "", "dB HL li  Profil: HD", "",
                           "1000 Hz   10 dB HL", " 500 Hz  not calibrated", "", "dB HL re  Profil: HD", "",
                           "1000 Hz    0 dB HL", ""}));

    rig.r.drucken1Click();
    ASSERT_EQ(rig.printer.documents.size(), 2u);
    const auto& texts = rig.printer.documents[1].texts;
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(),
                            [](const auto& t) { return t.text == "1000 Hz   10 dB HL"; }));
}

} // namespace
} // namespace kelvor::results

namespace kelvor::results {
namespace {

// Over the main window's own logic, as the window wires it: printing returns through its resize handler
// to the screen layout.
TEST(PrintCommands, DruckenReturnsToTheMainWindowsLayout) {
    testing::MessungRig window;
    window.m.FormCreate(800, 550);
    const Bounds li = window.c.Ohr_li_img.bounds, re = window.c.Ohr_re_img.bounds;
    ASSERT_EQ(li.width, 308);
    testing::RecordingImage li_img(0, 0), re_img(0, 0);
    testing::FakePrintJob printer;
    testing::FakeCalendar calendar;
    testing::FakeWindowCapture capture;
    ResultsCommands commands{{window.state, window.c, window.chart, li_img, re_img, window.files,
                              window.dialogs, printer, calendar, capture, [&] { window.m.FormResize(); }}};
    window.log.take();
    commands.DruckenClick();
    EXPECT_EQ(window.c.Ohr_li_img.bounds, li);
    EXPECT_EQ(window.c.Ohr_re_img.bounds, re);
    EXPECT_EQ(window.chart.scale, window.m.layout().Win_scale);
    const auto calls = window.log.take();
    EXPECT_EQ(calls.front(), "set_chart_size 480x320");
    EXPECT_NE(std::find(calls.begin(), calls.end(), "set_chart_size 308x205"), calls.end());
    EXPECT_EQ(printer.ended, 1);
}

} // namespace
} // namespace kelvor::results
