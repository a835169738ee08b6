#include "cycle/ColumnClasses.h"
#include "cycle/CycleAnalysis.h"
#include "cycle/PreviewCycleSearch.h"

#include "CycleTestSupport.h"

#include <gtest/gtest.h>

#include <numeric>
#include <ostream>

namespace ondulix::engine {

void PrintTo(const CycleSample& s, std::ostream* out); // in tests/engine/PreviewCycleTest.cpp
void PrintTo(const PreviewCycleReport& r, std::ostream* out);

} // namespace ondulix::engine

namespace ondulix::cycle {
namespace {

using engine::CycleSample;
using engine::PreviewCycleReport;
using testing::pick;
using testing::Tables;

// The whole report by the plain walk of every frame of the cycle.
PreviewCycleReport walkWholeCycle(const engine::PreviewCycleInput& in) {
    PreviewCycleReport r;
    r.cycleFrames = engine::CycleFrames(in);
    const std::int32_t columns = engine::ColumnCount(in);
    if (columns == 0)
        return r;
    const double pastTop = engine::LargestPastTop(in.top);
    const double pastBottom = engine::SmallestPastBottom(in.top, in.bottom);
    testing::ForEachSum(in, r.cycleFrames, [&](std::uint64_t f, std::int32_t x, std::int32_t sum) {
        const CycleSample here{f, x, sum};
        if (!r.smallest || here.sum < r.smallest->sum)
            r.smallest = here;
        if (!r.largest || here.sum > r.largest->sum)
            r.largest = here;
        if (!r.firstPastTop && here.sum <= pastTop)
            r.firstPastTop = here;
        if (!r.firstPastBottom && here.sum >= pastBottom)
            r.firstPastBottom = here;
        return false;
    });
    r.smallestSum = r.smallest->sum;
    r.largestSum = r.largest->sum;
    r.passesTop = r.firstPastTop.has_value();
    r.passesBottom = r.firstPastBottom.has_value();
    return r;
}

// The ways the search's limits send it: the built-in ones; indexes of a few combinations, which
// leave walking the frames; few in all indexes, or none past the first; one root class of columns
// at a time; no class extremes kept, which folds them again for every search; no walk ahead of
// the search.
const std::vector<SearchLimits> kLimits{
    SearchLimits{},
    SearchLimits{4, std::size_t{1} << 24, std::size_t{1} << 14, std::size_t{1} << 24},
    SearchLimits{std::size_t{1} << 20, 64, std::size_t{1} << 14, std::size_t{1} << 24},
    SearchLimits{std::size_t{1} << 20, 0, std::size_t{1} << 14, std::size_t{1} << 24},
    SearchLimits{std::size_t{1} << 20, std::size_t{1} << 24, 1, std::size_t{1} << 24},
    SearchLimits{std::size_t{1} << 20, std::size_t{1} << 24, std::size_t{1} << 14, 0},
    SearchLimits{std::size_t{1} << 20, std::size_t{1} << 24, std::size_t{1} << 14, std::size_t{1} << 24, 0},
};

// Tables of lengths that share factors, so that cycles of thousands to a million frames come
// with few root classes and long rounds; entries of a few values or of sines; bounds on, beside
// and inside the extremes.
Tables mediumCycle(std::mt19937& rng) {
    Tables c;
    std::uint64_t cycle = 0;
    std::int32_t columns = 0;
    do {
        const std::int32_t base = std::array{1, 6, 12, 30, 60, 120}[static_cast<std::size_t>(pick(rng, 0, 5))];
        cycle = 1;
        for (engine::PreviewCycleTable& table : c.input.tables) {
            table.Length = base * pick(rng, 1, 420 / base);
            table.Speed = pick(rng, 0, 5) == 0 ? pick(rng, -3000, 3000) : pick(rng, -9, 9);
            table.Position = pick(rng, -5000, 5000);
            table.ticked = pick(rng, 0, 5) != 0;
            if (table.ticked)
                cycle = std::lcm(cycle, static_cast<std::uint64_t>(cycle::Motion(table).period));
        }
        c.input.columnStep = pick(rng, 1, 200);
        c.input.lastColumn = pick(rng, 0, 5) == 0 ? -1.0 : pick(rng, 0, 1600) + 0.5 * pick(rng, 0, 1);
        columns = engine::ColumnCount(c.input);
    } while (cycle * static_cast<std::uint64_t>(std::max(columns, 1)) > 400000);
    for (std::size_t t = 0; t < engine::kTableCount; ++t) {
        std::vector<std::int32_t>& e = c.entries[t];
        e.resize(static_cast<std::size_t>(c.input.tables[t].Length));
        const std::int32_t amplitude = pick(rng, 1, 300);
        const bool sine = pick(rng, 0, 1) == 0;
        for (std::size_t i = 0; i < e.size(); ++i)
            e[i] = sine ? static_cast<std::int32_t>(std::lround(
                              amplitude * std::sin(6.283185307179586 * static_cast<double>(i) / static_cast<double>(e.size()))))
                        : pick(rng, -amplitude, amplitude);
    }
    c.attach();
    return c;
}

void placeBounds(Tables& c, std::mt19937& rng) {
    const PreviewCycleReport range = SearchPreviewCycle(c.input, {std::chrono::steady_clock::duration::zero(), {}});
    const float low = static_cast<float>(range.smallestSum.value_or(0)), high = static_cast<float>(range.largestSum.value_or(0));
    const std::array<float, 6> inside{0.0f, 0.5f, 1.0f, 3.0f, 20.0f, -1.0f};
    c.input.top = low + inside[static_cast<std::size_t>(pick(rng, 0, 5))];
    c.input.bottom = high - inside[static_cast<std::size_t>(pick(rng, 0, 5))];
}

// Random medium cycles against the plain walk of the whole cycle, under every set of limits.
TEST(PreviewCycleSearchTest, AgreesWithWalkingMediumCyclesWhole) {
    std::mt19937 rng(424242);
    for (int n = 0; n < 40; ++n) {
        SCOPED_TRACE("case " + std::to_string(n));
        Tables c = mediumCycle(rng);
        placeBounds(c, rng);
        const PreviewCycleReport walked = walkWholeCycle(c.input);
        for (const SearchLimits& limits : kLimits)
            ASSERT_EQ(walked, SearchPreviewCycle(c.input, {}, limits)) << "limits " << &limits - kLimits.data();
    }
}

// Amplitudes whose sums in pairs just fit 16 bits less the middle of each span, just do not, and
// far from it: the class extremes fold in 16 bits only where the sums fit.
TEST(PreviewCycleSearchTest, AgreesWithWalkingWhereSumsOfTwoTablesPassSixteenBits) {
    std::mt19937 rng(16161);
    for (int n = 0; n < 24; ++n) {
        SCOPED_TRACE("case " + std::to_string(n));
        Tables c = mediumCycle(rng);
        // Entries at both ends of the span only, so that the sums of two reach their extremes.
        for (std::vector<std::int32_t>& e : c.entries) {
            const std::int32_t amplitude = std::array{16383, 16384, 16384, 300000}[static_cast<std::size_t>(pick(rng, 0, 3))];
            for (std::int32_t& entry : e)
                entry = pick(rng, 0, 1) == 0 ? -amplitude : amplitude;
        }
        placeBounds(c, rng);
        const PreviewCycleReport walked = walkWholeCycle(c.input);
        for (const SearchLimits& limits : {kLimits.front(), kLimits.back()})
            ASSERT_EQ(walked, SearchPreviewCycle(c.input, {}, limits));
    }
}

// Long cycles whose first hits come beyond 10^5 frames, each checked against a walk of every
// frame up to it: nothing earlier reaches the threshold, and the hit shows the sum reported. The
// search finds the same without a walk ahead of it, which often finds such hits itself.
TEST(PreviewCycleSearchTest, FirstHitsBeyondAHundredThousandFramesAgreeWithAWalkUpToThem) {
    std::mt19937 rng(77);
    int checked = 0;
    for (int n = 0; n < 400 && checked < 8; ++n) {
        Tables c;
        for (std::size_t t = 0; t < engine::kTableCount; ++t) {
            engine::PreviewCycleTable& table = c.input.tables[t];
            table.Length = pick(rng, 300, 3000);
            table.Speed = pick(rng, -5, 5);
            table.Position = pick(rng, 0, 3000);
            table.ticked = t < 3 || pick(rng, 0, 1) == 0;
            std::vector<std::int32_t>& e = c.entries[t];
            e.resize(static_cast<std::size_t>(table.Length));
            const std::int32_t amplitude = pick(rng, 8, 200);
            const std::int32_t periods = pick(rng, 1, 3);
            for (std::size_t i = 0; i < e.size(); ++i)
                e[i] = static_cast<std::int32_t>(std::lround(
                    amplitude * std::sin(6.283185307179586 * periods * static_cast<double>(i) / static_cast<double>(e.size()))));
        }
        c.input.columnStep = pick(rng, 1, 40);
        c.input.lastColumn = pick(rng, 0, 80);
        c.attach();
        placeBounds(c, rng);
        const PreviewCycleReport r = SearchPreviewCycle(c.input);
        ASSERT_EQ(r, SearchPreviewCycle(c.input, {}, kLimits.back())) << "case " << n;
        const struct {
            const std::optional<CycleSample>& hit;
            int sign;
            double limit;
        } questions[] = {{r.smallest, +1, static_cast<double>(*r.smallestSum)},
                         {r.largest, -1, -static_cast<double>(*r.largestSum)},
                         {r.firstPastTop, +1, engine::LargestPastTop(c.input.top)},
                         {r.firstPastBottom, -1, -engine::SmallestPastBottom(c.input.top, c.input.bottom)}};
        for (const auto& q : questions) {
            if (!q.hit || q.hit->frame < 100000 || q.hit->frame > 1500000)
                continue;
            SCOPED_TRACE("case " + std::to_string(n) + ", first hit in frame " + std::to_string(q.hit->frame));
            const auto limit = static_cast<std::int32_t>(std::clamp(q.limit, -1e9, 1e9));
            const std::optional<CycleSample> walked = testing::WalkToFirst(c.input, q.sign, limit, q.hit->frame + 1);
            ASSERT_EQ(walked, q.hit);
            ++checked;
        }
    }
    EXPECT_EQ(8, checked);
}

// Past its budget the search leaves the first frames it has not found, but the sums and the
// verdict are exact; the progress hears about the time spent.
TEST(PreviewCycleSearchTest, ABudgetLeavesFirstFramesUnsettledButTheVerdictExact) {
    std::mt19937 rng(99);
    for (int n = 0; n < 20; ++n) {
        Tables c = mediumCycle(rng);
        placeBounds(c, rng);
        const PreviewCycleReport whole = SearchPreviewCycle(c.input);
        int reports = 0;
        const PreviewCycleReport cut = SearchPreviewCycle(
            c.input, {std::chrono::steady_clock::duration::zero(),
                      [&](std::chrono::steady_clock::duration, int settled) {
                          EXPECT_GE(settled, 0);
                          EXPECT_LE(settled, 4);
                          ++reports;
                      }});
        EXPECT_EQ(whole.cycleFrames, cut.cycleFrames);
        EXPECT_EQ(whole.smallestSum, cut.smallestSum);
        EXPECT_EQ(whole.largestSum, cut.largestSum);
        EXPECT_EQ(whole.passesTop, cut.passesTop);
        EXPECT_EQ(whole.passesBottom, cut.passesBottom);
        const auto agrees = [](const std::optional<CycleSample>& full, const std::optional<CycleSample>& part,
                               bool unsettled, bool happens) {
            EXPECT_TRUE(unsettled ? !part && happens : part == full);
        };
        agrees(whole.smallest, cut.smallest, cut.unsettled.smallest, whole.smallest.has_value());
        agrees(whole.largest, cut.largest, cut.unsettled.largest, whole.largest.has_value());
        agrees(whole.firstPastTop, cut.firstPastTop, cut.unsettled.pastTop, whole.passesTop);
        agrees(whole.firstPastBottom, cut.firstPastBottom, cut.unsettled.pastBottom, whole.passesBottom);
        EXPECT_FALSE(whole.unsettled.any());
    }
}

// Moving `period` columns to the right shows every table's class `shift` frame classes later.
TEST(PreviewCycleSearchTest, ColumnClassesRepeatShifted) {
    std::mt19937 rng(8);
    for (int n = 0; n < 300; ++n) {
        std::vector<TickedTable> tables;
        std::vector<std::vector<std::int32_t>> entries(4);
        std::vector<Motion> motions;
        std::vector<engine::PreviewCycleTable> inputs;
        for (std::size_t t = 0; t < static_cast<std::size_t>(pick(rng, 1, 3)); ++t) {
            const std::int32_t length = pick(rng, 1, 90);
            entries[t].assign(static_cast<std::size_t>(length), 0);
            inputs.push_back({entries[t], length, pick(rng, -50, 50), pick(rng, 0, 90), true});
            motions.emplace_back(inputs.back());
        }
        const std::uint64_t modulus = std::max<std::uint64_t>(1, SharedModulus(motions)) * static_cast<std::uint64_t>(pick(rng, 1, 3));
        for (const engine::PreviewCycleTable& in : inputs)
            tables.emplace_back(in, modulus);
        const Columns columns{pick(rng, 1, 40), pick(rng, 1, 30)};
        const ColumnClasses classes = ColumnClassesOf(tables, columns);
        for (std::int32_t k = 0; k < columns.count; ++k)
            for (std::uint64_t m = 0; m < modulus; ++m)
                for (const TickedTable& t : tables)
                    ASSERT_EQ(t.classAt(m, columns.x(k)),
                              t.classAt(m + classes.shiftOf(k, modulus), columns.x(classes.representative(k))))
                        << "case " << n << ", column " << k << ", frame class " << m;
    }
}

} // namespace
} // namespace ondulix::cycle
