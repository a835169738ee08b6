#pragma once

#include "engine/PreviewCycle.h"

#include <array>
#include <cstdint>
#include <optional>

namespace ondulix::engine {

// The smallest and largest sum the preview shows over the whole cycle from its positions: every
// column of every frame the animation reaches. Exact, and at a cost fixed by the lengths and
// speeds alone (bounded in SumRange.cpp): no search, nothing depends on where the extremes lie.
// The verdict needs nothing more, as a sum past an edge exists exactly when an extreme is past it.
struct SumRange {
    std::int32_t smallest = 0;
    std::int32_t largest = 0;

    friend bool operator==(const SumRange&, const SumRange&) = default;
};

// Nothing when the frame draws no column. Throws std::invalid_argument as CheckCycleInput.
std::optional<SumRange> PreviewSumRange(const PreviewCycleInput& input);

// Whether the ticked tables, walking from the input's positions, come to stand at `positions`
// together in some frame: then the cycle from there is the same cycle, with the same range.
bool ComesToPositions(const PreviewCycleInput& input, const std::array<std::int32_t, kTableCount>& positions);

} // namespace ondulix::engine
