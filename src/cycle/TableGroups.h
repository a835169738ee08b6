#pragma once

#include "cycle/TickedTable.h"

#include <array>
#include <cstdint>
#include <vector>

namespace ondulix::cycle {

// The ticked tables split into two groups of at most two, and the root modulus R: the common
// factors of the two groups' periods, gcd(lcm of one group, lcm of the other). Frames that agree
// modulo R (a root class) leave the two groups free of each other: frame r + R h shows group g's
// tables at h modulo Q_g, and Q_0 and Q_1 are coprime (Chinese remainder theorem). Factors that
// only the two tables of one group share stay inside the group, where its search and its
// extremes handle them; that is what makes R far smaller than the lcm of all pairwise gcds when
// the periods share large factors in pairs.
struct TableGroups {
    std::uint64_t rootModulus = 1;
    std::array<std::vector<std::size_t>, 2> members; // indexes into the ticked tables
    // Frames modulo this fix every factor a group's tables share with each other or with the
    // other group, so that each table's remaining choices are free: lcm(R, gcd of its periods).
    std::array<std::uint64_t, 2> groupModulus{1, 1};
};

// Every split of the ticked tables into two groups of at most two.
std::vector<TableGroups> AllSplits(const std::vector<Motion>& ticked);

} // namespace ondulix::cycle
