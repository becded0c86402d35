#pragma once
// The room watch's findings as the report, the printout and the exports show them: per threshold how much
// louder than its baseline the room was in that band, "noisy" over the limit, and from where on the room
// was not watched. English, as the report is; nothing at all while the watch did not run.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/hearing/test_state.h"

namespace kelvor::results {

// The heading: what the numbers are compared with, and the limit.
std::string room_heading(const hearing::RoomRecord& room);
// "Room not watched from Left ear 4000 Hz on: <why>"; empty while the watch ran to the end.
std::string room_not_watched(const hearing::RoomRecord& room);
// One threshold's room: "+3.5 dB", "+14.0 dB noisy", or "not watched".
std::string room_value(const hearing::RoomRecord& room, const hearing::RoomAtThreshold& at);
// The report's lines: the heading, then "left  4000 Hz: +3.5 dB" per measured threshold, by ear and
// falling frequency, then the note on where the watch stopped.
std::vector<std::string> room_lines(const hearing::TestState& state);

} // namespace kelvor::results
