#pragma once
// The normal values each ear's results are compared with. Without a hearing level profile both ears use
// the built-in normal curve; with one, each ear uses the profile's reference thresholds where the profile
// has them (those positions are "calibrated") and the built-in value elsewhere. Charts, report, printout
// and exports all read this one record, so they cannot disagree about which reference was used.
#include <array>
#include <optional>
#include <string>

#include "core/hearing/ear_result.h"

namespace kelvor::hearing {

struct EarNormals {
    TEarResult norm;                                         // one entry per frequency index, as norm_values
    std::array<bool, freq_index_count + 1> calibrated{};     // the entry is the profile's reference
};

struct NormalsInUse {
    std::string profile_name; // empty: no profile chosen, both ears use the built-in normal values
    EarNormals left;
    EarNormals right;

    bool profile_chosen() const { return !profile_name.empty(); }
};

// The hearing level in dB HL of one measured entry: its level minus the ear's reference there. Only where a
// profile is chosen, the entry holds a result and the position is calibrated.
inline std::optional<double> hearing_level(const NormalsInUse& normals, const EarNormals& ear,
                                           const TEarResult& results, std::size_t index) {
    if (!normals.profile_chosen() || index >= results.entries.size()) return std::nullopt;
    if (results.entries[index].flag != 1 || !ear.calibrated[index]) return std::nullopt;
    return results.entries[index].level - ear.norm.entries[index].level;
}

} // namespace kelvor::hearing
