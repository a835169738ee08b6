#pragma once

#include "engine/TableSet.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace ondulix::engine {

// Will the preview's sum ever leave its bounds? Answers exactly, over every frame the animation
// will ever reach, what the preview frame computes: column x of frame f sums, over the ticked
// tables t, entry (Position(t) + f * Speed(t) + x) mod Length(t); the y axis grows downward, so
// the frame lights lblpeakhigh for a sum above the top edge (less than Ymin) and lblpeaklow for
// one below the bottom edge (greater than Ymax). The smallest and largest sum alone, at a bounded
// cost, come from SumRange.h. Frame 0 is the first frame drawn from the start
// positions. Never draws and never reads a box.
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
// (cycle/ClassExtremes.h). Putting the tables whose periods share large factors into one group
// keeps R small; columns that see the same classes shifted share their folds.
//
// The FIRST frame where a sum is at most a threshold (an extreme, or past an edge; large sums are
// searched with the entries negated) is found by meeting in the middle, in cycle/CrtSearch.h: the
// combinations of group A within the budget are indexed by the step h at which they come, so a
// column's frames in a root class come in rounds of Q_A steps, in each of which A shows each of
// its combinations once. Rounds are searched in frame order for all root classes and columns
// whose class extremes can reach the threshold, each in windows of growing size so that an early
// hit ends the search early, either through A's combinations in order, each checked against
// group B, or through the entries of one of B's tables that can still reach the threshold, each
// of which picks A's candidates from one bucket of the index. A root class whose rounds cost
// more than settling it outright is settled: each of A's combinations meets B within the budget
// first after the fewest rounds, one successor lookup in B's index. Where sums reach the threshold
// so often that the indexes would grow too large, or many root classes reach it, the frames are
// walked one after the other, many columns at a time (cycle/FrameWalk.h). The split of the tables
// for a search is chosen by its estimated cost (cycle/SearchPlan.h). Where one column step to the
// right shows what column 0 shows D frames later (all speeds 1, say), column 0 is searched alone:
// every column sees column 0's sums, the last one soonest. See bench/PreviewCycleBench.cpp for the
// cases measured.
//
// Preconditions (checked; std::invalid_argument names the one broken): every Length within 1 to
// 16384; every ticked table with at least Length entries, each within +-2^22 so that a sum of
// four is exact in single precision; columnStep at
// least 1; lastColumn at most 16384. Speed and Position may be any value: only their remainders
// modulo Length matter.

// One table as the preview walks it.
struct PreviewCycleTable {
    std::span<const std::int32_t> entries; // entries 0 to Length - 1 are read; more may follow
    std::int32_t Length = 1;
    std::int32_t Speed = 0;    // entries per frame
    std::int32_t Position = 0; // the entry shown at x = 0 in frame 0, taken modulo Length
    bool ticked = false;       // its check box is ticked: it takes part in the sum
};

struct PreviewCycleInput {
    std::array<PreviewCycleTable, kTableCount> tables{};
    std::int32_t columnStep = 1; // the frame's g: columns x = 0, g, 2g, ...
    double lastColumn = 0.0;     // ... while x <= lastColumn (unrounded; negative: no column)
    // The edges as their boxes show them, which is what the frame compares with: a sum equal to
    // one is inside (y grows downward).
    double top = 0.0;    // Ymin
    double bottom = 0.0; // Ymax
};

// One column of one frame and the sum the frame computes there.
struct CycleSample {
    std::uint64_t frame = 0; // 0 is the first frame drawn from the start positions
    std::int32_t x = 0;      // the column: 0, g, 2g, ...
    std::int32_t sum = 0;

    friend bool operator==(const CycleSample&, const CycleSample&) = default;
};

// "First" is always the smallest frame, then the smallest column within it.
struct PreviewCycleReport {
    // Frames until all four positions, ticked or not, are back at their start together.
    std::uint64_t cycleFrames = 1;
    // The extremes of the sum with their first occurrence; absent only when there is no column.
    std::optional<CycleSample> smallest;
    std::optional<CycleSample> largest;
    // The first sum above the top edge (sum < top): the frame that lights lblpeakhigh.
    std::optional<CycleSample> firstPastTop;
    // The first sum below the bottom edge (sum > bottom, and not past the top edge, as the frame
    // tests the top first): the frame that lights lblpeaklow.
    std::optional<CycleSample> firstPastBottom;

    friend bool operator==(const PreviewCycleReport&, const PreviewCycleReport&) = default;
};

PreviewCycleReport AnalysePreviewCycle(const PreviewCycleInput& input);

} // namespace ondulix::engine
