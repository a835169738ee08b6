#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace ondulix::engine::cycle {

// The place combinations of no, one or two tables whose signed entries sum to at most a budget,
// as steps. Both tables move one place along their orbits per step and the orbit sizes are
// coprime, so the combination of places (i, j) comes once per cycle, at step CRT(i, j) counted
// from places (0, 0). That map is linear: from places (a, b) the combination comes after
// CRT(i, j) - CRT(a, b) steps, modulo the cycle. A single table's step is its place; no table
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

    StepIndex(std::span<const std::int32_t> first, std::span<const std::int32_t> second, std::int32_t budget, Use use,
              std::size_t most);

    bool usable() const { return usable_; }
    std::size_t size() const { return bySteps_.size() + steps_.size(); }
    std::uint32_t cycle() const { return firstSize_ * secondSize_; }

    // The step at which places i and j come together, from places 0 and 0.
    std::uint32_t stepOf(std::uint32_t i, std::uint32_t j) const;

    // The fewest steps from step `from` to a combination that sums to at most `budget`.
    std::optional<std::uint32_t> stepsFrom(std::uint32_t from, std::int32_t budget) const;

    // Every combination within the budget, by step.
    const std::vector<Step>& bySteps() const { return bySteps_; }

private:
    // A budget spread over more sums than this is not worth indexing for successors.
    static constexpr std::size_t kMostSums = 64;

    std::size_t level(std::int32_t sum) const;

    std::uint32_t firstSize_;
    std::uint32_t secondSize_;
    std::uint32_t inverse_; // of firstSize modulo secondSize
    std::vector<Step> bySteps_;
    std::vector<std::int32_t> sums_;
    std::vector<std::size_t> starts_; // steps_[starts_[k] .. starts_[k + 1]) have sum sums_[k]
    std::vector<std::uint32_t> steps_;
    bool usable_ = false;
};

} // namespace ondulix::engine::cycle
