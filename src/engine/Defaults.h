#pragma once

#include "engine/TableSet.h"

#include <array>

namespace ondulix::engine {

// The parameters every start begins from. Origin and Range are derived from the bounds.
struct TableDefaults {
    std::int32_t Length;
    std::int32_t Minimum;
    std::int32_t Maximum;
    std::int32_t Offset;
    std::int32_t Periods;
    std::int32_t Speed;
};

inline constexpr std::array<TableDefaults, kTableCount> kTableDefaults{{
    //  Length  Minimum  Maximum  Offset  Periods  Speed
    {   512,    -128,    128,     0,      1,       1 },
    {   512,    -96,     96,      64,     2,       -3 },
    {   512,    -64,     64,      128,    3,       5 },
    {   512,    -32,     32,      256,    4,       -7 },
}};

// Sets the defaults of all four tables; Origin, Range, the positions and the entries are left as
// they are.
void ApplyDefaults(TableSet& set);

} // namespace ondulix::engine
