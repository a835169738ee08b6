#pragma once

#include "cycle/LargeBuffer.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace ondulix::cycle {

// The places 0 .. n - 1 of n values in the order of their values, equal values in the order of
// their places.
std::vector<std::uint32_t> PlacesByValue(std::span<const std::int32_t> values);

// One table's places in one class, ordered for pairing: grouped by their remainder modulo the
// factor the group's two tables share, and by entry within each group. Without a table: one
// place worth 0.
class PlaceOrder {
public:
    PlaceOrder(std::span<const std::int32_t> values, std::uint32_t shared);

    std::span<const std::int32_t> values() const { return values_; }
    std::uint32_t size() const { return static_cast<std::uint32_t>(values_.size()); }
    std::span<const std::uint32_t> byValue() const { return byValue_; }
    std::span<const std::uint32_t> withRemainder(std::uint32_t r) const {
        return std::span(places_).subspan(starts_[r], starts_[r + 1] - starts_[r]);
    }

private:
    std::span<const std::int32_t> values_;
    std::vector<std::uint32_t> byValue_;
    std::vector<std::uint32_t> places_;
    std::vector<std::uint32_t> starts_;
};

// How the places of a group's two tables come together. Each step moves both tables one place
// along their orbits, of n1 and n2 places; `shared` = gcd(n1, n2). Places (i, j) come together
// only when j - i = phase (mod shared), then once every n1 n2 / shared steps.
struct Pairing {
    std::int32_t shared = 1;
    std::int32_t phase = 0; // 0 .. shared - 1
};

// The place combinations of no, one or two tables whose signed entries sum to at most a budget,
// as steps: combination (i, j) comes at the step s = i (mod n1), s = j - phase (mod n2), counted
// from places (0, phase). That map is linear: from places (a, b) the combination comes after
// step(i, j) - step(a, b) steps, modulo the cycle. A single table's step is its place; no table
// has one place worth 0.
//
// The combinations are counted when the index is made, and laid out when first asked for: by
// step, written straight into place by a second pass over the combinations, and into buckets by
// the step's remainder modulo some number, dealt out from a layout by step, which leaves each
// bucket in step order without sorting it.
class StepIndex {
public:
    // Plain data, so that the large buffers of them are not zeroed before being written.
    struct Step {
        std::uint32_t step;
        std::int32_t sum;
    };

    // The orders, and the pool its layouts take their memory from, if any, outlive the index. An
    // index of more than `most` combinations is not usable.
    StepIndex(const PlaceOrder& first, const PlaceOrder& second, Pairing pairing, std::int32_t budget,
              std::size_t most, BufferPool* pool = nullptr);

    bool usable() const { return usable_; }
    std::size_t size() const { return combinations_; }
    bool laidOutBySteps() const { return bySteps_.size() == combinations_; }
    std::uint32_t cycle() const { return firstSize_ / shared_ * secondSize_; }

    // The smallest sum of a combination, the budget + 1 where there is none.
    std::int32_t lowest() const { return lowest_; }

    // The step at which places i and j come together, from places 0 and phase.
    std::uint32_t stepOf(std::uint32_t i, std::uint32_t j) const;

    // Every combination within the budget, by step.
    const LargeBuffer<Step>& bySteps();

    // Lays the combinations out in buckets by their step's remainder modulo `modulus`, each by step,
    // from the layout by step, which is only kept if it was laid out before.
    void fillBuckets(std::uint32_t modulus);

    // The combinations whose step leaves the remainder `r` modulo the bucket modulus, by step.
    std::span<const Step> bucket(std::uint32_t r) const {
        return std::span(bucketed_).subspan(bucketStarts_[r], bucketStarts_[r + 1] - bucketStarts_[r]);
    }

    // The fewest steps from step `from` to a combination that sums to at most `budget`, through
    // the smallest sums of ranges of the combinations by step, in O(log size) whatever the budget.
    // Callers check each combination's sum, so an index within a looser budget will do.
    std::optional<std::uint32_t> stepsFrom(std::uint32_t from, std::int32_t budget);

private:
    // The combinations by step are looked through in blocks of this many: a shorter tree against
    // longer scans; a quarter or four times it moved no row of bench/run (ondulix_cycle_perf).
    static constexpr std::size_t kBlock = 16;

    std::optional<std::size_t> firstWithin(std::size_t from, std::int32_t budget) const;
    std::optional<std::size_t> firstBlockWithin(std::size_t block, std::int32_t budget) const;

    template <class Visit>
    void forEachCombination(Visit&& visit) const;
    void layOutBySteps(LargeBuffer<Step>& into, LargeBuffer<Step>& scratch) const;

    const PlaceOrder& first_;
    const PlaceOrder& second_;
    std::uint32_t firstSize_;
    std::uint32_t secondSize_;
    std::uint32_t shared_;
    std::uint32_t phase_;
    std::uint32_t inverse_; // of firstSize / shared modulo secondSize / shared
    std::int32_t budget_;
    LargeBufferAllocator<Step> memory_;
    std::size_t combinations_ = 0;
    std::int32_t lowest_ = 0;
    std::vector<std::uint32_t> reaching_; // the first table's places that can reach the budget, in order
    bool usable_ = false;
    LargeBuffer<Step> bySteps_;
    LargeBuffer<Step> bucketed_;
    std::vector<std::uint32_t> bucketStarts_;
    // The smallest sum of each aligned range of blocks of the combinations by step, as a binary
    // tree: node 1 covers them all, node k the ranges of nodes 2k and 2k + 1, node leaves_ + i
    // the i-th block.
    std::vector<std::int32_t> lowestIn_;
    std::size_t leaves_ = 0;
};

} // namespace ondulix::cycle
