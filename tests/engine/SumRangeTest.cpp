#include "engine/SumRange.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <stdexcept>
#include <vector>

namespace ondulix::engine {
namespace {

// A case with its own entries.
struct Case {
    std::array<std::vector<std::int32_t>, kTableCount> entries;
    PreviewCycleInput input;
};

std::int32_t wrap(std::int64_t value, std::int32_t length) {
    const auto r = static_cast<std::int32_t>(value % length);
    return r < 0 ? r + length : r;
}

// Every column of every frame of the cycle, one after the other.
std::optional<SumRange> walkedRange(const PreviewCycleInput& in) {
    const std::int32_t columns = ColumnCount(in);
    if (columns == 0)
        return std::nullopt;
    SumRange range{std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min()};
    for (std::uint64_t f = 0; f < CycleFrames(in); ++f)
        for (std::int32_t c = 0; c < columns; ++c) {
            std::int32_t sum = 0;
            for (const PreviewCycleTable& t : in.tables)
                if (t.ticked)
                    sum += t.entries[static_cast<std::size_t>(
                        wrap(t.Position + static_cast<std::int64_t>(c) * in.columnStep +
                                 static_cast<std::int64_t>(f % static_cast<std::uint64_t>(t.Length)) * t.Speed,
                             t.Length))];
            range.smallest = std::min(range.smallest, sum);
            range.largest = std::max(range.largest, sum);
        }
    return range;
}

// Lengths whose periods share factors in every way four tables can: pairs, triples, all four.
constexpr std::array<std::int32_t, 24> kLengths{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 14,
                                                15, 16, 18, 20, 21, 24, 28, 30, 35, 36, 42, 60};

Case randomCase(std::mt19937& random) {
    const auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    Case c;
    for (std::size_t t = 0; t < kTableCount; ++t) {
        const std::int32_t length = kLengths[static_cast<std::size_t>(pick(0, kLengths.size() - 1))];
        c.entries[t].resize(static_cast<std::size_t>(length));
        // Few distinct values make ties, many make the extremes rare; the widest sines of the
        // window (+-16384, often at their ends) and wider entries still leave 16 bits.
        constexpr std::array<int, 6> kSpreads{3, 1000, 16383, 16384, 30000, 1 << 22};
        const int spread = kSpreads[static_cast<std::size_t>(pick(0, kSpreads.size() - 1))];
        for (std::int32_t& e : c.entries[t])
            e = pick(0, 3) == 0 ? (pick(0, 1) ? spread : -spread) : pick(-spread, spread);
        c.input.tables[t] = {c.entries[t], length, pick(-2 * length - 3, 2 * length + 3), pick(-100, 100),
                             pick(0, 4) != 0};
    }
    c.input.columnStep = pick(1, 7);
    c.input.lastColumn = pick(-1, 60) + (pick(0, 1) ? 0.5 : 0.0);
    return c;
}

TEST(SumRangeTest, EqualsAWalkOfTheWholeCycleFromAnyPositions) {
    std::mt19937 random(19);
    int walked = 0;
    while (walked < 1500) {
        const Case c = randomCase(random);
        if (CycleFrames(c.input) > 20000)
            continue;
        ++walked;
        ASSERT_EQ(PreviewSumRange(c.input), walkedRange(c.input)) << "case " << walked;
    }
}

// Six factors, one per pair of tables: no table is free of the others, and no split into two
// groups leaves the groups unrelated. Speeds make the columns shift the tables against each
// other, so that columns share no work.
TEST(SumRangeTest, PeriodsSharingAFactorInEveryPair) {
    std::mt19937 random(6);
    const std::array<std::int32_t, kTableCount> lengths{2 * 3 * 5, 2 * 7 * 11, 3 * 7 * 13, 5 * 11 * 13};
    for (int round = 0; round < 3; ++round) {
        Case c;
        for (std::size_t t = 0; t < kTableCount; ++t) {
            c.entries[t].resize(static_cast<std::size_t>(lengths[t]));
            for (std::int32_t& e : c.entries[t])
                e = std::uniform_int_distribution<int>(-5000, 5000)(random);
            c.input.tables[t] = {c.entries[t], lengths[t], round == 0 ? 1 : static_cast<std::int32_t>(2 * t + 1),
                                 static_cast<std::int32_t>(t) * 17 + round, true};
        }
        c.input.columnStep = 3;
        c.input.lastColumn = 20;
        ASSERT_EQ(CycleFrames(c.input), 2u * 3 * 5 * 7 * 11 * 13);
        ASSERT_EQ(PreviewSumRange(c.input), walkedRange(c.input)) << "round " << round;
    }
}

// The same with 180,180 frames and thousands of residues common to the two groups, so that the
// groups are folded a block of residues at a time; entries of every width the folds distinguish.
TEST(SumRangeTest, ManyResiduesCommonToTheGroups) {
    std::mt19937 random(180180);
    const auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    const std::array<std::int32_t, kTableCount> lengths{4 * 5 * 7, 4 * 9 * 11, 5 * 9 * 13, 7 * 11 * 13};
    constexpr std::array<int, 5> kSpreads{60, 100, 16384, 30000, 1 << 22};
    for (const int spread : kSpreads) {
        Case c;
        for (std::size_t t = 0; t < kTableCount; ++t) {
            c.entries[t].resize(static_cast<std::size_t>(lengths[t]));
            for (std::int32_t& e : c.entries[t]) // distinct enough that one alignment holds each extreme
                e = pick(-spread, spread);
            const std::array<std::int32_t, 4> speeds{1, -1, 17, -23}; // coprime to every length
            c.input.tables[t] = {c.entries[t], lengths[t], speeds[static_cast<std::size_t>(pick(0, 3))],
                                 pick(0, lengths[t] - 1), true};
        }
        c.input.columnStep = pick(1, 3);
        c.input.lastColumn = 3 * c.input.columnStep;
        ASSERT_EQ(CycleFrames(c.input), 180180u);
        ASSERT_EQ(PreviewSumRange(c.input), walkedRange(c.input)) << "entries within +-" << spread;
    }
}

// Periods 240, 1232, 357 and 935 share 16 within tables 0 and 1, 17 within 2 and 3, and 3, 5, 7
// and 11 across the pairs: each group's 1,155 common residues (not a whole number of the folds'
// chunks) come round 16 and 17 times. Even speeds leave the odd entries to no column; where they
// lie far below the rest, the sums of the two groups need 17 bits yet stay far from the bottom.
TEST(SumRangeTest, GroupsFoldedOverManyRounds) {
    std::mt19937 random(314160);
    const auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    const std::array<std::int32_t, kTableCount> lengths{2 * 240, 2 * 1232, 2 * 357, 2 * 935};
    constexpr std::array<int, 6> kSpreads{60, 100, 16384, 30000, 1 << 22, -30000}; // the last: odd entries far below
    for (const int spread : kSpreads) {
        Case c;
        for (std::size_t t = 0; t < kTableCount; ++t) {
            c.entries[t].resize(static_cast<std::size_t>(lengths[t]));
            for (std::size_t k = 0; k < c.entries[t].size(); ++k)
                c.entries[t][k] = spread > 0 ? pick(-spread, spread) : k % 2 ? spread : pick(20000, -spread);
            const std::array<std::int32_t, 4> speeds{2, -2, 38, -46}; // twice a number coprime to every period
            c.input.tables[t] = {c.entries[t], lengths[t], speeds[static_cast<std::size_t>(pick(0, 3))],
                                 2 * pick(0, lengths[t] / 2 - 1), true};
        }
        c.input.columnStep = 2;
        c.input.lastColumn = 6;
        ASSERT_EQ(CycleFrames(c.input), 314160u);
        ASSERT_EQ(PreviewSumRange(c.input), walkedRange(c.input)) << "entries within +-" << spread;
    }
}

TEST(SumRangeTest, NoColumnNoTableAndCountsOfColumns) {
    std::vector<std::int32_t> entries{5, -7, 9};
    PreviewCycleInput in;
    in.tables[0] = {entries, 3, 1, 0, true};
    in.lastColumn = -0.5;
    EXPECT_EQ(ColumnCount(in), 0);
    EXPECT_EQ(PreviewSumRange(in), std::nullopt);
    in.lastColumn = 300.5;
    in.columnStep = 2;
    EXPECT_EQ(ColumnCount(in), 151); // 0, 2, ..., 300
    in.tables[0].ticked = false;
    EXPECT_EQ(PreviewSumRange(in), (SumRange{0, 0}));
    in.tables[0].Length = 0;
    EXPECT_THROW(PreviewSumRange(in), std::invalid_argument);
}

// The cycle of four prime lengths near 16384 has 7.2 * 10^16 frames; each table is free of the
// others, so the range is the sum of the tables' own extremes over the cosets their columns see.
TEST(SumRangeTest, LongCyclesOfCoprimePeriods) {
    const std::array<std::int32_t, kTableCount> lengths{16381, 16369, 16363, 16361};
    Case c;
    std::int32_t low = 0, high = 0;
    for (std::size_t t = 0; t < kTableCount; ++t) {
        c.entries[t].resize(static_cast<std::size_t>(lengths[t]));
        std::iota(c.entries[t].begin(), c.entries[t].end(), -static_cast<std::int32_t>(t) * 100);
        c.input.tables[t] = {c.entries[t], lengths[t], static_cast<std::int32_t>(t) + 1, 7, true};
        low += c.entries[t].front();
        high += c.entries[t].back();
    }
    c.input.lastColumn = 16384;
    c.input.columnStep = 128;
    EXPECT_EQ(PreviewSumRange(c.input), (SumRange{low, high}));
}

TEST(SumRangeTest, ComesToPositionsExactlyWhereTheWalkComes) {
    std::mt19937 random(3);
    for (int n = 0; n < 300; ++n) {
        Case c = randomCase(random);
        if (CycleFrames(c.input) > 5000)
            continue;
        std::array<std::int32_t, kTableCount> target{};
        for (std::size_t t = 0; t < kTableCount; ++t)
            target[t] = std::uniform_int_distribution<int>(-40, 40)(random);
        bool reached = false;
        for (std::uint64_t f = 0; f < CycleFrames(c.input) && !reached; ++f) {
            reached = true;
            for (const PreviewCycleTable& t : c.input.tables)
                reached = reached && (!t.ticked || wrap(t.Position + static_cast<std::int64_t>(f) * t.Speed,
                                                        t.Length) == wrap(target[static_cast<std::size_t>(
                                                                              &t - c.input.tables.data())],
                                                                          t.Length));
        }
        ASSERT_EQ(ComesToPositions(c.input, target), reached) << "case " << n;
    }
}

} // namespace
} // namespace ondulix::engine
