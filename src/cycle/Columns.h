#pragma once

#include <cstdint>

namespace ondulix::cycle {

// The columns a preview frame draws: x = 0, step, 2 step, ..., count of them.
struct Columns {
    std::int32_t count = 0;
    std::int32_t step = 1;

    std::int32_t x(std::int32_t column) const { return column * step; }
};

// A column of a frame where a sum reaches a threshold.
struct Hit {
    std::uint64_t frame = 0;
    std::int32_t column = 0; // its number, not its x
};

} // namespace ondulix::cycle
