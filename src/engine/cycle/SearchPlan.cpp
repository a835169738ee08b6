#include "engine/cycle/SearchPlan.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <optional>

namespace ondulix::engine::cycle {
namespace {

// Root moduli larger than the class extremes' are only tried up to this many root classes.
constexpr std::uint64_t kMostRootClasses = std::uint64_t{1} << 16;

// A cursor costs about this much to set up beyond its round.
constexpr double kCursorCost = 32.0;

// Where A's cycle is shorter than this many steps, a search is likely to settle its cursors.
constexpr double kLikelySettled = 1 << 20;

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

    bool operator<(const Option& o) const { return indexFits != o.indexFits ? indexFits : cost < o.cost; }
};

} // namespace

SearchPlan PlanSearch(const PreviewCycleInput& input, std::span<const TableGroups> splits, const SearchGoal& goal,
                      const SearchLimits& limits) {
    std::vector<const PreviewCycleTable*> ticked;
    for (const PreviewCycleTable& t : input.tables)
        if (t.ticked)
            ticked.push_back(&t);
    // The share of each table's entries that can still reach the threshold when the others are
    // at their lowest.
    const auto entriesOf = [](const PreviewCycleTable* t) {
        return t->entries.first(static_cast<std::size_t>(t->Length));
    };
    std::vector<std::int32_t> lowest;
    for (const PreviewCycleTable* t : ticked) {
        const auto e = entriesOf(t);
        lowest.push_back(goal.sign > 0 ? *std::min_element(e.begin(), e.end())
                                       : -*std::max_element(e.begin(), e.end()));
    }
    const std::int32_t allLowest = std::accumulate(lowest.begin(), lowest.end(), 0);
    std::vector<double> reach;
    for (std::size_t t = 0; t < ticked.size(); ++t) {
        const std::int32_t budget = goal.threshold - (allLowest - lowest[t]);
        const auto e = entriesOf(ticked[t]);
        reach.push_back(static_cast<double>(std::count_if(e.begin(), e.end(), [&](std::int32_t v) {
                            return goal.sign * v <= budget;
                        })) /
                        ticked[t]->Length);
    }

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
        // What indexing a group costs: its combinations within the budget per index, the number
        // of indexes (class combinations and phases), and the places to sort for them.
        const auto indexOf = [&](const std::vector<std::size_t>& group) {
            double shared = 1.0;
            if (group.size() == 2)
                shared = static_cast<double>(std::gcd(static_cast<std::uint64_t>(choicesOf(group[0])),
                                                      static_cast<std::uint64_t>(choicesOf(group[1]))));
            Index index{1.0 / shared, shared, 0.0, 1.0 / shared};
            for (const std::size_t t : group) {
                index.combinations *= std::max(1.0, reach[t] * choicesOf(t));
                index.classes *= ticked[t]->Length / choicesOf(t);
                index.places += choicesOf(t);
                index.steps *= choicesOf(t);
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
                throughC = reach[c] * choicesOf(c) * 6.0;
            }
            // Settling needs B's indexes; the shorter A's cycle, the likelier a search settles.
            const double settling = std::min(1.0, kLikelySettled / indexA.steps);
            Option option{&split, groupA, indexA.combinations <= static_cast<double>(limits.mostIndexed)};
            option.cost = std::min(cursors, indexA.classes) * (indexA.combinations + indexA.places) +
                          cursors * (std::min(indexA.combinations, throughC) + kCursorCost) +
                          settling * std::min(cursors, indexB.classes) * (indexB.combinations + indexB.places);
            if (option < best)
                best = option;
        }
    }

    SearchPlan plan;
    plan.rootModulus = best.split->rootModulus;
    for (const PreviewCycleTable* t : ticked)
        plan.tables.emplace_back(*t, plan.rootModulus);
    for (std::size_t g = 0; g < 2; ++g)
        for (const std::size_t t : best.split->members[g == 0 ? best.groupA : 1 - best.groupA])
            (plan.tables[t].choices == 1 ? plan.constants : g == 0 ? plan.a : plan.b).push_back(t);
    if (plan.b.size() == 2 && reach[plan.b[1]] < reach[plan.b[0]])
        std::swap(plan.b[0], plan.b[1]);
    return plan;
}

} // namespace ondulix::engine::cycle
