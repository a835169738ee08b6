#include "cycle/FrameWalk.h"

#include "CycleTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace ondulix::cycle {
namespace {

using testing::pick;

// How the tables of a case are drawn: lengths, speeds, and entries at random, as a smooth wave or
// as rare dips in a flat line.
enum class Entries { Random, Wave, Dips };
struct Shape {
    std::int32_t shortest, longest, fastest;
    Entries entries;
    std::int32_t lowestLimit;
};

// The walk against frames summed one by one: from any frame, to any frame, with the entries
// taken either way, for one to four tables and few to many columns.
void checkAgainstPlainSums(std::mt19937& rng, int cases, Shape shape) {
    for (int n = 0; n < cases; ++n) {
        SCOPED_TRACE("case " + std::to_string(n));
        testing::Tables c;
        const std::int32_t tables = pick(rng, 0, 4);
        std::uint64_t cycle = 1;
        std::vector<TickedTable> ticked;
        for (std::int32_t t = 0; t < engine::kTableCount; ++t) {
            engine::PreviewCycleTable& table = c.input.tables[static_cast<std::size_t>(t)];
            table.Length = pick(rng, shape.shortest, shape.longest);
            table.Speed = pick(rng, -shape.fastest, shape.fastest);
            table.Position = pick(rng, -100, 100);
            table.ticked = t < tables;
            std::vector<std::int32_t>& entries = c.entries[static_cast<std::size_t>(t)];
            entries.resize(static_cast<std::size_t>(table.Length));
            const double turn = shape.entries == Entries::Wave ? 6.283185307179586 * pick(rng, 1, 3) / table.Length : 0.0;
            for (std::size_t i = 0; i < entries.size(); ++i)
                switch (shape.entries) {
                case Entries::Random:
                    entries[i] = pick(rng, -20, 20);
                    break;
                case Entries::Wave:
                    entries[i] = static_cast<std::int32_t>(std::lround(20 * std::sin(turn * static_cast<double>(i))));
                    break;
                case Entries::Dips:
                    entries[i] = pick(rng, 0, 299) == 0 ? pick(rng, -20, -1) : 0;
                    break;
                }
        }
        c.attach();
        for (const engine::PreviewCycleTable& table : c.input.tables)
            if (table.ticked) {
                ticked.emplace_back(table, 1);
                cycle = std::lcm(cycle, static_cast<std::uint64_t>(ticked.back().motion.period));
            }
        c.input.columnStep = pick(rng, 1, 70);
        c.input.lastColumn = pick(rng, 0, 600);
        const Columns columns{engine::ColumnCount(c.input), c.input.columnStep};
        const int sign = n % 2 == 0 ? 1 : -1;
        const FrameWalk walk(ticked, columns, sign, cycle);
        const std::int32_t limit = pick(rng, shape.lowestLimit, 10);
        const std::uint64_t from = static_cast<std::uint64_t>(pick(rng, 0, 20));
        const std::uint64_t to = from + static_cast<std::uint64_t>(pick(rng, 0, 3000));
        std::optional<Hit> expected;
        for (std::uint64_t f = from; f < std::min(to, cycle) && !expected; ++f)
            for (std::int32_t k = 0; k < columns.count && !expected; ++k)
                if (sign * testing::SumAt(c.input, f, columns.x(k)) <= limit)
                    expected = Hit{f, k};
        const std::optional<Hit> found = walk.first(limit, from, to, Deadline());
        ASSERT_EQ(expected.has_value(), found.has_value()) << limit;
        if (expected) {
            ASSERT_EQ(expected->frame, found->frame);
            ASSERT_EQ(expected->column, found->column);
        }
        // Held to a number of column sums, the walk finds the hit or stops short of it, at most a
        // block of 512 frames' worth before the sums run out.
        std::mt19937 sums(static_cast<std::uint32_t>(n));
        const auto most = static_cast<std::uint64_t>(pick(sums, 0, 3000)) * static_cast<std::uint64_t>(columns.count);
        const FrameWalk::Stop stop = walk.firstWithin(limit, from, to, most, Deadline());
        ASSERT_LE(stop.sums, most);
        if (stop.hit) {
            ASSERT_EQ(expected->frame, stop.hit->frame);
            ASSERT_EQ(expected->column, stop.hit->column);
        } else {
            ASSERT_TRUE(!expected || expected->frame >= stop.reached) << stop.reached;
            ASSERT_TRUE(stop.reached >= std::min(to, cycle) || stop.sums + 600 * static_cast<std::uint64_t>(columns.count) > most)
                << "stopped at " << stop.reached << " with " << stop.sums << " of " << most << " sums";
        }
    }
}

TEST(FrameWalkTest, FindsTheFirstHitOfPlainSums) {
    std::mt19937 rng(3);
    checkAgainstPlainSums(rng, 300, {1, 50, 60, Entries::Random, -60});
}

// Long tables at low speeds, whose blocks of frames mostly hold no hit and are passed over by
// their bounds, walked either way round: smooth waves, and dips that a block's first or last
// frame alone may see.
TEST(FrameWalkTest, PassesOverOnlyBlocksWithoutAHit) {
    std::mt19937 rng(5);
    checkAgainstPlainSums(rng, 200, {200, 3000, 4, Entries::Wave, -50});
    checkAgainstPlainSums(rng, 200, {200, 3000, 4, Entries::Dips, -25});
}

TEST(FrameWalkTest, StopsOnceItsDeadlineHasPassed) {
    testing::Tables c;
    c.entries[0].assign(16381, 0);
    c.entries[1].assign(16369, 0);
    c.input.tables[0] = {{}, 16381, 1, 0, true};
    c.input.tables[1] = {{}, 16369, 1, 0, true};
    c.attach();
    const std::vector<TickedTable> ticked{TickedTable(c.input.tables[0], 1), TickedTable(c.input.tables[1], 1)};
    const FrameWalk walk(ticked, {129, 128}, 1, 16381ull * 16369);
    // No sum is below 0: the walk would go through 2.7 * 10^8 frames.
    EXPECT_THROW(walk.first(-1, 0, 16381ull * 16369, Deadline(std::chrono::milliseconds(0), {})), OutOfTime);
    EXPECT_EQ(std::nullopt, walk.first(-1, 0, 1000, Deadline(std::chrono::milliseconds(0), {})));
}

} // namespace
} // namespace ondulix::cycle
