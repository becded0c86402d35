#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "core/results/export_commands.h"
#include "core/results/exports.h"
#include "results_rig.h"

namespace kelvor::results {
namespace {

using nlohmann::json;

// The pages go to a print recorder; the "file" names how many documents it holds.
struct FakeDocumentJob : host::DocumentJob {
    testing::FakePrintJob pages;
    bool finish_fails = false;
    bool begin_document(const std::string& title) override { return pages.begin_document(title); }
    int resolution_dpi() const override { return pages.resolution_dpi(); }
    void text_out(int x, int y, const std::string& text) override { pages.text_out(x, y, text); }
    void stretch_picture(const host::PrintRect& t, const host::PrintPicture* p, const host::PrintRect& s) override {
        pages.stretch_picture(t, p, s);
    }
    bool end_document() override { return pages.end_document(); }
    std::string error_text() const override { return pages.error_text(); }
    bool finish(std::string& content) override {
        content = std::to_string(pages.documents.size()) + " pages";
        return !finish_fails;
    }
    void discard() override { pages.documents.clear(); }
};

struct ExportRig : testing::ResultsRig {
    ExportRig() {
        measure(state.results_li, 125, 5); // no LOINC code at 125 Hz
        measure(state.results_li, 1000, 25);
        measure(state.results_re, 1000, 40);
        c.Testname.lines = {"Erika Muster"};
    }
    // A profile with references for the left ear only (12.5 dB at 1000 Hz, 30 dB at 125 Hz).
    void choose_profile() {
        normals = builtin_normals(state.norm_values);
        normals.profile_name = "HD 280, \"pro\" Köln";
        normals.left.norm.entries[10].level = 12.5;
        normals.left.norm.entries[2].level = 30;
        normals.left.calibrated[10] = normals.left.calibrated[2] = true;
    }
    hearing::NormalsInUse normals = builtin_normals(state.norm_values);
    FakeDocumentJob pdf;
    ExportCommands exports{{state, c, r, files, dialogs, pdf, calendar, [this] { return normals; }}};
    json fhir() {
        exports.FHIRspeichern1Click();
        return json::parse(files.contents.at("Kelvor.fhir.json"));
    }
};

TEST(Exports, CsvWithAndWithoutProfile) {
    ExportRig rig;
    rig.exports.CSVspeichern1Click();
    EXPECT_EQ(rig.files.contents.at("Kelvor.csv"), "ear,frequency_hz,level_db,normal_db,hearing_level_db_hl,profile\r\n"
                                                   "left,125,5,35,,\r\nleft,1000,25,0,,\r\nright,1000,40,0,,\r\n");
    rig.choose_profile();
    rig.exports.CSVspeichern1Click();
    const std::string name = "\"HD 280, \"\"pro\"\" Köln\"";
    EXPECT_EQ(rig.files.contents.at("Kelvor.csv"), "ear,frequency_hz,level_db,normal_db,hearing_level_db_hl,profile\r\n"
                                                   "left,125,5,30,-25," + name + "\r\nleft,1000,25,12.5,12.5," +
                                                       name + "\r\nright,1000,40,0,," + name + "\r\n");
}

TEST(Exports, FhirPanelAndMembers) {
    ExportRig rig;
    const json bundle = rig.fhir();
    ASSERT_EQ(bundle["entry"].size(), 4u);
    const json& panel = bundle["entry"][0]["resource"];
    EXPECT_EQ(panel["code"]["coding"][0]["code"], "89015-2");
    EXPECT_EQ(panel["category"][0]["coding"][0]["code"], "exam");
    EXPECT_EQ(panel["subject"]["display"], "Erika Muster");
    EXPECT_EQ(panel["effectiveDateTime"], "2004-06-24T10:30:00+02:00");
    const struct {
        const char* loinc; // null: no code, the frequency only as a component
        int freq;
        const char* body_site;
    } members[] = {{nullptr, 125, "25577004"}, {"89016-0", 1000, "25577004"}, {"89017-8", 1000, "85119005"}};
    for (std::size_t i = 0; i < std::size(members); ++i) {
        SCOPED_TRACE(i);
        const json& entry = bundle["entry"][i + 1];
        EXPECT_EQ(panel["hasMember"][i]["reference"], entry["fullUrl"]);
        const json& o = entry["resource"];
        if (members[i].loinc)
            EXPECT_EQ(o["code"]["coding"][0]["code"], members[i].loinc);
        else
            EXPECT_FALSE(o["code"].contains("coding"));
        EXPECT_EQ(o["component"][0]["valueQuantity"]["value"], members[i].freq);
        EXPECT_EQ(o["bodySite"]["coding"][0]["code"], members[i].body_site);
        EXPECT_EQ(o["valueQuantity"]["code"], "dB");
        EXPECT_EQ(o["subject"]["display"], "Erika Muster");
    }
    EXPECT_EQ(bundle["entry"][3]["resource"]["valueQuantity"]["value"], 40);
}

TEST(Exports, FhirSaysWhatTheValuesAre) {
    ExportRig rig;
    const std::string without = json(rig.fhir()).dump();
    EXPECT_EQ(without.find("dB HL"), std::string::npos); // never labelled as hearing levels
    for (const json& entry : json::parse(without)["entry"])
        EXPECT_EQ(entry["resource"]["note"][0]["text"].get<std::string>().rfind("Not hearing levels", 0), 0u);

    rig.choose_profile();
    const json with = rig.fhir();
    const json& left_1000 = with["entry"][2]["resource"];
    EXPECT_EQ(left_1000["valueQuantity"]["value"], 12.5);
    EXPECT_EQ(left_1000["valueQuantity"]["unit"], "dB HL");
    EXPECT_FALSE(left_1000.contains("note"));
    const json& right_1000 = with["entry"][3]["resource"]; // no reference for the right ear
    EXPECT_EQ(right_1000["valueQuantity"]["unit"], "dB");
    EXPECT_EQ(right_1000["note"][0]["text"].get<std::string>().rfind("Not a hearing level", 0), 0u);
}

// "Kelvor.pdf" holds exactly what "drucken" prints, both print jobs of a fine chart in one file.
TEST(Exports, PdfHoldsThePrintedPages) {
    for (const bool fine : {false, true}) {
        ExportRig rig;
        rig.c.f_fine.checked = fine;
        rig.r.DruckenClick();
        rig.exports.PDFspeichern1Click();
        EXPECT_EQ(rig.files.contents.at("Kelvor.pdf"), fine ? "2 pages" : "1 pages");
        ASSERT_EQ(rig.pdf.pages.documents.size(), rig.printer.documents.size());
        for (std::size_t i = 0; i < rig.printer.documents.size(); ++i)
            EXPECT_EQ(rig.pdf.pages.documents[i].texts, rig.printer.documents[i].texts);
        EXPECT_TRUE(rig.dialogs.shown.empty());
    }
}

TEST(Exports, FilesThatCannotBeWritten) {
    const struct {
        void (ExportCommands::*command)();
        const char* file;
    } cases[] = {{&ExportCommands::PDFspeichern1Click, "Kelvor.pdf"},
                 {&ExportCommands::CSVspeichern1Click, "Kelvor.csv"},
                 {&ExportCommands::FHIRspeichern1Click, "Kelvor.fhir.json"}};
    for (const auto& c : cases) {
        ExportRig rig;
        rig.files.cannot_create.insert(c.file);
        (rig.exports.*c.command)();
        EXPECT_EQ(rig.dialogs.shown, std::vector<std::string>{std::string("Fehler / Erzeugung: ") + c.file});
    }
    ExportRig rig;
    rig.pdf.finish_fails = true;
    rig.exports.PDFspeichern1Click();
    EXPECT_EQ(rig.dialogs.shown, std::vector<std::string>{"Fehler / Erzeugung: Kelvor.pdf"});
    EXPECT_EQ(rig.files.written, std::vector<std::string>{});
}

} // namespace
} // namespace kelvor::results
