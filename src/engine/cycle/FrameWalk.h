#pragma once

#include "engine/PreviewCycle.h"
#include "engine/cycle/Columns.h"
#include "engine/cycle/TickedTable.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace ondulix::engine::cycle {

// The frames one after the other, as the preview draws them, until a sum (entries signed) is at
// most the threshold or the cycle of the ticked tables is over. A handful of operations per
// column and frame: the answer whenever sums reach the threshold often enough to come early.
class FrameWalk {
public:
    FrameWalk(std::span<const TickedTable> tables, Columns columns, int sign, std::int32_t threshold,
              std::uint64_t cycle);

    std::optional<Hit> first();

private:
    std::span<const TickedTable> tables_;
    Columns columns_;
    int sign_;
    std::int32_t threshold_;
    std::uint64_t cycle_;
};

} // namespace ondulix::engine::cycle
