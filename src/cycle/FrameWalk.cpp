#include "cycle/FrameWalk.h"

#include "cycle/CycleMath.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>
#include <numeric>

namespace ondulix::cycle {
namespace {

// The walk looks at the deadline after this many column sums, about 50 us' worth.
constexpr std::uint64_t kColumnSumsPerLook = std::uint64_t{1} << 17;

// Frames are walked in blocks of 512 frames, each of 8 blocks of 64, each block passed over
// where no column's bound over it reaches the threshold. A bound costs about a frame, so a block
// of 64 frames that holds a hit costs 1/64 more and one that does not 64 times less, and a block
// of 512 passed over costs as much as a frame again: wide_group_a and large_shared_pairs, whose
// walks find their answers, show the first; twice_primes_amplitude_16, whose walks go 8 times as
// far for what they cost, the second.
constexpr std::array<std::uint64_t, 2> kBlockFrames{512, 64};
constexpr std::uint64_t kInnerBlocks = kBlockFrames[0] / kBlockFrames[1];
// The rows of column sums a block of 512 frames costs at most: its bound, its inner blocks'
// bounds and their frames.
constexpr std::uint64_t kMostRowsPerBlock = 1 + kInnerBlocks * (1 + kBlockFrames[1]);

// Each index's signed entry.
std::vector<std::int32_t> signedEntriesOf(const TickedTable& t, int sign) {
    std::vector<std::int32_t> entries(static_cast<std::size_t>(t.motion.length));
    for (std::int32_t i = 0; i < t.motion.length; ++i)
        at(entries, i) = sign * t.entry(i);
    return entries;
}

// The lowest of the entries over the indices one column reads in a block of `frames` frames from
// each index: the walk moves the index by the step each frame, which may be taken either way
// round, so the block reads within a stretch of |step| (frames - 1) + 1 indices.
std::vector<std::int32_t> blockLowsOf(const std::vector<std::int32_t>& entries, std::int32_t step,
                                      std::uint64_t frames) {
    const auto length = static_cast<std::int32_t>(entries.size());
    step = step <= length / 2 ? step : step - length;
    const std::int64_t reach = std::int64_t{std::abs(step)} * static_cast<std::int64_t>(frames - 1) + 1;
    if (reach >= length)
        return std::vector<std::int32_t>(entries.size(), *std::min_element(entries.begin(), entries.end()));
    // The lowest over each stretch of `reach` indices around the table: cut into pieces of that
    // size, the table read on past its end, a stretch is the end of one piece and the start of
    // the next, so it takes the lower of the lowest from its start to its piece's end and the
    // lowest from the next piece's start to its own end.
    const auto width = static_cast<std::int32_t>(reach);
    std::vector<std::int32_t> around(entries);
    around.insert(around.end(), entries.begin(), entries.begin() + width - 1);
    const auto size = static_cast<std::int32_t>(around.size());
    std::vector<std::int32_t> toPieceEnd(around.size()), fromPieceStart(around.size());
    for (std::int32_t piece = 0; piece < size; piece += width) {
        const std::int32_t end = std::min(size, piece + width);
        at(fromPieceStart, piece) = at(around, piece);
        for (std::int32_t k = piece + 1; k < end; ++k)
            at(fromPieceStart, k) = std::min(at(fromPieceStart, k - 1), at(around, k));
        at(toPieceEnd, end - 1) = at(around, end - 1);
        for (std::int32_t k = end - 2; k >= piece; --k)
            at(toPieceEnd, k) = std::min(at(toPieceEnd, k + 1), at(around, k));
    }
    // A block from index i reads the stretch from i on, or the one ending at i for a step back.
    const std::int32_t back = step < 0 ? width - 1 : 0;
    std::vector<std::int32_t> lows(entries.size());
    for (std::int32_t i = 0; i < length; ++i) {
        const std::int32_t first = i >= back ? i - back : i - back + length;
        at(lows, i) = std::min(at(toPieceEnd, first), at(fromPieceStart, first + width - 1));
    }
    return lows;
}

FrameWalk::Strided stridedOf(const TickedTable& t, Columns columns, int sign) {
    const std::int32_t length = t.motion.length;
    const std::int32_t step = columns.step % length;
    const std::int32_t lanes = std::gcd(step, length);
    const std::int32_t laneLength = length / lanes;
    const std::int32_t laneSpan = laneLength + columns.count;
    const auto size = static_cast<std::size_t>(lanes) * static_cast<std::size_t>(laneSpan);
    const std::vector<std::int32_t> entries = signedEntriesOf(t, sign);
    const std::array<std::vector<std::int32_t>, 2> lows{blockLowsOf(entries, t.motion.step, kBlockFrames[0]),
                                                        blockLowsOf(entries, t.motion.step, kBlockFrames[1])};
    FrameWalk::Strided s{std::vector<std::int32_t>(size),
                         {std::vector<std::int32_t>(size), std::vector<std::int32_t>(size)},
                         std::vector<std::int32_t>(static_cast<std::size_t>(length))};
    // Each lane by additions alone: a division per entry would cost more than the walks of
    // many searches.
    for (std::int32_t lane = 0; lane < lanes; ++lane) {
        std::int32_t index = lane;
        for (std::int32_t k = 0; k < laneSpan; ++k) {
            if (k < laneLength)
                at(s.start, index) = lane * laneSpan + k;
            at(s.values, lane * laneSpan + k) = at(entries, index);
            for (std::size_t level = 0; level < lows.size(); ++level)
                at(s.blockLows[level], lane * laneSpan + k) = at(lows[level], index);
            index += step;
            index -= index >= length ? length : 0;
        }
    }
    return s;
}

// The walk for a fixed number of tables, so that the compiler keeps every table's index in a
// register and adds the columns several at a time: from `from` to the first hit, to `to`, or to
// the first block from which on it would add more than `mostRows` rows of column sums.
template <std::size_t N>
ONDULIX_WIDE_INTEGER_CLONES FrameWalk::Stop walkFrames(std::span<const TickedTable> tables,
                                                       const std::vector<FrameWalk::Strided>& strided, Columns columns,
                                                       std::int32_t threshold, std::uint64_t from, std::uint64_t to,
                                                       std::uint64_t mostRows) {
    std::array<const std::int32_t*, N> values{}, starts{};
    std::array<std::array<const std::int32_t*, N>, 2> blockLows{};
    std::array<std::int32_t, N> length{}, step{}, position{};
    std::array<std::array<std::int32_t, N>, 2> blockStep{};
    for (std::size_t t = 0; t < N; ++t) {
        values[t] = strided[t].values.data();
        starts[t] = strided[t].start.data();
        length[t] = tables[t].motion.length;
        step[t] = tables[t].motion.step;
        for (std::size_t level = 0; level < 2; ++level) {
            blockLows[level][t] = strided[t].blockLows[level].data();
            blockStep[level][t] = static_cast<std::int32_t>(static_cast<std::uint64_t>(step[t]) * kBlockFrames[level] %
                                                            static_cast<std::uint64_t>(length[t]));
        }
        position[t] = tables[t].motion.indexAt(from, 0); // the index at x = 0 in this frame
    }
    const auto count = static_cast<std::size_t>(columns.count);
    const auto rowOf = [&](const std::array<const std::int32_t*, N>& of) {
        std::array<const std::int32_t*, N> row{};
        for (std::size_t t = 0; t < N; ++t)
            row[t] = of[t] + starts[t][position[t]];
        return row;
    };
    const auto lowestIn = [count](const std::array<const std::int32_t*, N>& row) {
        std::int32_t lowest = std::numeric_limits<std::int32_t>::max();
        for (std::size_t k = 0; k < count; ++k) {
            std::int32_t sum = 0;
            for (std::size_t t = 0; t < N; ++t)
                sum += row[t][k];
            lowest = std::min(lowest, sum);
        }
        return lowest;
    };
    const auto moveOn = [&](const std::array<std::int32_t, N>& by) {
        for (std::size_t t = 0; t < N; ++t) {
            position[t] += by[t];
            position[t] -= position[t] >= length[t] ? length[t] : 0;
        }
    };
    std::uint64_t rows = 0;
    for (std::uint64_t outer = from; outer < to; outer += kBlockFrames[0]) {
        if (rows + kMostRowsPerBlock > mostRows)
            return {std::nullopt, outer, rows * count};
        ++rows;
        if (lowestIn(rowOf(blockLows[0])) > threshold) {
            moveOn(blockStep[0]);
            continue;
        }
        for (std::uint64_t block = outer; block < std::min(to, outer + kBlockFrames[0]); block += kBlockFrames[1]) {
            ++rows;
            if (lowestIn(rowOf(blockLows[1])) > threshold) {
                moveOn(blockStep[1]);
                continue;
            }
            for (std::uint64_t frame = block; frame < std::min(to, block + kBlockFrames[1]); ++frame) {
                ++rows;
                const std::array<const std::int32_t*, N> row = rowOf(values);
                if (lowestIn(row) <= threshold)
                    for (std::size_t k = 0;; ++k) {
                        std::int32_t sum = 0;
                        for (std::size_t t = 0; t < N; ++t)
                            sum += row[t][k];
                        if (sum <= threshold)
                            return {Hit{frame, static_cast<std::int32_t>(k)}, frame, rows * count};
                    }
                moveOn(step);
            }
        }
    }
    return {std::nullopt, to, rows * count};
}

} // namespace

FrameWalk::FrameWalk(std::span<const TickedTable> tables, Columns columns, int sign, std::uint64_t cycle)
    : tables_(tables), columns_(columns), cycle_(cycle) {
    for (const TickedTable& t : tables)
        strided_.push_back(stridedOf(t, columns, sign));
}

std::optional<Hit> FrameWalk::first(std::int32_t threshold, std::uint64_t from, std::uint64_t to,
                                    const Deadline& deadline) const {
    return firstWithin(threshold, from, to, std::numeric_limits<std::uint64_t>::max(), deadline).hit;
}

FrameWalk::Stop FrameWalk::firstWithin(std::int32_t threshold, std::uint64_t from, std::uint64_t to,
                                       std::uint64_t mostSums, const Deadline& deadline) const {
    to = std::min(to, cycle_);
    if (tables_.empty()) // every sum is 0
        return from < to && 0 <= threshold ? Stop{Hit{from, 0}, from, 0} : Stop{std::nullopt, std::max(from, to), 0};
    using Walk = Stop (*)(std::span<const TickedTable>, const std::vector<Strided>&, Columns, std::int32_t,
                          std::uint64_t, std::uint64_t, std::uint64_t);
    constexpr std::array<Walk, engine::kTableCount> walks{walkFrames<1>, walkFrames<2>, walkFrames<3>, walkFrames<4>};
    const auto count = static_cast<std::uint64_t>(columns_.count);
    // Pieces of a few milliseconds between looks at the deadline, each at least a block's worth.
    const std::uint64_t block = kMostRowsPerBlock * count;
    const std::uint64_t sumsPerLook = std::max(block, kColumnSumsPerLook);
    Stop stop{std::nullopt, from, 0};
    while (!stop.hit && stop.reached < to && stop.sums + block <= mostSums) {
        deadline.check();
        const Stop piece = walks[tables_.size() - 1](tables_, strided_, columns_, threshold, stop.reached, to,
                                                     std::min(sumsPerLook, mostSums - stop.sums) / count);
        stop = {piece.hit, piece.reached, stop.sums + piece.sums};
    }
    return stop;
}

} // namespace ondulix::cycle
