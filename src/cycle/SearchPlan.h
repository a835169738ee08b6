#pragma once

#include "engine/PreviewCycle.h"
#include "cycle/Columns.h"
#include "cycle/TableGroups.h"
#include "cycle/TickedTable.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace ondulix::cycle {

// How large the search's indexes may grow, how many root classes it sets up at once, how many
// class extremes the analysis keeps for the searches, and how far a walk of the frames ahead of a
// search may go. Beyond the index limits the tables reach the threshold so often that walking the
// frames, or stepping through them, finds the answer sooner; tests shrink the limits to reach
// those ways too.
struct SearchLimits {
    std::size_t mostIndexed = std::size_t{1} << 20;      // combinations in one index
    std::size_t mostIndexedInAll = std::size_t{1} << 24; // in all indexes of one search
    std::size_t cursorsAtOnce = std::size_t{1} << 14;    // root classes of columns searched together
    std::size_t foldsKept = std::size_t{1} << 24;        // entries of class extremes kept for the searches
    // Column sums a walk ahead of a search adds at most, a block of frames passed over costing a
    // frame's: the time a fruitless walk loses, about a millisecond, against hits it finds sooner
    // than the search. A quarter of it makes wide_group_a (bench/run, ondulix_cycle_perf) 80 times
    // slower, its walk adding 2 million; four times it twice_primes_amplitude_16 1.1 times slower.
    std::size_t walkAhead = std::size_t{1} << 22;
};

// What a search is after, and what the class extremes say about it.
struct SearchGoal {
    int sign = 1;
    std::int32_t threshold = 0;
    std::uint64_t extremesRoot = 1;     // the root modulus of the class extremes
    std::uint64_t reachingClasses = 0;  // their root classes of columns that reach the threshold
    std::int32_t reachingColumns = 0;   // columns that reach it
};

// How one search splits the ticked tables: the root modulus, group A (the tables its index
// combines), group B (C first, the table a round is searched through, then D) and the tables
// without a choice in a root class. Any split of the tables into two groups will do; the plan
// takes the one whose index builds and rounds are estimated to cost least. Indexes multiply with
// the classes of A's tables, which a speed sharing factors with the length, or a root modulus
// sharing factors with the period, makes many; rounds with the root classes.
struct SearchPlan {
    double cost = 0.0;    // estimated, in additions and lookups
    double cursors = 0.0; // root classes of columns set up, each counted in the cost as a microsecond
    std::uint64_t rootModulus = 1;
    std::vector<TickedTable> tables; // the ticked tables, classes with respect to the root modulus
    std::vector<std::size_t> a;
    std::vector<std::size_t> b;
    std::vector<std::size_t> constants;
};

SearchPlan PlanSearch(const engine::PreviewCycleInput& input, std::span<const TableGroups> splits, const SearchGoal& goal,
                      const SearchLimits& limits);

} // namespace ondulix::cycle
