#include "engine/cycle/StepIndex.h"

#include "engine/cycle/CycleMath.h"

#include <algorithm>
#include <array>
#include <numeric>

namespace ondulix::engine::cycle {
namespace {

std::vector<std::uint32_t> byValue(std::span<const std::int32_t> values) {
    std::vector<std::uint32_t> order(values.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return values[a] < values[b]; });
    return order;
}

// Steps are below 2^28: three passes of ten bits.
void radixSortBySteps(std::vector<StepIndex::Step>& steps) {
    std::vector<StepIndex::Step> other(steps.size());
    for (unsigned shift = 0; shift < 30; shift += 10) {
        std::array<std::size_t, 1025> place{};
        for (const StepIndex::Step& s : steps)
            ++place[((s.step >> shift) & 1023u) + 1];
        for (std::size_t b = 1; b < place.size(); ++b)
            place[b] += place[b - 1];
        for (const StepIndex::Step& s : steps)
            other[place[(s.step >> shift) & 1023u]++] = s;
        steps.swap(other);
    }
}

} // namespace

StepIndex::StepIndex(std::span<const std::int32_t> first, std::span<const std::int32_t> second, std::int32_t budget,
                     Use use, std::size_t most)
    : firstSize_(first.empty() ? 1u : static_cast<std::uint32_t>(first.size())),
      secondSize_(second.empty() ? 1u : static_cast<std::uint32_t>(second.size())),
      inverse_(static_cast<std::uint32_t>(inverseOf(firstSize_ % secondSize_, secondSize_))) {
    const std::array<std::int32_t, 1> none{0};
    if (first.empty())
        first = none;
    if (second.empty())
        second = none;
    const std::vector<std::uint32_t> firstOrder = byValue(first), secondOrder = byValue(second);
    // Count first: loose budgets combine too much to index.
    std::size_t combinations = 0;
    std::size_t reach = secondOrder.size();
    for (const std::uint32_t i : firstOrder) {
        while (reach > 0 && first[i] + second[secondOrder[reach - 1]] > budget)
            --reach;
        combinations += reach;
    }
    if (combinations > most)
        return;
    // CRT(i, j) = i + firstSize * ((j - i) * inverse mod secondSize): with each place's share
    // worked out once, a combination costs a subtraction instead of three divisions.
    std::vector<std::uint32_t> firstShare(first.size()), secondShare(second.size());
    for (std::size_t i = 0; i < first.size(); ++i)
        firstShare[i] = static_cast<std::uint32_t>(i % secondSize_ * std::uint64_t{inverse_} % secondSize_);
    for (std::size_t j = 0; j < second.size(); ++j)
        secondShare[j] = static_cast<std::uint32_t>(j * std::uint64_t{inverse_} % secondSize_);
    std::vector<Step> steps;
    steps.reserve(combinations);
    for (const std::uint32_t i : firstOrder)
        for (const std::uint32_t j : secondOrder) {
            if (first[i] + second[j] > budget)
                break;
            const std::uint32_t turns = secondShare[j] >= firstShare[i] ? secondShare[j] - firstShare[i]
                                                                        : secondShare[j] + secondSize_ - firstShare[i];
            steps.push_back({i + firstSize_ * turns, first[i] + second[j]});
        }
    radixSortBySteps(steps);
    if (use == Use::Enumeration) {
        bySteps_ = std::move(steps);
        usable_ = true;
        return;
    }
    // Per sum, its steps in order: a stable split of the sorted steps.
    for (const Step& s : steps)
        if (std::find(sums_.begin(), sums_.end(), s.sum) == sums_.end()) {
            if (sums_.size() == kMostSums)
                return;
            sums_.push_back(s.sum);
        }
    std::sort(sums_.begin(), sums_.end());
    std::vector<std::size_t> fill(sums_.size() + 1, 0);
    for (const Step& s : steps)
        ++fill[level(s.sum) + 1];
    for (std::size_t k = 1; k < fill.size(); ++k)
        fill[k] += fill[k - 1];
    starts_ = fill;
    steps_.resize(steps.size());
    for (const Step& s : steps)
        steps_[fill[level(s.sum)]++] = s.step;
    usable_ = true;
}

std::uint32_t StepIndex::stepOf(std::uint32_t i, std::uint32_t j) const {
    const std::uint64_t gap = (j + secondSize_ - i % secondSize_) % secondSize_;
    return i + firstSize_ * static_cast<std::uint32_t>(gap * inverse_ % secondSize_);
}

std::optional<std::uint32_t> StepIndex::stepsFrom(std::uint32_t from, std::int32_t budget) const {
    std::optional<std::uint32_t> best;
    for (std::size_t k = 0; k < sums_.size() && sums_[k] <= budget; ++k) {
        const auto begin = steps_.begin() + static_cast<std::ptrdiff_t>(starts_[k]);
        const auto end = steps_.begin() + static_cast<std::ptrdiff_t>(starts_[k + 1]);
        const auto next = std::lower_bound(begin, end, from);
        const std::uint32_t steps = next != end ? *next - from : *begin + cycle() - from;
        best = std::min(best.value_or(steps), steps);
    }
    return best;
}

std::size_t StepIndex::level(std::int32_t sum) const {
    return static_cast<std::size_t>(std::lower_bound(sums_.begin(), sums_.end(), sum) - sums_.begin());
}

} // namespace ondulix::engine::cycle
