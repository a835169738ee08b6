#include "cycle/TableGroups.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <set>
#include <vector>

namespace ondulix::cycle {
namespace {

std::vector<Motion> motions(const std::vector<std::pair<std::int32_t, std::int32_t>>& lengthsAndSpeeds) {
    std::vector<Motion> m;
    for (const auto& [length, speed] : lengthsAndSpeeds)
        m.emplace_back(engine::PreviewCycleTable{{}, length, speed, 0, true});
    return m;
}

std::uint64_t lcmOfPeriods(const std::vector<Motion>& m, const std::vector<std::size_t>& members) {
    std::uint64_t l = 1;
    for (const std::size_t t : members)
        l = std::lcm(l, static_cast<std::uint64_t>(m[t].period));
    return l;
}

// Every way to put the ticked tables into two groups of at most two, each once, with its root
// modulus (the factors the groups' periods share) and the group moduli.
TEST(TableGroupsTest, AllSplitsPutsEveryTableInOneGroupOfAtMostTwo) {
    // Periods 12 = 2^2 3, 45 = 3^2 5, 16 and 7.
    const std::vector<Motion> four = motions({{12, 1}, {45, 1}, {16, 1}, {7, 1}});
    const std::vector<std::size_t> sizes{1, 1, 1, 3, 3};
    for (std::size_t n = 0; n <= 4; ++n) {
        const std::vector<Motion> ticked(four.begin(), four.begin() + static_cast<std::ptrdiff_t>(n));
        const std::vector<TableGroups> splits = AllSplits(ticked);
        ASSERT_EQ(sizes[n], splits.size()) << n << " tables";
        std::set<std::vector<std::size_t>> firstGroups;
        for (const TableGroups& split : splits) {
            std::vector<std::size_t> all;
            for (const auto& group : split.members) {
                EXPECT_LE(group.size(), 2u);
                all.insert(all.end(), group.begin(), group.end());
            }
            std::sort(all.begin(), all.end());
            std::vector<std::size_t> expected(n);
            std::iota(expected.begin(), expected.end(), 0u);
            EXPECT_EQ(expected, all);
            const std::uint64_t a = lcmOfPeriods(ticked, split.members[0]), b = lcmOfPeriods(ticked, split.members[1]);
            EXPECT_EQ(std::gcd(a, b), split.rootModulus);
            for (std::size_t g = 0; g < 2; ++g) {
                const auto& m = split.members[g];
                const auto shared = static_cast<std::uint64_t>(
                    m.size() == 2 ? std::gcd(ticked[m[0]].period, ticked[m[1]].period) : 1);
                EXPECT_EQ(std::lcm(split.rootModulus, shared), split.groupModulus[g]);
            }
            // Each split once: the group holding table 0 differs from split to split.
            const auto& withFirst = std::find(split.members[0].begin(), split.members[0].end(), 0u) !=
                                            split.members[0].end()
                                        ? split.members[0]
                                        : split.members[1];
            EXPECT_TRUE(firstGroups.insert(withFirst).second) << n << " tables";
        }
    }
    // {12, 45} against {16, 7}: lcm 180 and 112 share 4; {12, 16} against {45, 7}: 48 and 315
    // share 3; {12, 7} against {45, 16}: 84 and 720 share 12.
    const std::vector<TableGroups> splits = AllSplits(four);
    std::vector<std::uint64_t> roots;
    for (const TableGroups& s : splits)
        roots.push_back(s.rootModulus);
    std::sort(roots.begin(), roots.end());
    EXPECT_EQ((std::vector<std::uint64_t>{3, 4, 12}), roots);
}

} // namespace
} // namespace ondulix::cycle
