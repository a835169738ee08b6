#include "cycle/StepIndex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

namespace ondulix::cycle {
namespace {

std::int32_t pick(std::mt19937& rng, std::int32_t lo, std::int32_t hi) {
    return lo + static_cast<std::int32_t>(rng() % static_cast<std::uint32_t>(hi - lo + 1));
}

// Two tables stepped together, one place each per step, from places 0 and `phase`: every
// combination within the budget with the step it comes at, in step order.
struct Walked {
    std::vector<StepIndex::Step> steps;
    std::uint32_t cycle = 0;
};

Walked walk(const std::vector<std::int32_t>& first, const std::vector<std::int32_t>& second, std::uint32_t phase,
            std::int32_t budget) {
    const std::size_t n1 = first.size(), n2 = std::max<std::size_t>(1, second.size());
    Walked w;
    w.cycle = static_cast<std::uint32_t>(std::lcm(n1, n2));
    for (std::uint32_t s = 0; s < w.cycle; ++s) {
        const std::int32_t sum = first[s % n1] + (second.empty() ? 0 : second[(s + phase) % n2]);
        if (sum <= budget)
            w.steps.push_back({s, sum});
    }
    return w;
}

// The fewest steps from `from` to a walked combination within `budget`, around the cycle.
std::optional<std::uint32_t> fewestSteps(const Walked& w, std::uint32_t from, std::int32_t budget) {
    std::optional<std::uint32_t> fewest;
    for (const StepIndex::Step& s : w.steps)
        if (s.sum <= budget) {
            const std::uint32_t d = (s.step + w.cycle - from) % w.cycle;
            fewest = std::min(fewest.value_or(d), d);
        }
    return fewest;
}

bool sameSteps(std::span<const StepIndex::Step> a, std::span<const StepIndex::Step> b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const auto& p, const auto& q) { return p.step == q.step && p.sum == q.sum; });
}

// Places by value, equal values by place, whether the values are counted (a narrow spread) or
// merged (a wide one).
TEST(StepIndexTest, PlacesByValueKeepEqualValuesInPlaceOrder) {
    std::mt19937 rng(3);
    for (const std::int32_t spread : {1, 5, 100, 2000, 100000, 2000000000}) {
        for (const std::size_t count : {std::size_t{0}, std::size_t{1}, std::size_t{17}, std::size_t{4000}}) {
            std::vector<std::int32_t> values(count);
            for (std::int32_t& v : values)
                v = pick(rng, -spread / 2, spread / 2);
            std::vector<std::uint32_t> expected(count);
            std::iota(expected.begin(), expected.end(), 0u);
            std::stable_sort(expected.begin(), expected.end(),
                             [&](std::uint32_t a, std::uint32_t b) { return values[a] < values[b]; });
            EXPECT_EQ(expected, PlacesByValue(values)) << count << " values within " << spread;
        }
    }
}

// One table's places, ordered for pairing: by remainder modulo the shared factor, by value within.
TEST(StepIndexTest, PlaceOrderGroupsByRemainderThenValue) {
    const std::vector<std::int32_t> values{5, -1, 3, -1, 0, 7};
    const PlaceOrder order(values, 2);
    EXPECT_EQ(6u, order.size());
    EXPECT_EQ((std::vector<std::uint32_t>{1, 3, 4, 2, 0, 5}),
              std::vector<std::uint32_t>(order.byValue().begin(), order.byValue().end()));
    const auto even = order.withRemainder(0), odd = order.withRemainder(1);
    EXPECT_EQ((std::vector<std::uint32_t>{4, 2, 0}), std::vector<std::uint32_t>(even.begin(), even.end()));
    EXPECT_EQ((std::vector<std::uint32_t>{1, 3, 5}), std::vector<std::uint32_t>(odd.begin(), odd.end()));
    // A missing table: one place worth 0.
    const PlaceOrder none({}, 1);
    EXPECT_EQ(1u, none.size());
    EXPECT_EQ(0, none.values()[0]);
}

// Every index of one or two random tables against the two tables stepped together: its
// combinations by step, their count and smallest sum, the step of any two places, the buckets,
// and the fewest steps to a combination within any budget from any step.
TEST(StepIndexTest, AgreesWithSteppingTheTablesTogether) {
    std::mt19937 rng(1809);
    for (int n = 0; n < 400; ++n) {
        SCOPED_TRACE("case " + std::to_string(n));
        std::vector<std::int32_t> first(static_cast<std::size_t>(pick(rng, 1, 40)));
        std::vector<std::int32_t> second(n % 5 == 0 ? 0 : static_cast<std::size_t>(pick(rng, 1, 40)));
        const std::int32_t spread = pick(rng, 0, 6);
        for (std::int32_t& v : first)
            v = pick(rng, -spread, spread);
        for (std::int32_t& v : second)
            v = pick(rng, -spread, spread);
        const auto shared = static_cast<std::uint32_t>(std::gcd(first.size(), std::max<std::size_t>(1, second.size())));
        const auto phase = static_cast<std::uint32_t>(pick(rng, 0, static_cast<std::int32_t>(shared) - 1));
        const std::int32_t budget = pick(rng, -2 * spread - 1, 2 * spread);
        const PlaceOrder a(first, shared), b(second, shared);
        const Walked walked = walk(first, second, phase, budget);

        StepIndex index(a, b, {static_cast<std::int32_t>(shared), static_cast<std::int32_t>(phase)}, budget,
                        walked.steps.size());
        ASSERT_TRUE(index.usable());
        ASSERT_EQ(walked.steps.size(), index.size());
        ASSERT_EQ(walked.cycle, index.cycle());
        std::int32_t lowest = budget + 1;
        for (const StepIndex::Step& s : walked.steps)
            lowest = std::min(lowest, s.sum);
        EXPECT_EQ(lowest, index.lowest());
        ASSERT_FALSE(index.laidOutBySteps() && index.size() > 0);
        ASSERT_TRUE(sameSteps(walked.steps, index.bySteps()));
        EXPECT_TRUE(index.laidOutBySteps());

        // The step at which each pair of places that ever meet comes together.
        const std::size_t n2 = std::max<std::size_t>(1, second.size());
        for (std::uint32_t s = 0; s < walked.cycle; ++s)
            ASSERT_EQ(s, index.stepOf(s % static_cast<std::uint32_t>(first.size()),
                                      static_cast<std::uint32_t>((s + phase) % n2)));

        // Buckets dealt out from the layout by step, and, by an index of the same combinations
        // that has none yet, from one of its own that it does not keep.
        const auto modulus = static_cast<std::uint32_t>(pick(rng, 1, 12));
        index.fillBuckets(modulus);
        StepIndex bucketsFirst(a, b, {static_cast<std::int32_t>(shared), static_cast<std::int32_t>(phase)}, budget,
                               walked.steps.size());
        bucketsFirst.fillBuckets(modulus);
        EXPECT_FALSE(bucketsFirst.laidOutBySteps() && index.size() > 0);
        for (std::uint32_t r = 0; r < modulus; ++r) {
            std::vector<StepIndex::Step> expected;
            std::copy_if(walked.steps.begin(), walked.steps.end(), std::back_inserter(expected),
                         [&](const StepIndex::Step& s) { return s.step % modulus == r; });
            ASSERT_TRUE(sameSteps(expected, index.bucket(r))) << "bucket " << r << " of " << modulus;
            ASSERT_TRUE(sameSteps(expected, bucketsFirst.bucket(r))) << "bucket " << r << " of " << modulus;
        }
        ASSERT_TRUE(sameSteps(walked.steps, bucketsFirst.bySteps()));

        for (std::int32_t tighter = lowest - 1; tighter <= budget; ++tighter)
            for (std::uint32_t from = 0; from < walked.cycle; from += 1 + walked.cycle / 17)
                ASSERT_EQ(fewestSteps(walked, from, tighter), index.stepsFrom(from, tighter))
                    << "from " << from << " within " << tighter;
    }
}

// Long runs of combinations outside a tight budget, so that the search for the next one climbs
// the tree of blocks and comes down another branch; and around the end of the cycle.
TEST(StepIndexTest, StepsFromClimbsOverLongRunsOfLargeSums) {
    std::vector<std::int32_t> first(997, 5), second(1009, 5);
    first[3] = -5;
    second[500] = -5;
    first[900] = 0;
    const PlaceOrder a(first, 1), b(second, 1);
    StepIndex index(a, b, {1, 0}, 10, 1u << 20);
    const Walked walked = walk(first, second, 0, 10);
    ASSERT_EQ(walked.steps.size(), index.size());
    for (const std::int32_t budget : {-10, -5, 0, 5, 10})
        for (const std::uint32_t from : {0u, 1u, 3u, 4u, 500u, 123456u, walked.cycle - 1})
            ASSERT_EQ(fewestSteps(walked, from, budget), index.stepsFrom(from, budget)) << from << " " << budget;
    // An index beyond its limit is not usable.
    EXPECT_FALSE(StepIndex(a, b, {1, 0}, 10, 10).usable());
    // An index with no combination has nothing to step to.
    StepIndex empty(a, b, {1, 0}, -11, 1u << 20);
    EXPECT_EQ(0u, empty.size());
    EXPECT_EQ(-10, empty.lowest());
    EXPECT_EQ(std::nullopt, empty.stepsFrom(0, 100));
}

} // namespace
} // namespace ondulix::cycle
