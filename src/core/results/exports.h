#pragma once
// The results in forms other programs read: a spreadsheet's CSV and an HL7 FHIR R4 audiogram (a Bundle
// of Observations coded with LOINC). Both hold one entry per ear and frequency with a result, beside the
// normal value it is compared with; while a hearing level profile is chosen, its hearing level in dB HL.
#include <optional>
#include <string>

#include "core/hearing/normals_in_use.h"
#include "core/hearing/test_state.h"

namespace kelvor::results {

constexpr const char* csv_file_name = "Kelvor.csv";
constexpr const char* fhir_file_name = "Kelvor.fhir.json";

// LOINC's code for the air-conduction threshold of one ear at one frequency; null where LOINC has none.
const char* audiogram_loinc_code(bool left_ear, int freq_hz);

// Both ears against the built-in normal values, as when no profile is chosen.
hearing::NormalsInUse builtin_normals(const hearing::TEarResult& norm_values);

// "ear,frequency_hz,level_db,normal_db,hearing_level_db_hl,profile" and a row per result, left ear
// first, by rising frequency; lines end with CR LF, fields quoted where RFC 4180 asks for it.
std::string results_csv(const hearing::TestState& state, const hearing::NormalsInUse& normals);

struct FhirExport {
    std::string test_name; // the subject's display name; none when empty
    std::string when;      // the export's date and time, ISO 8601 with offset
};

// The FHIR R4 Bundle (type "collection") as JSON text: the panel Observation first, then its members.
std::string fhir_bundle(const hearing::TestState& state, const hearing::NormalsInUse& normals,
                        const FhirExport& export_info);

} // namespace kelvor::results
