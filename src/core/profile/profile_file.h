#pragma once
// The text form of a profile, meant to be read and, with care, edited by a person:
//
//   # Kelvor hearing level profile
//   output = data stream
//   cal_volume = 100
//   sink = alsa_output.pci-0000_00_1f.3.analog-stereo
//   sink_volume = 65
//   stream_volume = unknown
//   ear_routing = off
//   date = 09.12.2026
//   # ear  Hz  mean dB  runs  spread dB
//   left 1000 14.0 2 1.41
//
// Blank lines and lines starting with '#' are ignored. The profile's name is its file's name.
#include <optional>
#include <string>
#include <vector>

#include "core/profile/profile.h"

namespace kelvor::profile {

constexpr const char* profile_file_suffix = ".profile";

std::string profile_text(const Profile& profile);

struct ParseResult {
    std::optional<Profile> profile; // none when a line is wrong
    std::string error;              // "<file>, line <n>: <what is wrong>"
};

// `file` names the file in the error text; `name` becomes the profile's name.
ParseResult parse_profile(const std::vector<std::string>& lines, const std::string& name,
                          const std::string& file);

} // namespace kelvor::profile
