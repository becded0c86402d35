#pragma once
// The three export commands of the results menu: the printed report as a PDF file, the results as CSV and
// as a FHIR audiogram. Each writes its file into the working folder, replacing it whole, and says so when
// it cannot, as the other file commands do.
#include <functional>

#include "core/hearing/messung_controls.h"
#include "core/hearing/normals_in_use.h"
#include "core/hearing/test_state.h"
#include "core/host/calendar.h"
#include "core/host/dialogs.h"
#include "core/host/files.h"
#include "core/host/print_job.h"
#include "core/results/results_commands.h"

namespace kelvor::results {

constexpr const char* pdf_file_name = "Kelvor.pdf";

struct ExportServices {
    hearing::TestState& state;
    hearing::MessungControls& controls; // Testname; the three menu items
    ResultsCommands& printing;          // the pages "drucken" prints
    host::Files& files;
    host::Dialogs& dialogs;
    host::DocumentJob& pdf;
    host::Calendar& calendar;
    // The normal values in use; without it (no profiles) both ears use the built-in ones.
    std::function<hearing::NormalsInUse()> normals{};
};

class ExportCommands {
  public:
    explicit ExportCommands(const ExportServices& services);

    void PDFspeichern1Click();
    void CSVspeichern1Click();
    void FHIRspeichern1Click();

  private:
    hearing::NormalsInUse normals() const;

    ExportServices s_;
};

} // namespace kelvor::results
