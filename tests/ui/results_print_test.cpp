// The file and print commands over the real parts: charts on the window's chart images, files in a
// temporary working folder, print jobs on the test environment's CUPS printer (PDFs read back), the
// locale's date and a widget's image.
#include <QCoreApplication>
#include <QPainter>
#include <QProcess>
#include <gtest/gtest.h>

#include "core/chart/charts.h"
#include "core/chart/curves.h"
#include "core/chart/window_layout.h"
#include "core/results/export_commands.h"
#include "core/results/exports.h"
#include "core/results/results_commands.h"
#include "platform/locale_calendar.h"
#include "platform/pdf_document_job.h"
#include "platform/print_output.h"
#include "platform/printer_job.h"
#include "platform/working_folder.h"
#include "platform/working_folder_files.h"
#include "support/charts_at_start.h"
#include "support/fake_host.h"
#include "ui/chart_image.h"
#include "ui/widget_capture.h"

namespace kelvor::ui {
namespace {

using testing::PdfWord;
using testing::PrintOutput;

constexpr int client_width = 800; // charts of 308 x 205 on the screen
constexpr int client_height = 550;

struct PrintRig {
    PrintRig() {
        chart::build_norm_values(state.norm_values);
        li.follow(&c.Ohr_li_img);
        re.follow(&c.Ohr_re_img);
        charts.use_controls(&frame);
        charts.use_texts(&languages.current());
        testing::lay_out_charts_at_start(layout, charts, c, state, client_width, client_height);
        client.resize(623, 405);
    }
    void resize() { layout.FormResize(client_width, client_height, c, charts, state); }
    void measure_example() {
        hearing::set_result_entry(state.results_li, 10, 1000, 10);
        hearing::set_result_entry(state.results_li, 6, 500, 20);
        hearing::set_result_entry(state.results_re, 10, 1000, 5);
    }
    // The visible part of a chart image.
    QImage screen(const ChartImage& img) const { return img.image().copy(0, 0, img.width(), img.height()); }

    testing::WorkingFolder folder;
    hearing::TestState state;
    hearing::MessungControls c;
    ChartImage li;
    ChartImage re;
    chart::Charts charts{li, re, state};
    chart::MessungFrameControls frame{c};
    settings::Languages languages;
    chart::WindowLayout layout;
    platform::WorkingFolderFiles files;
    testing::FakeDialogs dialogs;
    platform::PrinterJob printer;
    platform::LocaleCalendar calendar;
    QWidget client;
    WidgetCapture capture{files, &client};
    results::ResultsCommands r{
        {state, c, charts, li, re, files, dialogs, printer, calendar, capture, [this] { resize(); }}};
    platform::PdfDocumentJob pdf;
    results::ExportCommands exports{{state, c, r, files, dialogs, pdf, calendar}};
    PrintOutput output;
};

// The words of a printed page in device units: the header's site address is drawn at (150, 50).
struct PageWord {
    int x, y;
    std::string text;
};
std::vector<PageWord> page_words(const QString& pdf) {
    const std::vector<PdfWord> words = PrintOutput::words(pdf);
    std::vector<PageWord> out;
    const auto site = std::find_if(words.begin(), words.end(),
                                   [](const PdfWord& w) { return w.text == "www.kelvor.example"; });
    if (site == words.end()) return out;
    for (const PdfWord& w : words)
        out.push_back({static_cast<int>(std::lround((w.x - site->x) * 300 / 72 + 150)),
                       static_cast<int>(std::lround((w.y - site->y) * 300 / 72 + 50)), w.text});
    return out;
}

// The words printed at about (x, y), joined by single blanks, in reading order.
std::string words_at(const std::vector<PageWord>& words, int x, int y, int width = 250) {
    std::string out;
    for (const PageWord& w : words)
        if (std::abs(w.y - y) <= 8 && w.x >= x - 8 && w.x < x + width)
            out += (out.empty() ? "" : " ") + w.text;
    return out;
}

#define REQUIRE_PRINTER(rig)                                                                                 \
    if (!(rig).output.available()) GTEST_SKIP() << "no test printer: run inside ./test.sh"

TEST(PrintedReportOnPaper, TableOfTheExampleOnOnePage) {
    PrintRig rig;
    REQUIRE_PRINTER(rig);
    rig.measure_example();
    rig.c.Testname.lines = {"Erika Muster"};
    rig.r.drucken1Click();
    ASSERT_TRUE(rig.dialogs.shown.empty()) << rig.dialogs.shown.front();
    const QStringList jobs = rig.output.new_jobs(1);
    ASSERT_EQ(jobs.size(), 1);
    EXPECT_EQ(PrintOutput::pages(jobs[0]), 1);
    const auto words = page_words(jobs[0]);
    ASSERT_FALSE(words.empty());
    EXPECT_EQ(words_at(words, 1400, 50, 600), "Programm: Kelvor 1.40");
    EXPECT_EQ(words_at(words, 150, 3200), "Erika Muster");
    EXPECT_EQ(words_at(words, 900, 3200, 1000), "Die Messwerte sind nicht genormt !");
    EXPECT_EQ(words_at(words, 2000, 3200), rig.calendar.short_date());
    const struct {
        int x, y;
        const char* text;
    } cells[] = {
        {340, 2400, "Normwerte"},
        {840, 2400, "Messwerte links"},
        {1110, 2400, "Offset: -12"},
        {1490, 2400, "Messwerte rechts"},
        {1760, 2400, "Offset: -5"},
        {300, 2500, "1000 Hz 0 dB"},
        {300, 2560, "500 Hz 6 dB"},
        {800, 2500, "1000 Hz 10 dB"},
        {800, 2560, "500 Hz 20 dB"},
        {1150, 2500, "2 dB"},
        {1150, 2560, "-2 dB"},
        {1450, 2500, "1000 Hz 5 dB"},
        {1800, 2500, "0 dB"},
        {1450, 2560, ""},
        {1800, 2560, ""},
    };
    for (const auto& cell : cells)
        EXPECT_EQ(words_at(words, cell.x, cell.y, cell.x == 840 || cell.x == 1490 ? 260 : 290), cell.text)
            << cell.x << "," << cell.y;
    // Right-aligned numbers: " 500" starts one digit in from "1000".
    for (const PageWord& w : words)
        if (w.text == "500" && std::abs(w.y - 2560) < 8) {
            EXPECT_GT(w.x, 300 + 5);
        }
}

TEST(PrintedReportOnPaper, FineGivesTwoJobsWithTheTableOnTheSecond) {
    PrintRig rig;
    REQUIRE_PRINTER(rig);
    rig.measure_example();
    rig.c.f_fine.checked = true;
    rig.r.drucken1Click();
    const QStringList jobs = rig.output.new_jobs(2);
    ASSERT_EQ(jobs.size(), 2);
    const auto first = page_words(jobs[0]);
    const auto second = page_words(jobs[1]);
    EXPECT_EQ(words_at(first, 1400, 50, 600), "Programm: Kelvor 1.40");
    EXPECT_EQ(words_at(first, 340, 2400), "");
    EXPECT_EQ(words_at(second, 340, 600), "Normwerte");
    EXPECT_EQ(words_at(second, 300, 700), "1000 Hz 0 dB");
    EXPECT_EQ(words_at(second, 900, 3200, 1000), "Die Messwerte sind nicht genormt !");
}

TEST(PrintedReportOnPaper, PrintingTwiceGivesTheSameText) {
    PrintRig rig;
    REQUIRE_PRINTER(rig);
    rig.measure_example();
    rig.r.drucken1Click();
    rig.r.drucken1Click();
    const QStringList jobs = rig.output.new_jobs(2);
    ASSERT_EQ(jobs.size(), 2);
    EXPECT_EQ(PrintOutput::run("pdftotext", {"-layout", jobs[0], "-"}),
              PrintOutput::run("pdftotext", {"-layout", jobs[1], "-"}));
}

// At print size each chart fills its box and nothing of earlier drawings shows beside it; the screen
// charts look the same before and after.
TEST(PrintedReportOnPaper, DruckenPrintsTheChartsAtPrintSizeAndLeavesTheScreenAsItWas) {
    PrintRig rig;
    REQUIRE_PRINTER(rig);
    rig.measure_example();
    rig.resize();
    const QImage li_before = rig.screen(rig.li), re_before = rig.screen(rig.re);
    rig.r.DruckenClick();
    ASSERT_TRUE(rig.dialogs.shown.empty());
    EXPECT_EQ(rig.screen(rig.li), li_before);
    EXPECT_EQ(rig.screen(rig.re), re_before);
    EXPECT_EQ(rig.c.Ohr_li_img.bounds.width, 308);
    EXPECT_TRUE(rig.c.Ohr_li_img.visible && rig.c.Ohr_re_img.visible);

    const QStringList jobs = rig.output.new_jobs(1);
    ASSERT_EQ(jobs.size(), 1);
    const QImage page = PrintOutput::page_image(jobs[0], 1, 300);
    ASSERT_FALSE(page.isNull());
    // Device unit (0, 0) on the page: where the site address starts, less its place.
    const auto words = PrintOutput::words(jobs[0]);
    const auto site = std::find_if(words.begin(), words.end(),
                                   [](const PdfWord& w) { return w.text == "www.kelvor.example"; });
    ASSERT_NE(site, words.end());
    const int ox = static_cast<int>(std::lround(site->x * 300 / 72)) - 150;
    const int oy = static_cast<int>(std::lround(site->y * 300 / 72)) - 50;
    if (qEnvironmentVariableIsSet("KELVOR_KEEP_PAGES"))
        page.save(qEnvironmentVariable("KELVOR_KEEP_PAGES") + "/drucken.png");
    for (int top : {300, 1400}) {
        int yellow = 0, grey = 0, total = 0;
        for (int y = top + 5; y < top + 862; y += 3)
            for (int x = 455; x < 1745; x += 3) {
                const QRgb p = page.pixel(ox + x, oy + y);
                ++total;
                yellow += qRed(p) > 240 && qGreen(p) > 240 && qBlue(p) < 130;
                grey += qRed(p) == qGreen(p) && qGreen(p) == qBlue(p) && qRed(p) > 170 && qRed(p) < 210;
            }
        // The plot area (67 % x 60 % of the chart) and the grey margin around it fill the box.
        EXPECT_GT(yellow, total * 30 / 100) << top;
        EXPECT_GT(grey, total * 15 / 100) << top;
        // Below the chart, down to the box's bottom, the paper is blank.
        for (int y = top + 875; y < top + 900; y += 2)
            for (int x = 450; x < 1750; x += 5)
                ASSERT_EQ(page.pixel(ox + x, oy + y), qRgb(255, 255, 255)) << x << "," << y;
    }
}

TEST(ScreenImage, TheWindowAtItsScreenSize) {
    PrintRig rig;
    REQUIRE_PRINTER(rig);
    rig.client.setAutoFillBackground(true);
    QPalette palette = rig.client.palette();
    palette.setColor(QPalette::Window, QColor(0, 0, 255));
    rig.client.setPalette(palette);
    rig.r.Bildschirmdrucken1Click();
    ASSERT_TRUE(rig.dialogs.shown.empty());
    const QStringList jobs = rig.output.new_jobs(1);
    ASSERT_EQ(jobs.size(), 1);
    const QImage page = PrintOutput::page_image(jobs[0], 1, 300);
    if (qEnvironmentVariableIsSet("KELVOR_KEEP_PAGES"))
        page.save(qEnvironmentVariable("KELVOR_KEEP_PAGES") + "/screen.png");
    // The blue area: 623 x 405 screen pixels at the screen's dpi, in printer dots.
    const double scale = 300.0 / rig.client.logicalDpiX();
    int left = page.width(), right = 0, top = page.height(), bottom = 0;
    for (int y = 0; y < page.height(); y += 2)
        for (int x = 0; x < page.width(); x += 2)
            if (const QRgb p = page.pixel(x, y); qRed(p) < 40 && qGreen(p) < 40 && qBlue(p) > 215) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    EXPECT_NEAR(right - left, 623 * scale, 4);
    EXPECT_NEAR(bottom - top, 405 * scale, 4);
}

TEST(ScreenImage, SaveScreenWritesAWindowsBitmap) {
    PrintRig rig;
    rig.client.setAutoFillBackground(true);
    rig.r.Bildschirmspeichern1Click();
    ASSERT_TRUE(rig.dialogs.shown.empty());
    const std::string bmp = testing::file_content("screen.bmp");
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(bmp[28]), 24); // bits per pixel: the screen's true colour
    const QImage back("screen.bmp");
    EXPECT_EQ(back.size(), QSize(623, 405));

    ASSERT_EQ(::unlink("screen.bmp"), 0);
    ASSERT_EQ(::mkdir("screen.bmp", 0755), 0);
    rig.r.Bildschirmspeichern1Click();
    EXPECT_EQ(rig.dialogs.shown, (std::vector<std::string>{"Fehler / Erzeugung: screen.bmp"}));
}

// Without a printer every print command says so at once; the child runs with a CUPS server address where
// no server listens, so Qt finds no default printer.
TEST(PrintingWithoutPrinter, EveryCommandShowsTheMessageAndNothingHangs) {
    if (qEnvironmentVariableIsSet("KELVOR_NO_PRINTER_CHILD")) {
        PrintRig rig;
        rig.measure_example();
        rig.r.drucken1Click();
        rig.r.DruckenClick();
        rig.r.Bildschirmdrucken1Click();
        rig.c.f_fine.checked = true;
        rig.r.drucken1Click();
        rig.exports.PDFspeichern1Click(); // the report without a printer
        EXPECT_EQ(PrintOutput::pages("Kelvor.pdf"), 2);
        const std::string msg = "No default printer is set up: nothing was printed.";
        EXPECT_EQ(rig.dialogs.shown, (std::vector<std::string>(4, msg)));
        EXPECT_EQ(rig.c.Ohr_li_img.bounds.width, 308); // DruckenClick returned to the screen layout
        return;
    }
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KELVOR_NO_PRINTER_CHILD", "1");
    env.insert("CUPS_SERVER", QDir::temp().filePath("kelvor-no-cups-here.sock"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_filter=PrintingWithoutPrinter.EveryCommandShowsTheMessageAndNothingHangs"});
    ASSERT_TRUE(child.waitForFinished(120000)) << "the print commands hung without a printer";
    EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();
}

// "Kelvor.pdf" against what the printer got for "drucken": the same pages, words and places, on A4,
// with "Offset" readable as written.
TEST(ExportFiles, PdfHasThePrintedPages) {
    for (const bool fine : {false, true}) {
        PrintRig rig;
        REQUIRE_PRINTER(rig);
        rig.measure_example();
        rig.c.Testname.lines = {"Erika Muster"};
        rig.c.f_fine.checked = fine;
        rig.r.DruckenClick();
        rig.exports.PDFspeichern1Click();
        ASSERT_TRUE(rig.dialogs.shown.empty()) << rig.dialogs.shown.front();
        const QStringList jobs = rig.output.new_jobs(fine ? 2 : 1);
        ASSERT_EQ(PrintOutput::pages("Kelvor.pdf"), jobs.size());
        for (int page = 1; page <= jobs.size(); ++page) {
            // On the paper, in points: within a device unit (0.24 pt) and the few a word's letters move
            // when they are not kerned.
            const auto printed = PrintOutput::words(jobs[page - 1]);
            const auto exported = PrintOutput::words("Kelvor.pdf", page);
            ASSERT_EQ(exported.size(), printed.size()) << page;
            for (std::size_t i = 0; i < printed.size(); ++i) {
                EXPECT_EQ(exported[i].text, printed[i].text);
                EXPECT_NEAR(exported[i].x, printed[i].x, 0.75) << printed[i].text;
                EXPECT_NEAR(exported[i].y, printed[i].y, 0.25) << printed[i].text;
            }
        }
        EXPECT_NE(PrintOutput::run("pdftotext", {"Kelvor.pdf", "-"}).find("Offset: -12"), std::string::npos);
        EXPECT_NE(PrintOutput::run("pdfinfo", {"Kelvor.pdf"}).find("(A4)"), std::string::npos);
    }
}

// The CSV as Python's csv module reads it, and the FHIR bundle through the FHIR R4 JSON schema (npm's
// validator, which also has to turn down a broken copy).
TEST(ExportFiles, CsvAndFhirAsOtherProgramsReadThem) {
    PrintRig rig;
    rig.measure_example();
    rig.c.Testname.lines = {"Jörg, \"J\" Muster"};
    rig.exports.CSVspeichern1Click();
    rig.exports.FHIRspeichern1Click();
    ASSERT_TRUE(rig.dialogs.shown.empty()) << rig.dialogs.shown.front();
    const std::string rows = PrintOutput::run(
        "python3", {"-c", "import csv, json, sys; print(json.dumps(list(csv.reader(open(sys.argv[1], "
                          "newline='', encoding='utf-8')))))", "Kelvor.csv"});
    EXPECT_EQ(rows, "[[\"ear\", \"frequency_hz\", \"level_db\", \"normal_db\", \"hearing_level_db_hl\", "
                    "\"profile\"], [\"left\", \"500\", \"20\", \"6\", \"\", \"\"], [\"left\", \"1000\", \"10\", "
                    "\"0\", \"\", \"\"], [\"right\", \"1000\", \"5\", \"0\", \"\", \"\"]]\n");

    auto validate = [](const QString& file) {
        QProcess node;
        node.start("node", {KELVOR_TESTS_DIR "/ui/fhir_validate.js", KELVOR_NPM_DIR, file});
        node.waitForFinished(60000);
        return std::pair(node.exitCode(), node.readAll().toStdString());
    };
    const auto [status, errors] = validate("Kelvor.fhir.json");
    EXPECT_EQ(status, 0) << errors;
    hearing::NormalsInUse profile = results::builtin_normals(rig.state.norm_values); // hearing levels
    profile.profile_name = "HD 280";
    profile.left.calibrated.fill(true);
    testing::put_file("profile.json", results::fhir_bundle(rig.state, profile, {"Jörg", "2026-12-09T06:05:00Z"}));
    EXPECT_EQ(validate("profile.json").first, 0) << validate("profile.json").second;
    std::string broken = testing::file_content("Kelvor.fhir.json");
    broken.replace(broken.find("\"final\""), 7, "\"done\"");
    testing::put_file("broken.json", broken);
    EXPECT_EQ(validate("broken.json").first, 1);
}

TEST(ExportFiles, ReadOnlyFolder) {
    PrintRig rig;
    rig.measure_example();
    ::chmod(".", 0555);
    {
        testing::AsOrdinaryUser user;
        rig.exports.PDFspeichern1Click();
        rig.exports.CSVspeichern1Click();
        rig.exports.FHIRspeichern1Click();
    }
    EXPECT_EQ(rig.dialogs.shown, (std::vector<std::string>{"Fehler / Erzeugung: Kelvor.pdf", "Fehler / Erzeugung: Kelvor.csv",
                                                           "Fehler / Erzeugung: Kelvor.fhir.json"}));
    EXPECT_TRUE(QDir(".").entryList(QDir::Files | QDir::Hidden).isEmpty());
}

} // namespace
} // namespace kelvor::ui
