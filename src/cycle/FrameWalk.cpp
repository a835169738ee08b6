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

// Frames are walked in blocks of this many, each passed over where no column's bound over the
// block reaches the threshold: a bound costs about a frame, so a block that holds a hit costs
// 1/64 more and one that does not 64 times less; wide_group_a and large_shared_pairs, whose walks
// find their answers, show it.
constexpr std::int32_t kBlockFrames = 64;

// Each index's signed entry, and the lowest of them over the indices one column reads in a block
// of frames from it: the walk moves the index by the step each frame, which may be taken either
// way round, so the block reads within a stretch of |step| (kBlockFrames - 1) + 1 indices.
struct IndexValues {
    std::vector<std::int32_t> entries, blockLows;
};

IndexValues indexValuesOf(const TickedTable& t, int sign) {
    const std::int32_t length = t.motion.length;
    IndexValues v{std::vector<std::int32_t>(static_cast<std::size_t>(length)), {}};
    for (std::int32_t i = 0; i < length; ++i)
        at(v.entries, i) = sign * t.entry(i);
    const std::int32_t step = t.motion.step <= length / 2 ? t.motion.step : t.motion.step - length;
    const std::int64_t reach = std::int64_t{std::abs(step)} * (kBlockFrames - 1) + 1;
    if (reach >= length) {
        v.blockLows.assign(static_cast<std::size_t>(length), *std::min_element(v.entries.begin(), v.entries.end()));
        return v;
    }
    // The lowest over each stretch of `reach` indices around the table: cut into pieces of that
    // size, the table read on past its end, a stretch is the end of one piece and the start of
    // the next, so it takes the lower of the lowest from its start to its piece's end and the
    // lowest from the next piece's start to its own end.
    const auto width = static_cast<std::int32_t>(reach);
    std::vector<std::int32_t> around(v.entries);
    around.insert(around.end(), v.entries.begin(), v.entries.begin() + width - 1);
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
    v.blockLows.resize(static_cast<std::size_t>(length));
    for (std::int32_t i = 0; i < length; ++i) {
        const std::int32_t first = i >= back ? i - back : i - back + length;
        at(v.blockLows, i) = std::min(at(toPieceEnd, first), at(fromPieceStart, first + width - 1));
    }
    return v;
}

FrameWalk::Strided stridedOf(const TickedTable& t, Columns columns, int sign) {
    const std::int32_t length = t.motion.length;
    const std::int32_t step = columns.step % length;
    const std::int32_t lanes = std::gcd(step, length);
    const std::int32_t laneLength = length / lanes;
    const std::int32_t laneSpan = laneLength + columns.count;
    const auto size = static_cast<std::size_t>(lanes) * static_cast<std::size_t>(laneSpan);
    const IndexValues byIndex = indexValuesOf(t, sign);
    FrameWalk::Strided s{std::vector<std::int32_t>(size), std::vector<std::int32_t>(size),
                         std::vector<std::int32_t>(static_cast<std::size_t>(length))};
    // Each lane by additions alone: a division per entry would cost more than the walks of
    // many searches.
    for (std::int32_t lane = 0; lane < lanes; ++lane) {
        std::int32_t index = lane;
        for (std::int32_t k = 0; k < laneSpan; ++k) {
            if (k < laneLength)
                at(s.start, index) = lane * laneSpan + k;
            at(s.values, lane * laneSpan + k) = at(byIndex.entries, index);
            at(s.blockLows, lane * laneSpan + k) = at(byIndex.blockLows, index);
            index += step;
            index -= index >= length ? length : 0;
        }
    }
    return s;
}

// The walk for a fixed number of tables, so that the compiler keeps every table's index in a
// register and adds the columns several at a time.
template <std::size_t N>
ONDULIX_WIDE_INTEGER_CLONES std::optional<Hit> walkFrames(std::span<const TickedTable> tables,
                                                          const std::vector<FrameWalk::Strided>& strided,
                                                          Columns columns, std::int32_t threshold, std::uint64_t from,
                                                          std::uint64_t to) {
    std::array<const std::int32_t*, N> values{}, blockLows{}, starts{};
    std::array<std::int32_t, N> length{}, step{}, blockStep{}, position{};
    for (std::size_t t = 0; t < N; ++t) {
        values[t] = strided[t].values.data();
        blockLows[t] = strided[t].blockLows.data();
        starts[t] = strided[t].start.data();
        length[t] = tables[t].motion.length;
        step[t] = tables[t].motion.step;
        blockStep[t] = static_cast<std::int32_t>(std::int64_t{step[t]} * kBlockFrames % length[t]);
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
    for (std::uint64_t block = from; block < to; block += kBlockFrames) {
        if (lowestIn(rowOf(blockLows)) > threshold) {
            moveOn(blockStep);
            continue;
        }
        for (std::uint64_t frame = block; frame < std::min(to, block + kBlockFrames); ++frame) {
            const std::array<const std::int32_t*, N> row = rowOf(values);
            if (lowestIn(row) <= threshold)
                for (std::size_t k = 0;; ++k) {
                    std::int32_t sum = 0;
                    for (std::size_t t = 0; t < N; ++t)
                        sum += row[t][k];
                    if (sum <= threshold)
                        return Hit{frame, static_cast<std::int32_t>(k)};
                }
            moveOn(step);
        }
    }
    return std::nullopt;
}

} // namespace

FrameWalk::FrameWalk(std::span<const TickedTable> tables, Columns columns, int sign, std::uint64_t cycle)
    : tables_(tables), columns_(columns), cycle_(cycle) {
    for (const TickedTable& t : tables)
        strided_.push_back(stridedOf(t, columns, sign));
}

std::optional<Hit> FrameWalk::first(std::int32_t threshold, std::uint64_t from, std::uint64_t to,
                                    const Deadline& deadline) const {
    to = std::min(to, cycle_);
    if (tables_.empty()) // every sum is 0
        return from < to && 0 <= threshold ? std::optional(Hit{from, 0}) : std::nullopt;
    using Walk = std::optional<Hit> (*)(std::span<const TickedTable>, const std::vector<Strided>&, Columns,
                                        std::int32_t, std::uint64_t, std::uint64_t);
    constexpr std::array<Walk, engine::kTableCount> walks{walkFrames<1>, walkFrames<2>, walkFrames<3>, walkFrames<4>};
    const std::uint64_t piece = std::max<std::uint64_t>(1, kColumnSumsPerLook / static_cast<std::uint64_t>(columns_.count));
    for (std::uint64_t start = from; start < to; start += std::min(piece, to - start)) {
        deadline.check();
        if (const auto hit = walks[tables_.size() - 1](tables_, strided_, columns_, threshold, start,
                                                       std::min(to, start + piece)))
            return hit;
    }
    return std::nullopt;
}

} // namespace ondulix::cycle
