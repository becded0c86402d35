#include "core/common/text_format.h"

#include <charconv>
#include <cmath>
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

std::string fixed_text(double value, int decimals) {
    char buffer[400]; // the longest double in fixed notation, with room for the decimals
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return result.ec == std::errc() ? std::string(buffer, result.ptr) : std::string("0");
}

std::string shortest_text(double value) {
    if (value == std::trunc(value) && std::abs(value) < 1e15) return std::to_string(std::llround(value));
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string port_text(std::uint16_t port) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text = "$0000";
    for (int i = 4; i >= 1; --i, port >>= 4)
        text[i] = digits[port & 0xF];
    return text;
}

std::string port_value_text(std::uint16_t port, std::uint8_t value) {
    return port_text(port) + " : " + (value < 10 ? "  " : "") + std::to_string(value);
}

double round_half_even(double value) {
    return std::nearbyint(value);
}

} // namespace kelvor
