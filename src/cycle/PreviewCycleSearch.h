#pragma once

#include "engine/PreviewCheck.h"
#include "engine/PreviewCycle.h"

#include <chrono>
#include <functional>
#include <optional>

namespace ondulix::cycle {

// Where the preview's sum first reaches its extremes and first passes each edge, over every frame
// the animation will ever reach (engine/PreviewCycle.h asks the question), with the exact range
// and verdict beside them.
//
// How it stays exact and fast. Table t's position repeats every P(t) = Length / gcd(Length,
// Speed) frames, so the cycle is lcm(P) frames, up to about 7 * 10^16 for four prime lengths near
// 16384: far too many to walk. Split the ticked tables into two groups of at most two, and let R
// be the common factors of the two groups' periods. Frames that agree modulo R (a root class) let
// each group run through its own states freely of the other (Chinese remainder theorem): frame
// r + R h shows one group at h modulo Q_A and the other at h modulo Q_B, Q_A and Q_B coprime.
// Within a group, once the frame is fixed modulo the factors its two tables share, each table
// shows any entry of one class of its entries. So the smallest and largest sums of a column in a
// root class are sums of class extremes, folded over the factors each group keeps to itself
// (ClassExtremes). Putting the tables whose periods share large factors into one group keeps R
// small; columns that see the same classes shifted share their folds.
//
// The FIRST frame where a sum is at most a threshold (an extreme, or past an edge; large sums are
// searched with the entries negated) is found by meeting in the middle (CrtSearch): the
// combinations of group A within the budget are indexed by the step h at which they come, so a
// column's frames in a root class come in rounds of Q_A steps, in each of which A shows each of
// its combinations once. Rounds are searched in frame order for all root classes and columns
// whose class extremes can reach the threshold, each in windows of growing size so that an early
// hit ends the search early, either through A's combinations in order, each checked against
// group B, or through the entries of one of B's tables that can still reach the threshold, each
// of which picks A's candidates from one bucket of the index. A root class whose rounds cost
// more than settling it outright is settled: each of A's combinations meets B within the budget
// first after the fewest rounds, one successor lookup in B's index. Where sums reach the threshold
// so often that the indexes would grow too large, the frames are walked one after the other, many
// columns at a time (FrameWalk). The split of the tables for a search is chosen by its estimated
// cost (SearchPlan). Where one column step to the right shows what column 0 shows D frames later
// (all speeds 1, say), column 0 is searched alone: every column sees column 0's sums, the last one
// soonest. bench/PreviewCycleBench.cpp holds the cases measured.
//
// The range and the verdict come from the class extremes alone, in a time that does not depend
// on where the sums first come; the first frames may take longer, so the search has a time
// budget, after which the first frames not yet found are left unsettled (the report says which).

// How long the search may run, and what it tells on the way.
struct SearchBudget {
    // Time after which the first frames not yet found are left unsettled; none: no limit.
    std::optional<std::chrono::steady_clock::duration> limit;
    // Called now and then while the search runs (about ten times a second, from the search's
    // thread), with the time spent so far and how many of the four first occurrences are settled.
    std::function<void(std::chrono::steady_clock::duration spent, int settled)> progress;
};

// Throws std::invalid_argument for input the frame cannot have (engine::CheckCycleInput).
engine::PreviewCycleReport SearchPreviewCycle(const engine::PreviewCycleInput& input, const SearchBudget& budget = {});

inline engine::PreviewCycleReport CheckPreview(const engine::TableSet& set, const engine::PreviewView& view,
                                               const engine::Participation& ticked, const SearchBudget& budget = {}) {
    return SearchPreviewCycle(engine::CycleInputOf(set, view, ticked), budget);
}

} // namespace ondulix::cycle
