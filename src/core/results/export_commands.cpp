#include "core/results/export_commands.h"

#include "core/results/exports.h"

namespace kelvor::results {

ExportCommands::ExportCommands(const ExportServices& services) : s_(services) {
    hearing::MessungMenu& m = s_.controls.menu;
    for (Control* item : {&m.PDFspeichern1, &m.CSVspeichern1, &m.FHIRspeichern1})
        item->enabled = true;
}

hearing::NormalsInUse ExportCommands::normals() const {
    return s_.normals ? s_.normals() : builtin_normals(s_.state.norm_values);
}

void ExportCommands::PDFspeichern1Click() {
    s_.pdf.discard();
    if (!s_.printing.print_at_print_size(s_.pdf)) { // its message has been shown
        s_.pdf.discard();
        return;
    }
    std::string content;
    if (!s_.pdf.finish(content)) {
        s_.dialogs.message_box(std::string(msg_cannot_create) + pdf_file_name);
        return;
    }
    show_write_result(s_.dialogs, s_.files.replace_file(pdf_file_name, content), pdf_file_name);
}

void ExportCommands::CSVspeichern1Click() {
    show_write_result(s_.dialogs, s_.files.replace_file(csv_file_name, results_csv(s_.state, normals())),
                      csv_file_name);
}

void ExportCommands::FHIRspeichern1Click() {
    const hearing::MessungControls& c = s_.controls;
    FhirExport info;
    info.test_name = c.Testname.lines.empty() ? std::string() : c.Testname.lines.front(); // as printed
    info.when = s_.calendar.date_time_iso();
    show_write_result(s_.dialogs, s_.files.replace_file(fhir_file_name, fhir_bundle(s_.state, normals(), info)),
                      fhir_file_name);
}

} // namespace kelvor::results
