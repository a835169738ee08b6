#include "cycle/StepIndex.h"

#include "cycle/CycleMath.h"

#include <algorithm>
#include <array>
#include <bit>
#include <limits>
#include <numeric>

namespace ondulix::cycle {
namespace {

// Ranges of steps up to this size are sorted by insertion, larger ones by std::sort; a quarter or
// four times it moved no row of bench/run (ondulix_cycle_perf).
constexpr std::ptrdiff_t kSmallRange = 16;

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

StepIndex::StepIndex(const PlaceOrder& first, const PlaceOrder& second, Pairing pairing, std::int32_t budget,
                     std::size_t most)
    : first_(first), second_(second), firstSize_(first.size()), secondSize_(second.size()),
      shared_(static_cast<std::uint32_t>(pairing.shared)), phase_(static_cast<std::uint32_t>(pairing.phase)),
      inverse_(static_cast<std::uint32_t>(inverseOf(firstSize_ / shared_, secondSize_ / shared_))),
      budget_(budget) {
    // The first table's places that can reach the budget with the second's smallest entry.
    const std::int32_t secondLowest = second.values()[second.byValue().front()];
    const std::span<const std::uint32_t> firstByValue = first.byValue();
    reaching_ = firstByValue.first(static_cast<std::size_t>(
        std::partition_point(firstByValue.begin(), firstByValue.end(),
                             [&](std::uint32_t i) { return first.values()[i] + secondLowest <= budget; }) -
        firstByValue.begin()));
    // Counted first: loose budgets combine too much to index.
    lowest_ = budget + 1;
    forEachCombination([&](std::uint32_t i, std::span<const std::uint32_t> seconds) {
        combinations_ += seconds.size();
        lowest_ = std::min(lowest_, first.values()[i] + second.values()[seconds.front()]);
    });
    usable_ = combinations_ <= most;
}

// Calls visit(i, js) for each of the first table's places i that can reach the budget, in the
// order of their entries, with the second's places j that complete it within the budget: those
// with j - phase = i (mod shared), in the order of their entries.
template <class Visit>
void StepIndex::forEachCombination(Visit&& visit) const {
    const std::span<const std::int32_t> first = first_.values(), second = second_.values();
    for (const std::uint32_t i : reaching_) {
        const std::uint32_t r = i % shared_ + phase_;
        const std::span<const std::uint32_t> seconds = second_.withRemainder(r < shared_ ? r : r - shared_);
        const auto completing = static_cast<std::size_t>(
            std::partition_point(seconds.begin(), seconds.end(),
                                 [&](std::uint32_t j) { return first[i] + second[j] <= budget_; }) -
            seconds.begin());
        if (completing > 0)
            visit(i, seconds.first(completing));
    }
}

// The combinations by step, written into ranges of the step's leading bits, a few combinations
// each: one pass over the combinations works out their steps and counts them per range, another
// over those steps writes each into its range, and each range is then sorted.
LargeBuffer<StepIndex::Step> StepIndex::layOutBySteps() const {
    const std::span<const std::int32_t> first = first_.values(), second = second_.values();
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
    std::vector<std::uint32_t> secondShare;
    if (combinations_ > second.size())
        for (std::uint32_t j = 0; j < second.size(); ++j)
            secondShare.push_back(secondShareOf(j));
    const auto forEachStep = [&](auto&& visit) {
        forEachCombination([&](std::uint32_t i, std::span<const std::uint32_t> seconds) {
            const std::uint32_t a = firstShareOf(i);
            for (const std::uint32_t j : seconds) {
                const std::uint32_t b = secondShare.empty() ? secondShareOf(j) : secondShare[j];
                visit(Step{i + firstSize_ * (b >= a ? b - a : b + turns - a), first[i] + second[j]});
            }
        });
    };
    const auto stepBits = static_cast<std::uint32_t>(std::bit_width(cycle() - 1));
    const auto rangeBits = static_cast<std::uint32_t>(
        std::clamp(static_cast<int>(std::bit_width(combinations_)) - 3, 0, static_cast<int>(stepBits)));
    const std::uint32_t shift = stepBits - rangeBits;
    const std::uint32_t ranges = std::uint32_t{1} << rangeBits;
    const auto rangeOf = [shift](std::uint32_t step) { return step >> shift; };
    std::vector<std::uint32_t> starts(static_cast<std::size_t>(ranges) + 1, 0);
    LargeBuffer<Step> found(combinations_);
    std::size_t count = 0;
    forEachStep([&](Step s) {
        found[count++] = s;
        ++starts[rangeOf(s.step) + 1];
    });
    std::partial_sum(starts.begin(), starts.end(), starts.begin());
    LargeBuffer<Step> steps(combinations_);
    for (const Step& s : found)
        steps[starts[rangeOf(s.step)]++] = s;
    // Each start has moved on to where the next range begins.
    std::copy_backward(starts.begin(), starts.end() - 1, starts.end());
    starts[0] = 0;
    // Ranges are small on average, but a budget that only crests reach, walked at low speeds,
    // gathers whole diagonals of combinations into a few of them.
    const auto byStep = [](const Step& p, const Step& q) { return p.step < q.step; };
    for (std::size_t range = 0; range < ranges; ++range) {
        const auto begin = steps.begin() + starts[range], end = steps.begin() + starts[range + 1];
        if (end - begin > kSmallRange) {
            std::sort(begin, end, byStep);
            continue;
        }
        for (auto s = begin; s != end; ++s)
            for (auto t = s; t != begin && byStep(*t, *(t - 1)); --t)
                std::iter_swap(t, t - 1);
    }
    return steps;
}

const LargeBuffer<StepIndex::Step>& StepIndex::bySteps() {
    if (!laidOutBySteps())
        bySteps_ = layOutBySteps();
    return bySteps_;
}

// Dealt out from the layout by step, in step order, so that each bucket comes out sorted.
void StepIndex::fillBuckets(std::uint32_t modulus) {
    if (!bucketStarts_.empty())
        return;
    const LargeBuffer<Step>& steps = bySteps();
    // The steps come in order, so each remainder is the step less the last multiple of the modulus
    // reached, which moves on by a division only where the steps leave its stretch.
    const Remainders remainders(modulus);
    LargeBuffer<std::uint32_t> bucketOf(steps.size());
    std::uint32_t base = 0;
    bucketStarts_.assign(static_cast<std::size_t>(modulus) + 1, 0);
    for (std::size_t k = 0; k < steps.size(); ++k) {
        const std::uint32_t step = steps[k].step;
        if (step - base >= modulus)
            base = step - remainders.of(step);
        bucketOf[k] = step - base;
        ++bucketStarts_[bucketOf[k] + 1];
    }
    std::partial_sum(bucketStarts_.begin(), bucketStarts_.end(), bucketStarts_.begin());
    bucketed_.resize(steps.size());
    std::vector<std::uint32_t> fill(bucketStarts_.begin(), bucketStarts_.end() - 1);
    for (std::size_t k = 0; k < steps.size(); ++k)
        bucketed_[fill[bucketOf[k]]++] = steps[k];
}

std::uint32_t StepIndex::stepOf(std::uint32_t i, std::uint32_t j) const {
    const std::uint32_t turns = secondSize_ / shared_;
    const std::uint64_t a = i / shared_ % turns;
    const std::uint64_t b = ((j + shared_ - phase_) / shared_ + turns - 1) % turns;
    return i + firstSize_ * static_cast<std::uint32_t>((b + turns - a) % turns * inverse_ % turns);
}

std::optional<std::uint32_t> StepIndex::stepsFrom(std::uint32_t from, std::int32_t budget) {
    const LargeBuffer<Step>& steps = bySteps();
    if (steps.empty())
        return std::nullopt;
    if (lowestIn_.empty()) {
        const std::size_t blocks = (steps.size() + kBlock - 1) / kBlock;
        leaves_ = std::bit_ceil(blocks);
        lowestIn_.assign(2 * leaves_, std::numeric_limits<std::int32_t>::max());
        for (std::size_t i = 0; i < steps.size(); ++i)
            lowestIn_[leaves_ + i / kBlock] = std::min(lowestIn_[leaves_ + i / kBlock], steps[i].sum);
        for (std::size_t node = leaves_ - 1; node >= 1; --node)
            lowestIn_[node] = std::min(lowestIn_[2 * node], lowestIn_[2 * node + 1]);
    }
    // From the first combination at or after `from`, else around the cycle from the first.
    const auto start = static_cast<std::size_t>(
        std::lower_bound(steps.begin(), steps.end(), from, [](const Step& s, std::uint32_t v) { return s.step < v; }) -
        steps.begin());
    if (const auto next = firstWithin(start, budget))
        return steps[*next].step - from;
    if (const auto next = firstWithin(0, budget))
        return steps[*next].step + cycle() - from;
    return std::nullopt;
}

// The first combination from place `from` on (by step) whose sum is within the budget: the rest
// of its block, then the first block to the right that holds one.
std::optional<std::size_t> StepIndex::firstWithin(std::size_t from, std::int32_t budget) const {
    const auto scan = [&](std::size_t begin, std::size_t end) -> std::optional<std::size_t> {
        for (std::size_t i = begin; i < std::min(end, combinations_); ++i)
            if (bySteps_[i].sum <= budget)
                return i;
        return std::nullopt;
    };
    if (const auto found = scan(from, (from / kBlock + 1) * kBlock))
        return found;
    const auto block = firstBlockWithin(from / kBlock + 1, budget);
    return block ? scan(*block * kBlock, (*block + 1) * kBlock) : std::nullopt;
}

// Up the tree to the first range to the right of the block that holds a sum within the budget,
// then down to its first such block.
std::optional<std::size_t> StepIndex::firstBlockWithin(std::size_t block, std::int32_t budget) const {
    if (block >= leaves_)
        return std::nullopt;
    std::size_t node = leaves_ + block;
    if (lowestIn_[node] > budget) {
        do {
            while (node % 2 == 1) { // a right child: the ranges to the right start further up
                node /= 2;
                if (node <= 1)
                    return std::nullopt;
            }
            ++node; // the right sibling
        } while (lowestIn_[node] > budget);
    }
    while (node < leaves_)
        node = lowestIn_[2 * node] <= budget ? 2 * node : 2 * node + 1;
    return node - leaves_; // empty blocks past the last hold no sum within any budget
}

} // namespace ondulix::cycle
