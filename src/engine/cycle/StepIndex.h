#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace ondulix::engine::cycle {

// How the places of a group's two tables come together. Each step moves both tables one place
// along their orbits, of n1 and n2 places; `shared` = gcd(n1, n2). Places (i, j) come together
// only when j - i = phase (mod shared), then once every n1 n2 / shared steps.
struct Pairing {
    std::int32_t shared = 1;
    std::int32_t phase = 0; // 0 .. shared - 1
};

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

// The place combinations of no, one or two tables whose signed entries sum to at most a budget,
// as steps: combination (i, j) comes at the step s = i (mod n1), s = j - phase (mod n2), counted
// from places (0, phase). That map is linear: from places (a, b) the combination comes after
// step(i, j) - step(a, b) steps, modulo the cycle. A single table's step is its place; no table
// has one place worth 0.
class StepIndex {
public:
    struct Step {
        std::uint32_t step = 0;
        std::int32_t sum = 0;
    };

    // Enumeration keeps every combination by step; Successors keeps the steps of each sum apart,
    // for stepsFrom. An index that would hold more than `most` combinations is not built.
    enum class Use { Enumeration, Successors };

    StepIndex(const PlaceOrder& first, const PlaceOrder& second, Pairing pairing, std::int32_t budget, Use use,
              std::size_t most);

    bool usable() const { return usable_; }
    std::size_t size() const { return bySteps_.size() + steps_.size(); }
    std::uint32_t cycle() const { return firstSize_ / shared_ * secondSize_; }

    // The step at which places i and j come together, from places 0 and phase.
    std::uint32_t stepOf(std::uint32_t i, std::uint32_t j) const;

    // The fewest steps from step `from` to a combination that sums to at most `budget`.
    std::optional<std::uint32_t> stepsFrom(std::uint32_t from, std::int32_t budget) const;

    // Every combination within the budget, by step.
    const std::vector<Step>& bySteps() const { return bySteps_; }

    // Sorts the combinations into buckets by their step's remainder modulo `modulus`, once.
    void fillBuckets(std::uint32_t modulus);

    // The combinations whose step leaves the remainder `r` modulo the bucket modulus, by step.
    std::span<const Step> bucket(std::uint32_t r) const {
        return std::span(bucketed_).subspan(bucketStarts_[r], bucketStarts_[r + 1] - bucketStarts_[r]);
    }

private:
    // A budget spread over more sums than this is not worth indexing for successors.
    static constexpr std::size_t kMostSums = 64;

    std::size_t level(std::int32_t sum) const;
    void splitBySums(const std::vector<Step>& steps);

    std::uint32_t firstSize_;
    std::uint32_t secondSize_;
    std::uint32_t shared_;
    std::uint32_t phase_;
    std::uint32_t inverse_; // of firstSize / shared modulo secondSize / shared
    std::vector<Step> bySteps_;
    std::vector<Step> bucketed_; // empty until asked for
    std::vector<std::uint32_t> bucketStarts_;
    std::vector<std::int32_t> sums_;
    std::vector<std::size_t> starts_; // steps_[starts_[k] .. starts_[k + 1]) have sum sums_[k]
    std::vector<std::uint32_t> steps_;
    bool usable_ = false;
};

} // namespace ondulix::engine::cycle
