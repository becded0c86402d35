#include "core/results/exports.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "core/common/text_format.h"
#include "core/results/hearing_number.h"
#include "core/results/room_report.h"

namespace kelvor::results {

namespace {

// Members in the order written: "resourceType" first, as FHIR's own examples have it.
using json = nlohmann::ordered_json;

// LOINC codes of the pure-tone air-conduction thresholds, per frequency for the left and the right ear,
// as HL7's functional-evaluation value sets list them. None exist for 125 Hz, the frequencies between
// these, or above 8000 Hz. A correction is one line here.
struct AudiogramCode {
    int freq_hz;
    const char* left;
    const char* right;
};
constexpr std::array<AudiogramCode, 11> audiogram_codes{{
    {250, "91375-6", "91374-9"},
    {500, "89024-4", "89025-1"},
    {750, "91379-8", "91378-0"},
    {1000, "89016-0", "89017-8"},
    {1500, "91373-1", "91372-3"},
    {2000, "89018-6", "89019-4"},
    {3000, "89020-2", "89021-0"},
    {4000, "89022-8", "89023-6"},
    {5000, "91377-2", "91376-4"},
    {6000, "89026-9", "89027-7"},
    {8000, "89028-5", "89029-3"},
}};

constexpr const char* loinc_system = "http://loinc.org";
constexpr const char* panel_code = "89015-2";
constexpr const char* panel_display = "Pure tone (air conduction) threshold audiometry panel";
constexpr const char* snomed_system = "http://snomed.info/sct";
constexpr const char* ucum_system = "http://unitsofmeasure.org";
constexpr const char* category_system = "http://terminology.hl7.org/CodeSystem/observation-category";

struct Ear {
    bool left;
    const char* csv_name;
    const char* snomed_code; // the ear's body structure
    const char* snomed_display;
};
constexpr Ear ear_left{true, "left", "25577004", "Left ear structure"};
constexpr Ear ear_right{false, "right", "85119005", "Right ear structure"};

// One ear's results and the normal values they are compared with.
struct EarRecords {
    const Ear& ear;
    const hearing::TEarResult& results;
    const hearing::EarNormals& normals;
};
std::array<EarRecords, 2> ears_of(const hearing::TestState& state, const hearing::NormalsInUse& normals) {
    return {{{ear_left, state.results_li, normals.left}, {ear_right, state.results_re, normals.right}}};
}

// The levels are the test tone's attenuation steps as set on this machine: nothing ties them to the
// threshold of a normal-hearing listener unless a profile measured on these headphones does.
constexpr const char* not_hearing_levels =
    "Not hearing levels: the values are this program's test tone levels in dB, not calibrated to "
    "hearing level (no hearing level profile was chosen). Compare them only with the normal values of "
    "the same program and headphones.";
constexpr const char* not_calibrated_here =
    "Not a hearing level: the chosen hearing level profile has no reference threshold at this ear and "
    "frequency, so the value is this program's test tone level in dB, not a hearing level.";
// The hearing number's rows in the CSV, and its Observations: LOINC has no code we could find for a
// pure-tone average, so the code is text only.
constexpr const char* csv_number_name = "average_500_1000_2000_4000";
constexpr const char* csv_grade_name = "who_2021_grade";
constexpr const char* number_code_text =
    "Pure tone average (500, 1000, 2000 and 4000 Hz), air conduction, hearing level";
constexpr const char* method_text = "Pure-tone threshold, ascending in 2 dB steps, headphones (Kelvor)";

json number(double value) {
    if (value == std::trunc(value) && std::abs(value) < 1e15) return std::llround(value);
    return value;
}

// The level as the results file keeps it: its integer part.
double saved_level(const hearing::TEarEntry& entry) {
    return std::trunc(entry.level);
}

std::string csv_field(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char ch : text) {
        if (ch == '"') quoted += '"';
        quoted += ch;
    }
    return quoted + '"';
}

// Every position of one ear that holds a result, by rising frequency.
template <class F> void for_each_result(const hearing::TEarResult& record, F&& f) {
    for (std::size_t index = 1; index <= hearing::freq_index_count; ++index)
        if (record.entries[index].flag == 1) f(index, record.entries[index]);
}

// Bundle-local identifiers: the same export gives the same ones, another export (another moment or
// person) others. Shaped as a UUID of version 8 (made by its own rule), as urn:uuid needs.
std::string local_uuid(const std::string& seed) {
    auto fnv = [&seed](std::uint64_t h) {
        for (const char ch : seed) {
            h ^= static_cast<unsigned char>(ch);
            h *= 0x100000001b3ull;
        }
        return h;
    };
    std::uint64_t hi = fnv(0xcbf29ce484222325ull);
    std::uint64_t lo = fnv(0x84222325cbf29ce4ull);
    hi = (hi & ~0xf000ull) | 0x8000ull;             // version 8
    lo = (lo & ~(0xc0ull << 56)) | (0x80ull << 56); // RFC variant
    char text[48];
    std::snprintf(text, sizeof text, "urn:uuid:%08x-%04x-%04x-%04x-%012llx", static_cast<unsigned>(hi >> 32),
                  static_cast<unsigned>((hi >> 16) & 0xffff), static_cast<unsigned>(hi & 0xffff),
                  static_cast<unsigned>(lo >> 48), static_cast<unsigned long long>(lo & 0xffffffffffffull));
    return text;
}

json exam_category() {
    return json::array(
        {{{"coding", json::array({{{"system", category_system}, {"code", "exam"}, {"display", "Exam"}}})}}});
}

json db_quantity(double value, const char* unit) {
    return {{"value", number(value)}, {"unit", unit}, {"system", ucum_system}, {"code", "dB"}};
}

json body_site(const Ear& ear) {
    return {{"coding",
             json::array(
                 {{{"system", snomed_system}, {"code", ear.snomed_code}, {"display", ear.snomed_display}}})},
            {"text", ear.left ? "Left ear" : "Right ear"}};
}

// The room watch's finding at one threshold, while the watch ran in this test.
const hearing::RoomAtThreshold* room_at(const hearing::TestState& state, const Ear& ear, std::size_t index) {
    return state.room ? &state.room->ear(ear.left)[index] : nullptr;
}

json member_observation(const Ear& ear, const hearing::TEarEntry& entry, std::optional<double> hl,
                        const hearing::NormalsInUse& normals, const FhirExport& info, const json& subject,
                        const hearing::TestState& state, std::size_t index) {
    const int freq = static_cast<int>(entry.freq);
    const std::string what = std::string("Pure tone air conduction threshold, ") +
                             (ear.left ? "left" : "right") + " ear, " + std::to_string(freq) + " Hz";
    json code = {{"text", what}};
    if (const char* loinc = audiogram_loinc_code(ear.left, freq))
        code["coding"] = json::array({{{"system", loinc_system}, {"code", loinc}}});

    json o = {
        {"resourceType", "Observation"}, {"status", "final"}, {"category", exam_category()}, {"code", code}};
    if (!subject.is_null()) o["subject"] = subject;
    o["effectiveDateTime"] = info.when;
    if (hl) {
        o["valueQuantity"] = db_quantity(*hl, "dB HL");
        o["method"] = {{"text", std::string(method_text) +
                                    "; hearing level against the reference thresholds "
                                    "of the profile \"" +
                                    normals.profile_name + "\""}};
    } else {
        o["valueQuantity"] = db_quantity(saved_level(entry), "dB");
        const char* why = normals.profile_chosen() ? not_calibrated_here : not_hearing_levels;
        o["method"] = {{"text", std::string(method_text) + ". " + why}};
        o["note"] = json::array({{{"text", why}}});
    }
    o["bodySite"] = body_site(ear);
    o["component"] = json::array(
        {{{"code", {{"text", "Frequency"}}},
          {"valueQuantity", {{"value", freq}, {"unit", "Hz"}, {"system", ucum_system}, {"code", "Hz"}}}}});
    if (const hearing::RoomAtThreshold* at = room_at(state, ear, index); at && at->measured) {
        o["component"].push_back(
            {{"code", {{"text", "Room noise in the test band over its baseline"}}},
             {"valueQuantity", db_quantity(round_half_even(at->over_db * 10) / 10, "dB")}});
        if (state.room->noisy(*at)) {
            if (!o.contains("note")) o["note"] = json::array();
            o["note"].push_back({{"text", "Noisy: the room was louder than its limit during this threshold's "
                                          "ascent; the threshold may lie too high."}});
        }
    }
    return o;
}

json number_observation(const Ear& ear, const EarNumber& number, const HearingNumber& both,
                        const hearing::NormalsInUse& normals, const FhirExport& info, const json& subject) {
    json o = {
        {"resourceType", "Observation"},
        {"status", "final"},
        {"category", exam_category()},
        {"code", {{"text", std::string(number_code_text) + ", " + (ear.left ? "left" : "right") + " ear"}}}};
    if (!subject.is_null()) o["subject"] = subject;
    o["effectiveDateTime"] = info.when;
    json quantity = db_quantity(number.db_hl, "dB HL");
    // A frequency not reached only bounds the average from below.
    if (number.more_than()) quantity["comparator"] = ">";
    o["valueQuantity"] = quantity;
    o["method"] = {{"text", std::string(method_text) +
                                "; the average of the hearing levels against the reference "
                                "thresholds of the profile \"" +
                                normals.profile_name + "\", rounded to whole dB"}};
    if (both.grade)
        o["note"] =
            json::array({{{"text", "Grade of the better ear (WHO 2021): " + grade_text(both, false)}}});
    o["bodySite"] = body_site(ear);
    return o;
}

} // namespace

const char* audiogram_loinc_code(bool left_ear, int freq_hz) {
    for (const AudiogramCode& c : audiogram_codes)
        if (c.freq_hz == freq_hz) return left_ear ? c.left : c.right;
    return nullptr;
}

hearing::NormalsInUse builtin_normals(const hearing::TEarResult& norm_values) {
    hearing::NormalsInUse normals;
    normals.left.norm = norm_values;
    normals.right.norm = norm_values;
    return normals;
}

// The confirmed threshold's verdict on an ear, in English as the report has it; nothing without one.
std::string verdict_of(const hearing::TestState& state, const Ear& ear) {
    const auto& r = ear.left ? state.reliability_li : state.reliability_re;
    return r ? hearing::verdict_text(*r, ear.left, false) : std::string();
}

std::string results_csv(const hearing::TestState& state, const hearing::NormalsInUse& normals) {
    // Only a run with the confirmed threshold has the column of its verdicts.
    const bool verdicts = state.reliability_li || state.reliability_re;
    std::string csv = "ear,frequency_hz,level_db,normal_db,hearing_level_db_hl,profile";
    if (verdicts) csv += ",reliability";
    // Only a run with the room watch has its two columns.
    const bool room = state.room.has_value();
    csv += room ? ",room_over_db,room\r\n" : "\r\n";
    for (const EarRecords& e : ears_of(state, normals)) {
        for_each_result(e.results, [&](std::size_t index, const hearing::TEarEntry& entry) {
            const std::optional<double> hl = hearing::hearing_level(normals, e.normals, e.results, index);
            csv += std::string(e.ear.csv_name) + ',' + shortest_text(std::trunc(entry.freq)) + ',' +
                   shortest_text(saved_level(entry)) + ',' +
                   shortest_text(e.normals.norm.entries[index].level) + ',' + (hl ? shortest_text(*hl) : "") +
                   ',' + csv_field(normals.profile_name);
            if (verdicts) csv += ',' + csv_field(verdict_of(state, e.ear));
            if (const hearing::RoomAtThreshold* at = room_at(state, e.ear, index)) {
                csv += ',' + (at->measured ? fixed_text(at->over_db, 1) : std::string());
                csv += state.room->noisy(*at) ? ",noisy" : at->measured ? ",quiet" : ",not watched";
            }
            csv += "\r\n";
        });
    }
    const auto number = hearing_number(state, normals);
    if (!number || !hearing_number_tested(state)) return csv;
    // The hearing number's own rows: the frequency column names the average, the hearing level column
    // holds it (">" before a lower bound, empty without a number), and a last row the grade.
    const std::string profile = csv_field(normals.profile_name);
    for (const EarRecords& e : ears_of(state, normals)) {
        const EarNumber& ear = e.ear.left ? number->left : number->right;
        const std::string value =
            !ear.known() ? "" : (ear.more_than() ? ">" : "") + std::to_string(ear.db_hl);
        csv += std::string(e.ear.csv_name) + "," + csv_number_name + ",,," + value + ',' + profile;
        if (verdicts) csv += ',' + csv_field(verdict_of(state, e.ear));
        csv += room ? ",,\r\n" : "\r\n";
    }
    csv += std::string("better,") + csv_grade_name + ",,," + csv_field(grade_text(*number, false)) + ',' +
           profile;
    if (verdicts) csv += ',';
    csv += room ? ",,\r\n" : "\r\n";
    return csv;
}

std::string fhir_bundle(const hearing::TestState& state, const hearing::NormalsInUse& normals,
                        const FhirExport& info) {
    const std::string seed = info.when + '\n' + info.test_name + '\n';
    const json subject = info.test_name.empty() ? json() : json{{"display", info.test_name}};

    json members = json::array();
    json entries = json::array();
    for (const EarRecords& e : ears_of(state, normals)) {
        for_each_result(e.results, [&](std::size_t index, const hearing::TEarEntry& entry) {
            const std::string url = local_uuid(seed + e.ear.csv_name + std::to_string(index));
            members.push_back({{"reference", url}});
            entries.push_back(
                {{"fullUrl", url},
                 {"resource", member_observation(e.ear, entry,
                                                 hearing::hearing_level(normals, e.normals, e.results, index),
                                                 normals, info, subject, state, index)}});
        });
    }

    const auto number = hearing_number(state, normals);
    if (number && hearing_number_tested(state))
        for (const EarRecords& e : ears_of(state, normals)) {
            const EarNumber& ear = e.ear.left ? number->left : number->right;
            if (!ear.known()) continue;
            const std::string url = local_uuid(seed + e.ear.csv_name + "average");
            members.push_back({{"reference", url}});
            entries.push_back(
                {{"fullUrl", url},
                 {"resource", number_observation(e.ear, ear, *number, normals, info, subject)}});
        }

    json panel = {
        {"resourceType", "Observation"},
        {"status", "final"},
        {"category", exam_category()},
        {"code",
         {{"coding",
           json::array({{{"system", loinc_system}, {"code", panel_code}, {"display", panel_display}}})},
          {"text", panel_display}}}};
    if (!subject.is_null()) panel["subject"] = subject;
    panel["effectiveDateTime"] = info.when;
    panel["method"] = {{"text", method_text}};
    panel["note"] = json::array(
        {{{"text", normals.profile_chosen()
                       ? "Hearing levels in dB HL against the reference thresholds of the profile \"" +
                             normals.profile_name + "\", where it has one; each member says which."
                       : std::string(not_hearing_levels)}}});
    for (const Ear* ear : {&ear_left, &ear_right})
        if (const std::string verdict = verdict_of(state, *ear); !verdict.empty())
            panel["note"].push_back({{"text", verdict}});
    if (state.room) {
        panel["note"].push_back({{"text", room_heading(*state.room)}});
        if (const std::string note = room_not_watched(*state.room); !note.empty())
            panel["note"].push_back({{"text", note}});
    }
    if (!members.empty()) panel["hasMember"] = members;

    const std::string panel_url = local_uuid(seed + "panel");
    entries.insert(entries.begin(), json{{"fullUrl", panel_url}, {"resource", panel}});
    const json bundle = {
        {"resourceType", "Bundle"}, {"type", "collection"}, {"timestamp", info.when}, {"entry", entries}};
    // Names come from a text field and are UTF-8; a broken sequence is replaced rather than thrown at.
    return bundle.dump(2, ' ', false, json::error_handler_t::replace) + '\n';
}

} // namespace kelvor::results
