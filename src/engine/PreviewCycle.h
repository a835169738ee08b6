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
// one below the bottom edge (greater than Ymax). Frame 0 is the first frame drawn from the start
// positions. Never draws and never reads a box.
//
// How it stays exact and fast. Table t's position repeats every P(t) = Length / gcd(Length,
// Speed) frames, so the cycle is lcm(P) frames, up to about 7 * 10^16 for four prime lengths near
// 16384: far too many to walk. Let M be the lcm of the pairwise gcds of the ticked periods (every
// prime to its second-highest power among them). Frames that agree modulo M (a frame class) let
// each table show any entry of one class of its entries, independently of the other tables, as
// the remaining factors of the periods are pairwise coprime (Chinese remainder theorem). So the
// smallest and largest sums are sums of per-class extremes, swept over every frame class of
// every column (columns that see the same classes shifted share one sweep).
//
// The FIRST frame where a sum is at most a threshold (an extreme, or past an edge; large sums are
// searched with the entries negated) is found by meeting in the middle, in cycle/CrtSearch.h: in
// a frame class m, frame m + M f' moves each table one place along its orbit per f'. The tables
// with a choice split into two groups; the places of the sparser group A that can still reach the
// threshold are indexed by the step at which they come (a CRT combination, linear in f'), so each
// column's candidate frames below M Q_A come in increasing order straight from the index and are
// checked directly, merged over columns and frame classes in frame order. If none hits, each
// candidate's next chance is one successor lookup in group B's index. Frame classes are visited
// lazily and only where their class extremes can reach the threshold. Where an index would grow
// too large (thresholds that are reached very often) the frames are walked, or B stepped through.
// Cost: the sweep is (frame classes M) x (columns, or fewer) x (tables) additions; a search is
// the index builds (at most a few hundred thousand combinations each) plus one check per
// candidate frame before the answer, or one lookup per candidate when the answer comes after
// frame M Q_A. See bench/PreviewCycleBench.cpp for the cases measured.
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
