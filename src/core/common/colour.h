#pragma once
#include <cstdint>

namespace kelvor {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

namespace colours {
constexpr Rgb black{0, 0, 0};
constexpr Rgb white{255, 255, 255};
constexpr Rgb blue{0, 0, 255};
constexpr Rgb normal_green{0, 128, 0};
constexpr Rgb plot_yellow{255, 255, 96};
constexpr Rgb margin_grey{192, 192, 192};
} // namespace colours

} // namespace kelvor
