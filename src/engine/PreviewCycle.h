#pragma once

#include "engine/TableSet.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace ondulix::engine {

// Will the preview's sum ever leave its bounds? Answers exactly, over every frame the animation
// will ever reach, what the preview frame computes: column x of frame f sums, over the ticked
// tables t, entry (Position(t) + f * Speed(t) + x) mod Length(t), and the frame lights
// lblpeakhigh for a sum below the top edge and lblpeaklow for one below the bottom edge. Frame 0
// is the first frame drawn from the start positions. Never draws and never reads a box.
//
// How it stays exact and fast. Table t's position repeats every P(t) = Length / gcd(Length,
// Speed) frames, so the cycle is lcm(P) frames, up to about 7 * 10^16 for four prime lengths near
// 16384: far too many to walk. Let M be the product, over primes p, of the second-highest power of
// p among the ticked periods (equivalently the lcm of their pairwise gcds). Given m = f mod M, f
// mod P(t) may be any residue congruent to m modulo gcd(P(t), M), independently for every table
// (the remaining factors are pairwise coprime: Chinese remainder theorem). So for a fixed column
// and frame class m each table contributes an independent choice from its class, and the
// smallest and largest sums are sums of per-class extremes.
//
// Finding the FIRST frame where a sum is at most a threshold (an extreme, or past an edge; large
// sums are searched with the entries negated) is a best-first search over a tree: the root of a
// column has a node per frame class m; a node at depth j has fixed the residues of the first j
// tables (in an order chosen once), which pins the frame modulo a growing modulus, and its key is
// the smallest frame with those residues. A node is cut when even the smallest entries of the
// free tables' classes cannot reach the threshold, and is a hit, without descending, when even
// their largest entries reach it (every frame below it passes, and its key is the first).
// Entries are popped in (frame, column) order, so the first hit popped is the answer. The
// children of a node, in increasing frame order, walk the next table's entries along a fixed
// stride (an orbit); a segment tree over each orbit finds the next child that can still reach the
// threshold in O(log Length), so only children that survive the bound and lie before the answer
// are ever touched. Cost: one pass over M * columns * tables for the extremes and the first
// level, plus O(log Length) per surviving node whose key is below the answer; see the benchmarks
// for the worst cases constructed.
//
// Preconditions (checked; std::invalid_argument names the one broken): every Length within 1 to
// 16384; every ticked table with at least Length entries, each within +-2^22 so that a sum of
// four is exact in single precision, where the frame compares it with the edges; columnStep at
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
    float top = 0.0f;            // the top edge, Ymin (y grows downward)
    float bottom = 0.0f;         // top + height, added in single precision as the frame does
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
