#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>

#include "core/chart/curves.h"
#include "core/results/exports.h"

namespace kelvor::results {
namespace {

using nlohmann::json;

struct ExportRig {
    ExportRig() {
        chart::build_norm_values(state.norm_values);
        normals = builtin_normals(state.norm_values);
        hearing::set_result_entry(state.results_li, 2, 125, 5); // no LOINC code at 125 Hz
        hearing::set_result_entry(state.results_li, 10, 1000, 25);
        hearing::set_result_entry(state.results_re, 10, 1000, 40);
    }
    // A profile with references for the left ear only (12.5 dB at 1000 Hz, 30 dB at 125 Hz).
    void choose_profile() {
        normals.profile_name = "HD 280, \"pro\" Köln";
        normals.left.norm.entries[10].level = 12.5;
        normals.left.norm.entries[2].level = 30;
        normals.left.calibrated[10] = normals.left.calibrated[2] = true;
    }
    std::string csv() const { return results_csv(state, normals); }
    json fhir() const {
        return json::parse(fhir_bundle(state, normals, {"Erika Muster", "2004-06-24T10:30:00+02:00"}));
    }
    hearing::TestState state;
    hearing::NormalsInUse normals;
};

TEST(Exports, CsvWithAndWithoutProfile) {
    ExportRig rig;
    EXPECT_EQ(rig.csv(), "ear,frequency_hz,level_db,normal_db,hearing_level_db_hl,profile\r\n"
                         "left,125,5,35,,\r\nleft,1000,25,0,,\r\nright,1000,40,0,,\r\n");
    rig.choose_profile();
    const std::string name = "\"HD 280, \"\"pro\"\" Köln\"";
    EXPECT_EQ(rig.csv(), "ear,frequency_hz,level_db,normal_db,hearing_level_db_hl,profile\r\n"
                         "left,125,5,30,-25," +
                             name + "\r\nleft,1000,25,12.5,12.5," + name + "\r\nright,1000,40,0,," + name +
                             "\r\n");
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
    }
    EXPECT_EQ(bundle["entry"][3]["resource"]["valueQuantity"]["value"], 40);

    // Identifiers: each entry its own, the same again for the same export, others for another moment;
    // shaped as version 8 UUIDs of the RFC variant.
    auto urls = [](const json& b) {
        std::vector<std::string> out;
        for (const json& entry : b["entry"])
            out.push_back(entry["fullUrl"]);
        return out;
    };
    const auto first = urls(bundle);
    EXPECT_EQ(urls(rig.fhir()), first);
    EXPECT_EQ(std::set<std::string>(first.begin(), first.end()).size(), first.size());
    const auto other =
        urls(json::parse(fhir_bundle(rig.state, rig.normals, {"Erika Muster", "2004-06-24T10:31:00+02:00"})));
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_NE(other[i], first[i]);
        EXPECT_TRUE(std::regex_match(
            first[i],
            std::regex("urn:uuid:[0-9a-f]{8}-[0-9a-f]{4}-8[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}")))
            << first[i];
    }
}

TEST(Exports, FhirSaysWhatTheValuesAre) {
    ExportRig rig;
    const json without = rig.fhir();
    EXPECT_EQ(without.dump().find("dB HL"), std::string::npos); // never labelled as hearing levels
    for (const json& entry : without["entry"])
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

} // namespace
} // namespace kelvor::results
