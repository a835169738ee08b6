#pragma once

#include "engine/PreviewCycle.h"
#include "cycle/Columns.h"
#include "cycle/Deadline.h"
#include "cycle/TickedTable.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace ondulix::cycle {

// The frames one after the other, as the preview draws them, until a sum (entries signed) is at
// most a threshold or the cycle of the ticked tables is over: the answer whenever sums reach
// the threshold often enough to come early. Each table is laid out along the column step, so
// that the columns of a frame read each table straight through, several columns at a time.
class FrameWalk {
public:
    FrameWalk(std::span<const TickedTable> tables, Columns columns, int sign, std::uint64_t cycle);

    // The first hit in frames from .. to - 1, to at most the cycle, looking at the deadline
    // between pieces of a few milliseconds.
    std::optional<Hit> first(std::int32_t threshold, std::uint64_t from, std::uint64_t to,
                             const Deadline& deadline) const;

    // The same, adding at most about `mostSums` column sums, where a block of frames passed over
    // costs a frame's: the hit, or none before `reached`, the frame the walk stopped at.
    struct Stop {
        std::optional<Hit> hit;
        std::uint64_t reached = 0;
        std::uint64_t sums = 0; // added
    };
    Stop firstWithin(std::int32_t threshold, std::uint64_t from, std::uint64_t to, std::uint64_t mostSums,
                     const Deadline& deadline) const;

    // One table's signed entries in the order the columns read them: lane k holds the entries
    // whose index leaves the remainder k modulo gcd(step, Length), in steps of the column step,
    // followed by as many again as a frame has columns, so that no frame wraps around.
    // blockLows: the same for the lowest entry each index's column reads in a block of frames,
    // of 512 frames and of 64.
    struct Strided {
        std::vector<std::int32_t> values;
        std::array<std::vector<std::int32_t>, 2> blockLows;
        std::vector<std::int32_t> start; // per index, where column 0 of a frame showing it reads
    };

private:
    std::span<const TickedTable> tables_;
    Columns columns_;
    std::uint64_t cycle_;
    std::vector<Strided> strided_;
};

} // namespace ondulix::cycle
