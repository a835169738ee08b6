#pragma once

#include "cycle/Columns.h"
#include "cycle/TickedTable.h"

#include <cstdint>
#include <span>
#include <vector>

namespace ondulix::cycle {

// Columns that see the same frame classes, only shifted. Column k's classes at frame class m are
// column (k mod period)'s at m + (k div period) * shift (mod M), M being the modulus the tables'
// classes are taken with: moving right by `period` columns moves every table by the same number
// of frames. With pairwise coprime periods (M = 1) or equal speeds one column stands for all.
struct ColumnClasses {
    std::int32_t period = 1; // the columns 0 .. period - 1 stand for all
    std::uint64_t shift = 0;

    std::int32_t representative(std::int32_t column) const { return column % period; }
    std::uint64_t shiftOf(std::int32_t column, std::uint64_t sharedModulus) const {
        return static_cast<std::uint64_t>(column / period) % sharedModulus * shift % sharedModulus;
    }
};

ColumnClasses ColumnClassesOf(std::span<const TickedTable> tables, Columns columns);

} // namespace ondulix::cycle
