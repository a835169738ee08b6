#pragma once

#include "engine/cycle/ColumnClasses.h"
#include "engine/cycle/MonotoneQueue.h"
#include "engine/cycle/ReachingClasses.h"
#include "engine/cycle/StepIndex.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <tuple>
#include <vector>

namespace ondulix::engine::cycle {

// How large the search's indexes may grow. Beyond them the tables reach the threshold so often
// that walking the frames, or stepping through them, finds the answer sooner; tests shrink the
// limits to reach those ways too.
struct SearchLimits {
    std::size_t mostIndexed = std::size_t{1} << 20;      // combinations in one index
    std::size_t mostIndexedInAll = std::size_t{1} << 24; // in all indexes of one search
};

// The first (frame, column) whose sum, with the entries taken with `sign`, is at most a
// threshold, over a cycle far too long to walk, by meeting in the middle.
//
// Frames that agree modulo the shared modulus M share every table's class; within the frame
// class m of a column, frame m + M f' moves each table with a choice one place along its orbit
// per f', and the orbit sizes are pairwise coprime. Those tables split into two groups, A (the
// sparser half) and B. Frame m + M f' shows A's combination at step f' + psi (mod Q_A, the
// product of A's orbit sizes), psi depending only on m and the column, so the f' below Q_A at
// which A can still reach the threshold are A's indexed steps read from psi on: in increasing
// order, without a search. Every hit with f' below Q_A is among them, so a merge of all frame
// classes' and columns' candidates in frame order, each checked directly, finds the first hit if
// it comes that early. Beyond, a hit is f' = a + Q_A u with a among them, and the fewest u that
// brings B within what A leaves is one successor lookup in B's index, laid out along the stride
// of M Q_A frames; the earliest of those per frame class is queued in frame order too.
//
// Frame classes come lazily and in order from ReachingClasses, so only classes whose smallest
// sum reaches the threshold, and only up to the answer, are ever set up.
class CrtSearch {
public:
    // A queue entry: a frame class of a column (kFrameClass), a frame known to be the first hit of
    // its frame class (kSettled), or the next candidate of cursor `level`.
    struct Node {
        std::uint64_t key = 0; // the frame
        std::int32_t column = 0;
        std::int32_t level = 0;
    };
    static constexpr std::int32_t kFrameClass = -1;
    static constexpr std::int32_t kSettled = -2;

    enum class Outcome { Found, None, TooLarge };

    // The queue is only borrowed, to reuse its memory.
    CrtSearch(std::span<const TickedTable> tables, std::uint64_t sharedModulus, Columns columns,
              const ColumnClasses& columnClasses, int sign, std::int32_t threshold, SearchLimits limits,
              MonotoneQueue<Node>& queue);

    // Runs to the answer, leaving it in hit(). TooLarge: A's index for some frame class would
    // outgrow the limits; its tables then reach the threshold so often that walking the frames is
    // the better way.
    Outcome run(const std::vector<std::int32_t>& representativeLow);

    Hit hit() const { return hit_; }

private:
    struct Group {
        std::vector<const TickedTable*> tables;
        std::vector<Orbits> orbits; // along the group's stride
        std::uint64_t stride = 1;   // frames per step of the group
        std::uint64_t cycle = 1;    // steps until the group's places repeat
        std::map<std::tuple<std::int32_t, std::int32_t, std::int32_t>, std::unique_ptr<StepIndex>> indexes;
    };

    // One frame class of one column, walking through A's steps from psi on.
    struct Cursor {
        std::uint64_t frameClass = 0;
        std::int32_t column = 0;
        std::int32_t constant = 0; // the tables without a choice, in this frame class and column
        const StepIndex* a = nullptr;
        std::uint32_t psi = 0;     // A's step in frame `frameClass`
        std::size_t first = 0;     // where psi falls among A's steps
        std::size_t next = 0;      // how many of them have been checked
    };

    void pushNextClass(std::int32_t column, std::uint64_t from);
    bool setUp(std::uint64_t frameClass, std::int32_t column);
    std::int32_t lowOf(const Group& group, std::uint64_t frameClass, std::int32_t x) const;
    const StepIndex* indexFor(Group& group, std::uint64_t frameClass, std::int32_t x, std::int32_t budget,
                              StepIndex::Use use);
    std::uint32_t stepIn(const Group& group, const StepIndex& index, std::uint64_t frame, std::int32_t x) const;
    std::uint64_t stepsOf(const Cursor& cursor, const StepIndex::Step& s) const;
    std::uint64_t frameOf(const Cursor& cursor) const;
    std::int32_t sumAt(std::uint64_t frame, std::int32_t column) const;
    std::int32_t candidateSum(const Cursor& cursor, std::uint64_t frame) const;
    void settleAfterA(const Cursor& cursor);
    std::optional<std::uint64_t> settleByIndex(const Cursor& cursor, const StepIndex& b) const;
    std::optional<std::uint64_t> settleByStepping(const Cursor& cursor) const;

    std::span<const TickedTable> tables_;
    std::uint64_t modulus_;
    Columns columns_;
    ColumnClasses columnClasses_;
    int sign_;
    std::int32_t threshold_;
    SearchLimits limits_;
    std::size_t indexed_ = 0; // combinations in all indexes so far
    ReachingClasses reaching_;
    Group a_;
    Group b_;
    std::vector<Cursor> cursors_;
    MonotoneQueue<Node>& queue_;
    Hit hit_;
};

} // namespace ondulix::engine::cycle
