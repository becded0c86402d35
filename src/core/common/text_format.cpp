#include "core/common/text_format.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace kelvor {

std::string number_text(double value, int width) {
    // Cut toward zero; values beyond the 64-bit range (only ever from damaged input) saturate rather than
    // invoking undefined behaviour.
    double cut = std::trunc(value);
    long long whole = 0;
    if (std::isnan(cut))
        whole = 0;
    else if (cut >= 9.2e18)
        whole = std::numeric_limits<long long>::max();
    else if (cut <= -9.2e18)
        whole = std::numeric_limits<long long>::min();
    else
        whole = static_cast<long long>(cut);
    std::string digits = std::to_string(whole);
    if (static_cast<int>(digits.size()) < width) digits.insert(0, width - digits.size(), ' ');
    return digits;
}

std::string port_value_text(std::uint16_t port, std::uint8_t value) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "$%04X : %s%u", static_cast<unsigned>(port), value < 10 ? "  " : "",
                  static_cast<unsigned>(value));
    return buf;
}

double round_half_even(double value) {
    return std::nearbyint(value);
}

} // namespace kelvor
