#include "engine/cycle/FrameWalk.h"

namespace ondulix::engine::cycle {

FrameWalk::FrameWalk(std::span<const TickedTable> tables, Columns columns, int sign, std::int32_t threshold,
                     std::uint64_t cycle)
    : tables_(tables), columns_(columns), sign_(sign), threshold_(threshold), cycle_(cycle) {
    for (std::size_t t = 0; t < tables.size(); ++t)
        columnStep_[t] = columns.step % tables[t].motion.length;
}

std::optional<Hit> FrameWalk::first() {
    std::array<std::int32_t, kTableCount> position{}; // each table's index at x = 0 in this frame
    for (std::size_t t = 0; t < tables_.size(); ++t)
        position[t] = tables_[t].motion.start;
    for (std::uint64_t frame = 0; frame < cycle_; ++frame) {
        std::array<std::int32_t, kTableCount> index = position;
        for (std::int32_t column = 0; column < columns_.count; ++column) {
            std::int32_t sum = 0;
            for (std::size_t t = 0; t < tables_.size(); ++t) {
                sum += tables_[t].entry(index[t]);
                index[t] += columnStep_[t];
                if (index[t] >= tables_[t].motion.length)
                    index[t] -= tables_[t].motion.length;
            }
            if (sign_ * sum <= threshold_)
                return Hit{frame, column};
        }
        for (std::size_t t = 0; t < tables_.size(); ++t) {
            position[t] += tables_[t].motion.step;
            if (position[t] >= tables_[t].motion.length)
                position[t] -= tables_[t].motion.length;
        }
    }
    return std::nullopt;
}

} // namespace ondulix::engine::cycle
