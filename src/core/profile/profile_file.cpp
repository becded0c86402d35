#include "core/profile/profile_file.h"

#include <cmath>
#include <sstream>

#include "core/common/text_format.h"

namespace kelvor::profile {

namespace {

std::string optional_volume(const std::optional<int>& volume) {
    return volume ? std::to_string(*volume) : "unknown";
}

std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// A whole number, and nothing else, within [low, high].
bool whole_number(const std::string& text, int low, int high, int& out) {
    if (text.empty() || text.size() > 9) return false;
    std::size_t at = 0;
    const bool negative = text[0] == '-';
    if (negative) at = 1;
    if (at >= text.size()) return false;
    long value = 0;
    for (; at < text.size(); ++at) {
        if (text[at] < '0' || text[at] > '9') return false;
        value = value * 10 + (text[at] - '0');
    }
    if (negative) value = -value;
    if (value < low || value > high) return false;
    out = static_cast<int>(value);
    return true;
}

// The decimal point: a comma too, as the versions that followed the desktop's locale wrote on a German
// desktop ("14,25"), so a profile made there is still read.
bool decimal_point(char c) {
    return c == '.' || c == ',';
}

// A decimal number with an optional fraction ("14", "14.25", "-3.5"), within [low, high].
bool decimal_number(const std::string& text, double low, double high, double& out) {
    if (text.empty() || text.size() > 20) return false;
    std::size_t at = text[0] == '-' ? 1 : 0;
    bool digits = false, point = false;
    for (std::size_t i = at; i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9')
            digits = true;
        else if (decimal_point(text[i]) && !point)
            point = true;
        else
            return false;
    }
    if (!digits) return false;
    // Parsed by hand: strtod would follow the locale's decimal separator.
    double value = 0, scale = 1;
    bool after_point = false;
    for (std::size_t i = at; i < text.size(); ++i) {
        if (decimal_point(text[i])) {
            after_point = true;
            continue;
        }
        if (after_point) {
            scale /= 10;
            value += (text[i] - '0') * scale;
        } else {
            value = value * 10 + (text[i] - '0');
        }
    }
    if (at == 1) value = -value;
    if (!(value >= low && value <= high)) return false;
    out = value;
    return true;
}

struct Parser {
    const std::string& file;
    Profile profile;
    std::string error;
    std::vector<std::string> seen_keys;

    bool fail(std::size_t line_no, const std::string& what) {
        error = file + ", line " + std::to_string(line_no) + ": " + what;
        return false;
    }

    bool setting(std::size_t n, const std::string& key, const std::string& value) {
        for (const auto& k : seen_keys)
            if (k == key) return fail(n, "\"" + key + "\" is given twice");
        seen_keys.push_back(key);
        Conditions& c = profile.conditions;
        if (key == "output") {
            if (value != "data stream" && value != "OPL2" && value != "PC speaker")
                return fail(n, "output must be \"data stream\", \"OPL2\" or \"PC speaker\", not \"" + value +
                                   "\"");
            c.output_path = value;
        } else if (key == "cal_volume") {
            if (!whole_number(value, 2, 100, c.cal_volume))
                return fail(n, "cal_volume must be a whole number from 2 to 100");
        } else if (key == "sink") {
            c.sink = value == "unknown" ? std::string() : value;
        } else if (key == "sink_volume" || key == "stream_volume") {
            std::optional<int>& volume = key == "sink_volume" ? c.sink_volume : c.stream_volume;
            int v = 0;
            if (value == "unknown")
                volume.reset();
            else if (whole_number(value, 0, 1000, v))
                volume = v;
            else
                return fail(n, key + " must be a whole number of percent or \"unknown\"");
        } else if (key == "ear_routing") {
            if (value != "on" && value != "off") return fail(n, "ear_routing must be \"on\" or \"off\"");
            c.ear_routing = value == "on";
        } else if (key == "confirm_thresholds") {
            if (value != "on" && value != "off")
                return fail(n, "confirm_thresholds must be \"on\" or \"off\"");
            c.confirm_thresholds = value == "on";
        } else if (key == "room") {
            // The broadband level, then one per band, dB of the microphone's full scale.
            std::istringstream in(value);
            std::vector<double> levels;
            for (std::string word; in >> word;) {
                double v = 0;
                if (!decimal_number(word, room::floor_db, 0, v))
                    return fail(n, "room levels must be from -90 to 0 dB");
                levels.push_back(v);
            }
            if (levels.size() != room::band_centres().size() + 1)
                return fail(n, "room must give the broadband level and " +
                                   std::to_string(room::band_centres().size()) + " band levels");
            profile.room = room::Baseline{{levels.begin() + 1, levels.end()}, levels.front()};
        } else if (key == "date") {
            c.date = value;
        } else {
            return fail(n, "unknown setting \"" + key + "\"");
        }
        return true;
    }

    bool reference(std::size_t n, const std::string& line) {
        std::istringstream in(line);
        std::string ear, hz, mean, runs, spread, extra;
        in >> ear >> hz >> mean >> runs >> spread;
        if (spread.empty() || (in >> extra))
            return fail(n, "expected \"left|right <Hz> <mean dB> <runs> <spread dB>\"");
        if (ear != "left" && ear != "right") return fail(n, "the ear must be \"left\" or \"right\"");
        int freq = 0, count = 0;
        if (!whole_number(hz, 1, 65535, freq) ||
            hearing::freq_to_index(static_cast<std::uint16_t>(freq)) == 0)
            return fail(n, "\"" + hz + "\" is not a frequency of the scale");
        Reference r;
        if (!decimal_number(mean, hearing::level_min_db, hearing::level_max_db, r.mean))
            return fail(n, "the mean must be a level from 0 to 48 dB");
        if (!whole_number(runs, 1, 100000, count)) return fail(n, "the number of runs must be 1 or more");
        r.runs = count;
        if (!decimal_number(spread, 0, 100, r.spread)) return fail(n, "the spread must be from 0 to 100 dB");
        Reference& slot =
            profile.ear(ear == "left")[hearing::freq_to_index(static_cast<std::uint16_t>(freq))];
        if (slot.runs != 0) return fail(n, ear + " " + hz + " Hz is given twice");
        slot = r;
        return true;
    }
};

} // namespace

std::string profile_text(const Profile& profile) {
    const Conditions& c = profile.conditions;
    std::string out = "# Kelvor hearing level profile\n";
    out += "output = " + c.output_path + "\n";
    out += "cal_volume = " + std::to_string(c.cal_volume) + "\n";
    out += "sink = " + (c.sink.empty() ? std::string("unknown") : c.sink) + "\n";
    out += "sink_volume = " + optional_volume(c.sink_volume) + "\n";
    out += "stream_volume = " + optional_volume(c.stream_volume) + "\n";
    out += "ear_routing = " + std::string(c.ear_routing ? "on" : "off") + "\n";
    // Profiles made without the confirmed threshold stay as they were.
    if (c.confirm_thresholds) out += "confirm_thresholds = on\n";
    out += "date = " + c.date + "\n";
    // Profiles made without the room watch stay as they were.
    if (profile.room) {
        out += "room = " + fixed_text(profile.room->broadband_db, 1);
        for (const double band : profile.room->band_db)
            out += " " + fixed_text(band, 1);
        out += "\n";
    }
    out += "# ear  Hz  mean dB  runs  spread dB\n";
    for (const bool left_ear : {true, false})
        for (std::uint8_t index = 1; index <= hearing::freq_index_count; ++index) {
            const Reference& r = profile.ear(left_ear)[index];
            if (r.runs <= 0) continue;
            out += std::string(left_ear ? "left " : "right ") +
                   std::to_string(hearing::index_to_freq(index)) + " " + fixed_text(r.mean, 2) + " " +
                   std::to_string(r.runs) + " " + fixed_text(r.spread, 2) + "\n";
        }
    return out;
}

ParseResult parse_profile(const std::vector<std::string>& lines, const std::string& name,
                          const std::string& file) {
    Parser p{file, {}, {}, {}};
    p.profile.name = name;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::size_t n = i + 1;
        const std::string line = trim(lines[i]);
        if (line.empty() || line[0] == '#') continue;
        const auto eq = line.find('=');
        const bool ok = eq != std::string::npos
                            ? p.setting(n, trim(line.substr(0, eq)), trim(line.substr(eq + 1)))
                            : p.reference(n, line);
        if (!ok) return {std::nullopt, p.error};
    }
    if (p.profile.conditions.output_path.empty())
        return {std::nullopt,
                file + ": no \"output\" line: which sound path the profile was made on is unknown"};
    return {std::move(p.profile), {}};
}

} // namespace kelvor::profile
