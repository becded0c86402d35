#pragma once
// The printed report: both audiogram charts and a table of normal values, measured values and
// deviations, in printer device units made for 300 dots per inch (the layout then fills an A4 or Letter
// page). With "extended" or "fine" ticked the table goes into a second print job of its own.
#include <cstdint>
#include <string>

#include "core/hearing/test_state.h"
#include "core/host/print_job.h"
#include "core/results/text_report.h"

namespace kelvor::results {

constexpr const char* print_title = "Kelvor";
constexpr const char* footer_note = "Die Messwerte sind nicht genormt !";

// A chart's picture: its surface and the chart's area at the surface's top-left corner.
struct ChartPicture {
    const host::PrintPicture* picture = nullptr; // null while the chart was never drawn
    int width = 0;
    int height = 0;
};

struct ReportPage {
    std::string site;               // the maker's web site, in the header
    std::string test_name;          // the person tested, in the footer
    std::string date;               // today, in the locale's short form
    bool table_on_own_page = false; // "extended" or "fine" ticked
    bool german = false;            // the hearing level page's own texts (its number and audiogram)
    ChartPicture left;
    ChartPicture right;
};

// Where a picture of w x h lands in `box`: as large as fits without distorting it, at the box's
// top-left corner.
host::PrintRect fit_into(const host::PrintRect& box, int w, int h);

// Fills delta_li and delta_re (without frequencies), prints, and returns the two offsets in `offsets`.
// Returns an empty text when everything went to the printer, otherwise the printing service's message;
// nothing further is printed after a failure.
std::string print_report(hearing::TestState& state, const ReportPage& page, host::PrintJob& job,
                         ReportOffsets& offsets);

} // namespace kelvor::results
