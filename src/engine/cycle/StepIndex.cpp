#include "engine/cycle/StepIndex.h"

#include "engine/cycle/CycleMath.h"

#include <algorithm>
#include <array>
#include <bit>
#include <numeric>

namespace ondulix::engine::cycle {
namespace {

// The one place worth 0 of a missing table.
constexpr std::array<std::int32_t, 1> kNoTable{0};

} // namespace

PlaceOrder::PlaceOrder(std::span<const std::int32_t> values, std::uint32_t shared)
    : values_(values.empty() ? std::span<const std::int32_t>(kNoTable) : values), byValue_(values_.size()) {
    std::iota(byValue_.begin(), byValue_.end(), 0u);
    std::stable_sort(byValue_.begin(), byValue_.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return values_[a] < values_[b]; });
    starts_.assign(static_cast<std::size_t>(shared) + 1, 0);
    for (const std::uint32_t place : byValue_)
        ++starts_[place % shared + 1];
    std::partial_sum(starts_.begin(), starts_.end(), starts_.begin());
    std::vector<std::uint32_t> fill(starts_.begin(), starts_.end() - 1);
    places_.resize(byValue_.size());
    for (const std::uint32_t place : byValue_)
        places_[fill[place % shared]++] = place;
}

StepIndex::StepIndex(const PlaceOrder& firstOrder, const PlaceOrder& secondOrder, Pairing pairing,
                     std::int32_t budget, Use use, std::size_t most)
    : firstSize_(firstOrder.size()), secondSize_(secondOrder.size()),
      shared_(static_cast<std::uint32_t>(pairing.shared)), phase_(static_cast<std::uint32_t>(pairing.phase)),
      inverse_(static_cast<std::uint32_t>(inverseOf(firstSize_ / shared_, secondSize_ / shared_))) {
    const std::span<const std::int32_t> first = firstOrder.values(), second = secondOrder.values();
    // The first table's places that can reach the budget with the second's smallest entry, in
    // the order of their entries; and for each, the second's places that complete it within the
    // budget: those j with j - phase = i (mod shared), in the order of their entries.
    const std::int32_t secondLowest = second[secondOrder.byValue().front()];
    const std::span<const std::uint32_t> firstByValue = firstOrder.byValue();
    const std::span<const std::uint32_t> reaching = firstByValue.first(static_cast<std::size_t>(
        std::partition_point(firstByValue.begin(), firstByValue.end(),
                             [&](std::uint32_t i) { return first[i] + secondLowest <= budget; }) -
        firstByValue.begin()));
    const auto completing = [&](std::uint32_t i) {
        const std::uint32_t r = i % shared_ + phase_;
        const std::span<const std::uint32_t> seconds = secondOrder.withRemainder(r < shared_ ? r : r - shared_);
        return seconds.first(static_cast<std::size_t>(
            std::partition_point(seconds.begin(), seconds.end(),
                                 [&](std::uint32_t j) { return first[i] + second[j] <= budget; }) -
            seconds.begin()));
    };
    // Count first: loose budgets combine too much to index.
    std::size_t combinations = 0;
    for (const std::uint32_t i : reaching)
        combinations += completing(i).size();
    if (combinations > most)
        return;
    // With i = r + shared a and j - phase = r + shared b, the step is i + firstSize * t with
    // t = (b - a) / (firstSize / shared) modulo secondSize / shared. Where the combinations
    // outnumber the places, each place's share is worked out once, so that a combination costs a
    // subtraction instead of four divisions.
    const std::uint32_t turns = secondSize_ / shared_;
    const auto firstShareOf = [&](std::uint32_t i) {
        return static_cast<std::uint32_t>(i / shared_ % turns * std::uint64_t{inverse_} % turns);
    };
    const auto secondShareOf = [&](std::uint32_t j) {
        const std::uint32_t b = (j + shared_ - phase_) / shared_ + turns - 1; // floor((j - phase) / shared) + turns
        return static_cast<std::uint32_t>(b % turns * std::uint64_t{inverse_} % turns);
    };
    std::vector<std::uint32_t> firstShare, secondShare;
    if (combinations > first.size() + second.size()) {
        for (std::uint32_t i = 0; i < first.size(); ++i)
            firstShare.push_back(firstShareOf(i));
        for (std::uint32_t j = 0; j < second.size(); ++j)
            secondShare.push_back(secondShareOf(j));
    }
    const auto forEachCombination = [&](auto&& visit) {
        for (const std::uint32_t i : reaching) {
            const std::uint32_t a = firstShare.empty() ? firstShareOf(i) : firstShare[i];
            for (const std::uint32_t j : completing(i)) {
                const std::uint32_t b = secondShare.empty() ? secondShareOf(j) : secondShare[j];
                visit(Step{i + firstSize_ * (b >= a ? b - a : b + turns - a), first[i] + second[j]});
            }
        }
    };
    // Sorted straight into place, which spares a second buffer as large: one pass counts the
    // combinations per range of steps, another writes each into its range, and the ranges, a few
    // combinations each, are sorted last.
    const auto stepBits = static_cast<int>(std::bit_width(cycle() - 1));
    const int rangeBits = std::clamp(static_cast<int>(std::bit_width(combinations)) - 3, 0, stepBits);
    const int shift = stepBits - rangeBits;
    std::vector<std::uint32_t> starts((std::size_t{1} << rangeBits) + 1, 0);
    forEachCombination([&](Step s) { ++starts[(s.step >> shift) + 1]; });
    std::partial_sum(starts.begin(), starts.end(), starts.begin());
    std::vector<Step> steps(combinations);
    std::vector<std::uint32_t> fill(starts.begin(), starts.end() - 1);
    forEachCombination([&](Step s) { steps[fill[s.step >> shift]++] = s; });
    for (std::size_t range = 0; range + 1 < starts.size(); ++range) {
        const auto begin = steps.begin() + starts[range], end = steps.begin() + starts[range + 1];
        for (auto s = begin; s != end; ++s)
            for (auto t = s; t != begin && t->step < (t - 1)->step; --t)
                std::iter_swap(t, t - 1);
    }
    if (use == Use::Enumeration) {
        bySteps_ = std::move(steps);
        usable_ = true;
        return;
    }
    splitBySums(steps);
}

// A stable counting sort of the steps by their remainder, so that each bucket stays in step order.
void StepIndex::fillBuckets(std::uint32_t modulus) {
    if (!bucketStarts_.empty())
        return;
    bucketStarts_.assign(static_cast<std::size_t>(modulus) + 1, 0);
    for (const Step& s : bySteps_)
        ++bucketStarts_[s.step % modulus + 1];
    for (std::size_t k = 1; k < bucketStarts_.size(); ++k)
        bucketStarts_[k] += bucketStarts_[k - 1];
    std::vector<std::uint32_t> fill(bucketStarts_.begin(), bucketStarts_.end() - 1);
    bucketed_.resize(bySteps_.size());
    for (const Step& s : bySteps_)
        bucketed_[fill[s.step % modulus]++] = s;
}

// Per sum, its steps in order: a stable split of the sorted steps.
void StepIndex::splitBySums(const std::vector<Step>& steps) {
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
    const std::uint32_t turns = secondSize_ / shared_;
    const std::uint64_t a = i / shared_ % turns;
    const std::uint64_t b = ((j + shared_ - phase_) / shared_ + turns - 1) % turns;
    return i + firstSize_ * static_cast<std::uint32_t>((b + turns - a) % turns * inverse_ % turns);
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
