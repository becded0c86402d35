#pragma once
// The main window's file and print commands: save (text report, then results file), read the results
// file, print the report with the charts at print size or as they are, print and save an image of the
// window. The window's Qt view calls these handlers; everything they touch is passed in.
#include <functional>

#include "core/chart/canvas.h"
#include "core/hearing/messung_controls.h"
#include "core/hearing/test_seams.h"
#include "core/hearing/test_state.h"
#include "core/host/calendar.h"
#include "core/host/dialogs.h"
#include "core/host/files.h"
#include "core/host/print_job.h"
#include "core/host/profile_store.h"
#include "core/host/window_capture.h"
#include "core/results/text_report.h"

namespace kelvor::results {

constexpr const char* screen_file_name = "screen.bmp";
constexpr const char* msg_cannot_create = "Fehler / Erzeugung: ";
constexpr const char* msg_cannot_read = "Fehler beim Lesen: ";
constexpr const char* msg_write_failed = "Fehler beim Schreiben: ";

// The chart size the report is printed with, and its text scale.
constexpr int print_chart_width = 480;
constexpr int print_chart_height = 320;
constexpr double print_chart_scale = 2.0;

// Shows the message for a failed write of the file `name`; true when it was written.
bool show_write_result(host::Dialogs& dialogs, const host::WriteResult& result, const char* name);

struct ResultsServices {
    hearing::TestState& state;
    hearing::MessungControls& controls; // Testname, f_extended, f_fine, the chart images' bounds
    hearing::ChartControl& chart;
    chart::ImageControl& li_img; // the charts' image controls, whose pictures are printed
    chart::ImageControl& re_img;
    host::Files& files;
    host::Dialogs& dialogs;
    host::PrintJob& printer;
    host::Calendar& calendar;
    host::WindowCapture& window;
    // The main window's resize handler at its current client size: restores the screen layout and
    // redraws both charts.
    std::function<void()> form_resize;
};

class ResultsCommands {
  public:
    // Makes the window's file and print commands available.
    explicit ResultsCommands(const ResultsServices& services);

    void speichernClick(); // also the menu item speichern1
    void speichern1Click() { speichernClick(); }
    void lesen1Click();
    void DruckenClick();
    void drucken1Click();
    void Bildschirmdrucken1Click();
    void Bildschirmspeichern1Click();

    // What "drucken" prints (the charts redrawn at print size), into `job`; false when it failed (the
    // failure has been shown).
    bool print_at_print_size(host::PrintJob& job);

    // Where "Keep every saved test" keeps each save, and the language of its message and of the
    // printout's hearing level page.
    void keep_tests_in(host::ProfileStore& folder, std::function<bool()> german) {
        kept_folder_ = &folder;
        german_ = std::move(german);
    }

    // The offsets of the last report or printout.
    const ReportOffsets& offsets() const { return offsets_; }

  private:
    // False when the command must end here (a message has been shown).
    bool write_text_report();
    bool write_results_file();
    void keep_test();
    bool print_results(host::PrintJob& job);
    bool report_write(const host::WriteResult& result, const char* name) {
        return show_write_result(s_.dialogs, result, name);
    }
    void redraw_both_charts();

    ResultsServices s_;
    ReportOffsets offsets_;
    host::ProfileStore* kept_folder_ = nullptr;
    std::function<bool()> german_;
};

} // namespace kelvor::results
