#pragma once

#include "engine/TableSet.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace ondulix::engine {

// Will the preview's sum ever leave its bounds? The question, over every frame the animation
// will ever reach, of what the preview frame computes: column x of frame f sums, over the ticked
// tables t, entry (Position(t) + f * Speed(t) + x) mod Length(t); the y axis grows downward, so
// the frame lights lblpeakhigh for a sum above the top edge (less than Ymin) and lblpeaklow for
// one below the bottom edge (greater than Ymax). Frame 0 is the first frame drawn from the start
// positions. The smallest and largest sum, and so the verdict, come at a bounded cost from
// SumRange.h; the search for the answer's first frames is in src/cycle (cycle/PreviewCycleSearch.h).
//
// Valid input (CheckCycleInput; std::invalid_argument names the rule broken): every Length within
// 1 to 16384; every ticked table with at least Length entries, each within +-2^22 so that a sum
// of four is exact in single precision; columnStep at least 1; lastColumn at most 16384. Speed and Position may be any value: only their
// remainders modulo Length matter.

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
    // The extremes of the sum with their first occurrence; absent only when there is no column,
    // or when the search ran out of time before settling where they first come (see unsettled).
    std::optional<CycleSample> smallest;
    std::optional<CycleSample> largest;
    // The first sum above the top edge (sum < top): the frame that lights lblpeakhigh.
    std::optional<CycleSample> firstPastTop;
    // The first sum below the bottom edge (sum > bottom, and not past the top edge, as the frame
    // tests the top first): the frame that lights lblpeaklow.
    std::optional<CycleSample> firstPastBottom;

    // The smallest and largest sum and whether each edge is passed at all: exact, whether or not
    // the first frames above were settled. The sums are absent only when there is no column.
    std::optional<std::int32_t> smallestSum;
    std::optional<std::int32_t> largestSum;
    bool passesTop = false;
    bool passesBottom = false;

    // The first occurrences that the search left unsettled when its time ran out: each of them
    // happens, but its sample above is absent.
    struct Unsettled {
        bool smallest = false;
        bool largest = false;
        bool pastTop = false;
        bool pastBottom = false;

        bool any() const { return smallest || largest || pastTop || pastBottom; }
        friend bool operator==(const Unsettled&, const Unsettled&) = default;
    };
    Unsettled unsettled;

    friend bool operator==(const PreviewCycleReport&, const PreviewCycleReport&) = default;
};

// Throws std::invalid_argument, naming the rule, for input the frame cannot have.
void CheckCycleInput(const PreviewCycleInput& input);

// The columns the frame draws: x = 0, columnStep, ... up to lastColumn; 0 for none.
std::int32_t ColumnCount(const PreviewCycleInput& input);

// Frames until all four positions, ticked or not, are back at their start together.
std::uint64_t CycleFrames(const PreviewCycleInput& input);

// The frame tests sum < top first, then sum > bottom. Sums are whole, so each test is a
// whole-number limit: the largest sum past the top edge (minus infinity for none) and the
// smallest past the bottom edge that is not already past the top one (infinity for none).
double LargestPastTop(double top);
double SmallestPastBottom(double top, double bottom);

} // namespace ondulix::engine
