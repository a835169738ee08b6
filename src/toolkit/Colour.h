#pragma once

#include <cstdint>

namespace ondulix::toolkit {

// A colour as red, green and blue components 0 to 255.
struct Colour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend constexpr bool operator==(Colour, Colour) = default;
};

} // namespace ondulix::toolkit
