#include "cycle/SearchPlan.h"

#include "cycle/CycleMath.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <optional>

namespace ondulix::cycle {
namespace {

// Root moduli larger than the class extremes' are only tried up to this many root classes: it
// bounds the planning and the cursors a split can ask for; a quarter or four times it moved no
// row of bench/run (ondulix_cycle_perf, as for every constant here).
constexpr std::uint64_t kMostRootClasses = std::uint64_t{1} << 16;

// A cursor costs about this much to set up beyond its round: looking up its indexes and where
// its tables stand, about a microsecond. It ranks splits of many root classes against splits of
// large indexes: four times it sends primes_full_amplitude to a split 1.9 times slower.
constexpr double kCursorCost = 1000.0;

// Searches are costed over at most this many frames: hits expected early against hits expected
// late; a quarter or four times it moved no row.
constexpr double kHorizon = 1 << 24;

// A round through C's entries costs about this much per entry that can reach the threshold: two
// looks into the buckets and the candidates found there; a quarter or four times it moved no row.
constexpr double kCostPerEntryOfC = 6.0;

// A cursor is costed for at least this share of a round, even where the horizon ends sooner:
// the first window it searches; a quarter of it moved no row.
constexpr double kLeastShareOfRound = 1.0 / 1024;

// What indexing a group costs: its combinations within the budget per index, the number of
// indexes (class combinations and phases), the places of its tables and its cycle.
struct Index {
    double combinations = 1.0;
    double classes = 1.0;
    double places = 0.0;
    double steps = 1.0;
};

struct Option {
    const TableGroups* split = nullptr;
    std::size_t groupA = 0;
    bool indexFits = false;
    double cost = std::numeric_limits<double>::infinity();
    double cursors = 0.0;

    bool operator<(const Option& o) const { return indexFits != o.indexFits ? indexFits : cost < o.cost; }
};

} // namespace

SearchPlan PlanSearch(const engine::PreviewCycleInput& input, std::span<const TableGroups> splits, const SearchGoal& goal,
                      const SearchLimits& limits) {
    std::vector<const engine::PreviewCycleTable*> ticked;
    for (const engine::PreviewCycleTable& t : input.tables)
        if (t.ticked)
            ticked.push_back(&t);
    const auto entriesOf = [&](std::size_t t) {
        return ticked[t]->entries.first(static_cast<std::size_t>(ticked[t]->Length));
    };
    std::vector<std::int32_t> lowest;
    for (std::size_t t = 0; t < ticked.size(); ++t) {
        const auto [low, high] = std::minmax_element(entriesOf(t).begin(), entriesOf(t).end());
        lowest.push_back(goal.sign > 0 ? *low : -*high);
    }
    const std::int32_t allLowest = std::accumulate(lowest.begin(), lowest.end(), 0);
    // Each table's signed entries that can still reach the threshold when the others are at
    // their lowest, ascending, and their share of its entries.
    std::vector<std::vector<std::int32_t>> reachingEntries(ticked.size());
    std::vector<double> reach;
    for (std::size_t t = 0; t < ticked.size(); ++t) {
        const std::int32_t budget = goal.threshold - (allLowest - lowest[t]);
        for (const std::int32_t e : entriesOf(t))
            if (goal.sign * e <= budget)
                reachingEntries[t].push_back(goal.sign * e);
        std::sort(reachingEntries[t].begin(), reachingEntries[t].end());
        reach.push_back(static_cast<double>(reachingEntries[t].size()) / ticked[t]->Length);
    }
    // The share of a pair's pairs of entries that can reach the threshold with the others at their
    // lowest.
    const auto pairReachOf = [&](std::size_t t, std::size_t u) {
        const std::int32_t budget = goal.threshold - (allLowest - lowest[t] - lowest[u]);
        const std::vector<std::int32_t>&e = reachingEntries[t], &f = reachingEntries[u];
        double count = 0.0;
        for (std::size_t k = 0, reaching = f.size(); k < e.size(); ++k) {
            while (reaching > 0 && e[k] + f[reaching - 1] > budget)
                --reaching;
            count += static_cast<double>(reaching);
        }
        return count / ticked[t]->Length / ticked[u]->Length;
    };

    // The frames a search is costed over: its answer may come anywhere in the cycle, but the
    // cost of a split mostly depends on how fast it gets through the frames.
    std::uint64_t cycle = 1;
    for (const engine::PreviewCycleTable* t : ticked)
        cycle = lcmOf(cycle, static_cast<std::uint64_t>(Motion(*t).period));
    const double horizon = std::min(static_cast<double>(cycle), kHorizon);

    Option best;
    for (const TableGroups& split : splits) {
        const std::uint64_t root = split.rootModulus;
        if (root != goal.extremesRoot && root > kMostRootClasses)
            continue;
        const double cursors = root == goal.extremesRoot
                                   ? static_cast<double>(goal.reachingClasses)
                                   : static_cast<double>(goal.reachingColumns) * static_cast<double>(root);
        const auto choicesOf = [&](std::size_t t) {
            const auto period = static_cast<std::uint64_t>(Motion(*ticked[t]).period);
            return static_cast<double>(period / std::gcd(period, root));
        };
        const auto choosing = [&](std::size_t g) {
            std::vector<std::size_t> members;
            for (const std::size_t t : split.members[g])
                if (choicesOf(t) > 1)
                    members.push_back(t);
            return members;
        };
        const auto indexOf = [&](const std::vector<std::size_t>& group) {
            Index index;
            for (const std::size_t t : group) {
                index.classes *= ticked[t]->Length / choicesOf(t);
                index.places += choicesOf(t);
                index.steps *= choicesOf(t);
            }
            if (group.size() == 2) {
                const double shared = static_cast<double>(std::gcd(static_cast<std::uint64_t>(choicesOf(group[0])),
                                                                   static_cast<std::uint64_t>(choicesOf(group[1]))));
                index.combinations = std::max(1.0, pairReachOf(group[0], group[1]) * index.steps / shared);
                index.classes *= shared; // the phases between the two
                index.steps /= shared;
            } else if (group.size() == 1) {
                index.combinations = std::max(1.0, reach[group[0]] * index.steps);
            }
            return index;
        };
        for (std::size_t groupA = 0; groupA < 2; ++groupA) {
            const std::vector<std::size_t> a = choosing(groupA), b = choosing(1 - groupA);
            if (a.empty() && !b.empty())
                continue;
            const Index indexA = indexOf(a), indexB = indexOf(b);
            double throughC = indexA.combinations;
            if (!b.empty()) {
                const std::size_t c = reach[b.back()] < reach[b.front()] ? b.back() : b.front();
                throughC = reach[c] * choicesOf(c) * kCostPerEntryOfC;
            }
            // A cursor's rounds over the horizon, or settling it once they cost more, which needs
            // B's indexes.
            const double round = std::min(indexA.combinations, throughC);
            const double rounds = std::max(horizon / static_cast<double>(root) / indexA.steps, kLeastShareOfRound);
            const double settle = indexA.combinations * (1.0 + std::log2(1.0 + indexB.combinations)) + round;
            const bool settles = round * rounds > settle;
            // A's indexes differ by the classes of its tables and by their budget, which the
            // classes of the other tables set.
            double otherClasses = 1.0;
            for (const std::size_t t : split.members[1 - groupA])
                otherClasses *= ticked[t]->Length / choicesOf(t);
            for (const std::size_t t : split.members[groupA])
                if (choicesOf(t) == 1)
                    otherClasses *= ticked[t]->Length;
            const double indexesA = std::min(cursors, indexA.classes * otherClasses);
            Option option{&split, groupA, indexA.combinations <= static_cast<double>(limits.mostIndexed)};
            option.cursors = cursors;
            option.cost = indexesA * (indexA.combinations + indexA.places) +
                          cursors * (std::min(round * rounds, settle) + kCursorCost) +
                          (settles ? std::min(cursors, indexB.classes) * (indexB.combinations + indexB.places) : 0.0);
            if (option < best)
                best = option;
        }
    }

    SearchPlan plan;
    plan.cost = best.cost;
    plan.cursors = best.cursors;
    plan.rootModulus = best.split->rootModulus;
    for (const engine::PreviewCycleTable* t : ticked)
        plan.tables.emplace_back(*t, plan.rootModulus);
    for (std::size_t g = 0; g < 2; ++g)
        for (const std::size_t t : best.split->members[g == 0 ? best.groupA : 1 - best.groupA])
            (plan.tables[t].choices == 1 ? plan.constants : g == 0 ? plan.a : plan.b).push_back(t);
    if (plan.b.size() == 2 && reach[plan.b[1]] < reach[plan.b[0]])
        std::swap(plan.b[0], plan.b[1]);
    return plan;
}

} // namespace ondulix::cycle
