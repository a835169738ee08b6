#pragma once

#include <cstdint>

namespace ondulix::toolkit {

struct Colour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend constexpr bool operator==(Colour, Colour) = default;
};

inline constexpr Colour kPlotGreen{0, 255, 0};
inline constexpr Colour kDarkGrey{64, 64, 64};

} // namespace ondulix::toolkit
