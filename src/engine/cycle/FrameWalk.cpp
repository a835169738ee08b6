#include "engine/cycle/FrameWalk.h"

namespace ondulix::engine::cycle {
namespace {

// The walk for a fixed number of tables, so that the compiler keeps every table's index in a
// register and unrolls the sum.
template <std::size_t N>
std::optional<Hit> walkFrames(std::span<const TickedTable> tables, Columns columns, int sign, std::int32_t threshold,
                              std::uint64_t cycle) {
    std::array<const std::int32_t*, N> entries{};
    std::array<std::int32_t, N> length{}, step{}, columnStep{}, position{};
    for (std::size_t t = 0; t < N; ++t) {
        entries[t] = tables[t].entries.data();
        length[t] = tables[t].motion.length;
        step[t] = tables[t].motion.step;
        columnStep[t] = columns.step % length[t];
        position[t] = tables[t].motion.start; // the index at x = 0 in this frame
    }
    for (std::uint64_t frame = 0; frame < cycle; ++frame) {
        std::array<std::int32_t, N> index = position;
        for (std::int32_t column = 0; column < columns.count; ++column) {
            std::int32_t sum = 0;
            for (std::size_t t = 0; t < N; ++t) {
                sum += entries[t][index[t]];
                index[t] += columnStep[t];
                index[t] -= index[t] >= length[t] ? length[t] : 0;
            }
            if (sign * sum <= threshold)
                return Hit{frame, column};
        }
        for (std::size_t t = 0; t < N; ++t) {
            position[t] += step[t];
            position[t] -= position[t] >= length[t] ? length[t] : 0;
        }
    }
    return std::nullopt;
}

} // namespace

FrameWalk::FrameWalk(std::span<const TickedTable> tables, Columns columns, int sign, std::int32_t threshold,
                     std::uint64_t cycle)
    : tables_(tables), columns_(columns), sign_(sign), threshold_(threshold), cycle_(cycle) {}

std::optional<Hit> FrameWalk::first() {
    using Walk = std::optional<Hit> (*)(std::span<const TickedTable>, Columns, int, std::int32_t, std::uint64_t);
    constexpr std::array<Walk, kTableCount + 1> walks{walkFrames<0>, walkFrames<1>, walkFrames<2>, walkFrames<3>,
                                                      walkFrames<4>};
    return walks[tables_.size()](tables_, columns_, sign_, threshold_, cycle_);
}

} // namespace ondulix::engine::cycle
