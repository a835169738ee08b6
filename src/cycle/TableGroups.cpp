#include "cycle/TableGroups.h"

#include "cycle/CycleMath.h"

#include <numeric>

namespace ondulix::cycle {
namespace {

TableGroups groupsOf(const std::vector<Motion>& ticked, std::array<std::vector<std::size_t>, 2> members) {
    TableGroups groups;
    groups.members = std::move(members);
    std::array<std::uint64_t, 2> periods{1, 1};
    for (std::size_t g = 0; g < 2; ++g)
        for (const std::size_t t : groups.members[g])
            periods[g] = lcmOf(periods[g], static_cast<std::uint64_t>(ticked[t].period));
    groups.rootModulus = std::gcd(periods[0], periods[1]);
    for (std::size_t g = 0; g < 2; ++g) {
        const std::vector<std::size_t>& m = groups.members[g];
        const std::uint64_t shared =
            m.size() == 2 ? std::gcd(static_cast<std::uint64_t>(ticked[m[0]].period),
                                     static_cast<std::uint64_t>(ticked[m[1]].period))
                          : 1;
        groups.groupModulus[g] = lcmOf(groups.rootModulus, shared);
    }
    return groups;
}

// The ways to put n tables into two groups of at most two, each way once: for three or four
// tables, each pair that can form the first group (with table 0 in it when there are four, as the
// rest form the second); for fewer, one table per group.
std::vector<std::array<std::vector<std::size_t>, 2>> partitions(std::size_t n) {
    using Members = std::array<std::vector<std::size_t>, 2>;
    std::vector<Members> all;
    if (n < 3) {
        Members one;
        for (std::size_t t = 0; t < n; ++t)
            one[t].push_back(t);
        all.push_back(one);
        return all;
    }
    for (std::size_t a = 0; a < n; ++a)
        for (std::size_t b = a + 1; b < n; ++b) {
            if (n == 4 && a != 0)
                continue;
            Members m;
            for (std::size_t t = 0; t < n; ++t)
                m[t == a || t == b ? 0 : 1].push_back(t);
            all.push_back(m);
        }
    return all;
}

} // namespace

std::vector<TableGroups> AllSplits(const std::vector<Motion>& ticked) {
    std::vector<TableGroups> splits;
    for (const auto& members : partitions(ticked.size()))
        splits.push_back(groupsOf(ticked, members));
    return splits;
}

} // namespace ondulix::cycle
