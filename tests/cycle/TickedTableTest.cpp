#include "cycle/CycleMath.h"
#include "cycle/TickedTable.h"

#include "CycleTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <set>

namespace ondulix::cycle {
namespace {

using testing::pick;

// Position + frame * Speed + x modulo Length, for frames beyond 2^32 too and any sign of the speed
// and the position.
TEST(TickedTableTest, MotionIndexesLikeTheFrame) {
    std::mt19937 rng(5);
    for (int n = 0; n < 2000; ++n) {
        const std::int32_t length = pick(rng, 1, 16384);
        const engine::PreviewCycleTable t{{}, length, pick(rng, -100000, 100000), pick(rng, -100000, 100000), true};
        const Motion m(t);
        ASSERT_EQ(length / std::gcd(length, m.step), m.period);
        const std::uint64_t frame = n % 2 == 0 ? rng() : (std::uint64_t{rng()} << 24) + rng();
        const std::int32_t x = pick(rng, 0, 16384);
        // frame * Speed = (frame mod Length) * (Speed mod Length), modulo Length.
        const std::int64_t l = length;
        const std::int64_t expected = ((t.Position % l + l) % l + static_cast<std::int64_t>(frame % static_cast<std::uint64_t>(l)) *
                                                                      ((t.Speed % l + l) % l) +
                                       x) %
                                      l;
        ASSERT_EQ(expected, m.indexAt(frame, x)) << length << " " << frame;
    }
}

// The shared modulus holds every prime to its second-highest power among the periods.
TEST(TickedTableTest, SharedModulusIsTheLcmOfThePairwiseGcds) {
    const auto motions = [](std::vector<std::int32_t> lengths) {
        std::vector<Motion> m;
        for (const std::int32_t l : lengths)
            m.emplace_back(engine::PreviewCycleTable{{}, l, 1, 0, true});
        return m;
    };
    EXPECT_EQ(1u, SharedModulus(motions({16381, 16369, 16363, 16361})));
    EXPECT_EQ(1u, SharedModulus(motions({16384})));
    EXPECT_EQ(8u * 9, SharedModulus(motions({16, 8, 9, 27})));   // 2^4, 2^3, 3^2, 3^3
    EXPECT_EQ(30000u, SharedModulus(motions({12000, 15000, 10000}))); // pairwise 3000, 2000 and 5000
}

// Frames that agree modulo the shared modulus show, at a column, indexes of one class: those
// congruent modulo classCount, `choices` of them, and every one of them in some such frame.
TEST(TickedTableTest, FrameClassesShowOneClassOfIndexesEach) {
    std::mt19937 rng(11);
    for (int n = 0; n < 300; ++n) {
        std::vector<std::int32_t> entries(static_cast<std::size_t>(pick(rng, 1, 60)));
        for (std::int32_t& e : entries)
            e = pick(rng, -9, 9);
        const auto length = static_cast<std::int32_t>(entries.size());
        const engine::PreviewCycleTable t{entries, length, pick(rng, -70, 70), pick(rng, 0, 100), true};
        const std::uint64_t modulus = static_cast<std::uint64_t>(pick(rng, 1, 30));
        const TickedTable table(t, modulus);
        const std::uint64_t frames = std::lcm(modulus, static_cast<std::uint64_t>(table.motion.period));
        const std::int32_t x = pick(rng, 0, 100);
        for (std::uint64_t m = 0; m < modulus; ++m) {
            std::set<std::int32_t> shown;
            for (std::uint64_t f = m; f < frames; f += modulus)
                shown.insert(table.motion.indexAt(f, x));
            const std::int32_t c = table.classAt(m, x);
            ASSERT_EQ(static_cast<std::size_t>(table.choices), shown.size());
            std::int32_t low = 1000, high = -1000;
            for (const std::int32_t i : shown) {
                ASSERT_EQ(c, i % table.classCount);
                low = std::min(low, table.entry(i));
                high = std::max(high, table.entry(i));
            }
            ASSERT_EQ(low, table.low(c, +1));
            ASSERT_EQ(high, table.high(c, +1));
            ASSERT_EQ(-high, table.low(c, -1));
            ASSERT_EQ(-low, table.high(c, -1));
            // One frame class on, the class moves by classStep; the orbit lays the extremes out
            // in that order.
            const std::int32_t next = table.classAt(m + 1, x);
            ASSERT_EQ((c + table.classStep) % table.classCount, next);
            const std::int32_t place = table.classPlace[static_cast<std::size_t>(c)];
            ASSERT_EQ(low, table.orbitMin[static_cast<std::size_t>(place)]);
            ASSERT_EQ(high, table.orbitMax[static_cast<std::size_t>(place)]);
        }
        ASSERT_EQ(*std::min_element(entries.begin(), entries.end()), table.lowest(+1));
        ASSERT_EQ(-*std::max_element(entries.begin(), entries.end()), table.lowest(-1));

        // Along a stride of a multiple of the modulus, each class is one orbit of `choices`
        // places: place p + 1 is the index that many frames on.
        const std::uint64_t stride = modulus * static_cast<std::uint64_t>(pick(rng, 1, 5));
        if (std::gcd(stride, static_cast<std::uint64_t>(table.motion.period)) !=
            std::gcd(modulus, static_cast<std::uint64_t>(table.motion.period))) {
            EXPECT_THROW(OrbitsOf(table, stride, +1), std::logic_error);
            continue;
        }
        const Orbits orbits = OrbitsOf(table, stride, -1);
        for (std::int32_t i = 0; i < length; ++i) {
            const std::int32_t place = orbits.position[static_cast<std::size_t>(i)];
            ASSERT_EQ(-entries[static_cast<std::size_t>(i)], orbits.values[static_cast<std::size_t>(place)]);
            const std::int32_t next = floorMod(i + static_cast<std::int64_t>(stride % static_cast<std::uint64_t>(length)) *
                                                       table.motion.step,
                                               length);
            const std::int32_t nextPlace = place % table.choices == table.choices - 1 ? place - table.choices + 1
                                                                                       : place + 1;
            ASSERT_EQ(nextPlace, orbits.position[static_cast<std::size_t>(next)]);
        }
    }
}

// The tables that let the fewest entries through come first; a table without a choice not at all.
TEST(TickedTableTest, SparsestFirstOrdersByTheShareOfEntriesThatCanReach) {
    const std::vector<std::int32_t> dip{0, 0, 0, -4}, flat{0, -1, -1, -1}, still{5};
    const std::vector<TickedTable> tables{TickedTable({flat, 4, 1, 0, true}, 1), TickedTable({dip, 4, 1, 0, true}, 1),
                                          TickedTable({still, 1, 0, 0, true}, 1)};
    // The lowest sum is -4 - 1 + 5 = 0, so within 0 the dip's one entry and the flat table's three.
    const std::vector<const TickedTable*> order = SparsestFirst(tables, +1, 0);
    ASSERT_EQ(2u, order.size());
    EXPECT_EQ(&tables[1], order[0]);
    EXPECT_EQ(&tables[0], order[1]);
}

} // namespace
} // namespace ondulix::cycle
