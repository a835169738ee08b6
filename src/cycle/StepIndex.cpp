#include "cycle/StepIndex.h"

#include "cycle/CycleMath.h"

#include <algorithm>
#include <array>
#include <bit>
#include <limits>
#include <numeric>

namespace ondulix::cycle {
namespace {

// The one place worth 0 of a missing table.
constexpr std::array<std::int32_t, 1> kNoTable{0};

// Values spread over at most this many times as many numbers as there are of them are ordered by
// counting them, in three passes, else by merging: the count's memory against the merges' compares.
// Each class of 8192 places of a table counts; in bench/run (ondulix_cycle_perf) that made
// equal_prime_lengths 0.85 times the time and twice_primes_amplitude_16 0.97.
constexpr std::int64_t kMostSpreadCounted = 8;

} // namespace

std::vector<std::uint32_t> PlacesByValue(std::span<const std::int32_t> values) {
    std::vector<std::uint32_t> places(values.size());
    if (values.empty())
        return places;
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    const std::int64_t spread = std::int64_t{*high} - *low + 1;
    if (spread > kMostSpreadCounted * static_cast<std::int64_t>(values.size())) {
        std::iota(places.begin(), places.end(), 0u);
        std::stable_sort(places.begin(), places.end(),
                         [&](std::uint32_t a, std::uint32_t b) { return values[a] < values[b]; });
        return places;
    }
    // Where each value's places start, then each place in turn after those of its value before it.
    std::vector<std::uint32_t> starts(static_cast<std::size_t>(spread) + 1, 0);
    for (const std::int32_t v : values)
        ++starts[static_cast<std::size_t>(v - *low) + 1];
    std::partial_sum(starts.begin(), starts.end(), starts.begin());
    for (std::uint32_t place = 0; place < values.size(); ++place)
        places[starts[static_cast<std::size_t>(values[place] - *low)]++] = place;
    return places;
}

PlaceOrder::PlaceOrder(std::span<const std::int32_t> values, std::uint32_t shared)
    : values_(values.empty() ? std::span<const std::int32_t>(kNoTable) : values), byValue_(PlacesByValue(values_)) {
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
                     std::size_t most, BufferPool* pool)
    : first_(first), second_(second), firstSize_(first.size()), secondSize_(second.size()),
      shared_(static_cast<std::uint32_t>(pairing.shared)), phase_(static_cast<std::uint32_t>(pairing.phase)),
      inverse_(static_cast<std::uint32_t>(inverseOf(firstSize_ / shared_, secondSize_ / shared_))),
      budget_(budget), memory_(pool), bySteps_(memory_), bucketed_(memory_) {
    // The first table's places that can reach the budget with the second's smallest entry.
    const std::int32_t secondLowest = second.values()[second.byValue().front()];
    const std::span<const std::uint32_t> firstByValue = first.byValue();
    reaching_.assign(firstByValue.begin(),
                     std::partition_point(firstByValue.begin(), firstByValue.end(),
                                          [&](std::uint32_t i) { return first.values()[i] + secondLowest <= budget; }));
    std::sort(reaching_.begin(), reaching_.end());
    // Counted first: loose budgets combine too much to index.
    lowest_ = budget + 1;
    forEachCombination([&](std::uint32_t i, std::span<const std::uint32_t> seconds) {
        combinations_ += seconds.size();
        lowest_ = std::min(lowest_, first.values()[i] + second.values()[seconds.front()]);
    });
    usable_ = combinations_ <= most;
}

// Calls visit(i, js) for each of the first table's places i that can reach the budget, in the
// order of the places, with the second's places j that complete it within the budget: those
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

// The combinations by step. With i = r + shared a and j - phase = r + shared b, the step is
// i + firstSize * t with t = (b - a) / (firstSize / shared) modulo secondSize / shared: its turn
// t, then its first place i, orders it. One pass over the combinations writes them down in the
// order of i and counts them per turn; another deals them out into their turns' stretches, where
// they keep the order of i: no sorting is needed. `into` and `scratch` are sized to hold them.
void StepIndex::layOutBySteps(LargeBuffer<Step>& into, LargeBuffer<Step>& scratch) const {
    const std::span<const std::int32_t> first = first_.values(), second = second_.values();
    // Where the combinations outnumber the places, each place's share is worked out once, so that
    // a combination costs a subtraction instead of four divisions.
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
    std::vector<std::uint32_t> starts(static_cast<std::size_t>(turns) + 1, 0);
    scratch.resize(combinations_);
    Step* byPlace = scratch.data();
    forEachCombination([&](std::uint32_t i, std::span<const std::uint32_t> seconds) {
        const std::uint32_t a = firstShareOf(i);
        for (const std::uint32_t j : seconds) {
            const std::uint32_t b = secondShare.empty() ? secondShareOf(j) : secondShare[j];
            const std::uint32_t turn = b >= a ? b - a : b + turns - a;
            ++starts[turn + 1];
            *byPlace++ = Step{i + firstSize_ * turn, first[i] + second[j]};
        }
    });
    std::partial_sum(starts.begin(), starts.end(), starts.begin());
    into.resize(combinations_);
    const Remainders byTurn(firstSize_);
    for (const Step& s : scratch)
        into[starts[byTurn.quotientOf(s.step)]++] = s;
}

const LargeBuffer<StepIndex::Step>& StepIndex::bySteps() {
    if (!laidOutBySteps()) {
        LargeBuffer<Step> scratch(memory_);
        layOutBySteps(bySteps_, scratch);
    }
    return bySteps_;
}

// Dealt out from the layout by step, in step order, so that each bucket comes out sorted. A layout
// made for this alone, in the buckets' memory, goes back to the pool at once: where every cursor
// goes the other way, as twice_primes_amplitude_16's do, nothing reads it again, and the next index
// lays its own out in the same memory.
void StepIndex::fillBuckets(std::uint32_t modulus) {
    if (!bucketStarts_.empty())
        return;
    LargeBuffer<Step> temporary(memory_);
    if (!laidOutBySteps())
        layOutBySteps(temporary, bucketed_);
    const LargeBuffer<Step>& steps = laidOutBySteps() ? bySteps_ : temporary;
    // The steps come in order, so each remainder is the step less the last multiple of the modulus
    // reached, which moves on by a division only where the steps leave its stretch.
    // Two passes, one to count the buckets and one to deal the steps out, each working the
    // remainders out as it goes.
    const Remainders remainders(modulus);
    const auto forEachBucket = [&](auto&& visit) {
        std::uint32_t base = 0;
        for (const Step& s : steps) {
            if (s.step - base >= modulus)
                base = s.step - remainders.of(s.step);
            visit(s.step - base, s);
        }
    };
    bucketStarts_.assign(static_cast<std::size_t>(modulus) + 1, 0);
    forEachBucket([&](std::uint32_t bucket, const Step&) { ++bucketStarts_[bucket + 1]; });
    std::partial_sum(bucketStarts_.begin(), bucketStarts_.end(), bucketStarts_.begin());
    bucketed_.resize(steps.size());
    std::vector<std::uint32_t> fill(bucketStarts_.begin(), bucketStarts_.end() - 1);
    forEachBucket([&](std::uint32_t bucket, const Step& s) { bucketed_[fill[bucket]++] = s; });
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
