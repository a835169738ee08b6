#include "cycle/FrameWalk.h"

#include "cycle/CycleMath.h"

#include <algorithm>
#include <array>
#include <limits>
#include <numeric>

namespace ondulix::cycle {
namespace {

// The walk looks at the deadline after this many column sums, about 50 us' worth.
constexpr std::uint64_t kColumnSumsPerLook = std::uint64_t{1} << 17;

FrameWalk::Strided stridedOf(const TickedTable& t, Columns columns, int sign) {
    const std::int32_t length = t.motion.length;
    const std::int32_t step = columns.step % length;
    const std::int32_t lanes = std::gcd(step, length);
    const std::int32_t laneLength = length / lanes;
    const std::int32_t laneSpan = laneLength + columns.count;
    FrameWalk::Strided s{std::vector<std::int32_t>(static_cast<std::size_t>(lanes) * static_cast<std::size_t>(laneSpan)),
                         std::vector<std::int32_t>(static_cast<std::size_t>(length))};
    // Each lane by additions alone: a division per entry would cost more than the walks of
    // many searches.
    for (std::int32_t lane = 0; lane < lanes; ++lane) {
        std::int32_t index = lane;
        for (std::int32_t k = 0; k < laneSpan; ++k) {
            if (k < laneLength)
                at(s.start, index) = lane * laneSpan + k;
            at(s.values, lane * laneSpan + k) = sign * t.entry(index);
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
    std::array<const std::int32_t*, N> values{}, starts{};
    std::array<std::int32_t, N> length{}, step{}, position{};
    for (std::size_t t = 0; t < N; ++t) {
        values[t] = strided[t].values.data();
        starts[t] = strided[t].start.data();
        length[t] = tables[t].motion.length;
        step[t] = tables[t].motion.step;
        position[t] = tables[t].motion.indexAt(from, 0); // the index at x = 0 in this frame
    }
    const auto count = static_cast<std::size_t>(columns.count);
    for (std::uint64_t frame = from; frame < to; ++frame) {
        std::array<const std::int32_t*, N> row{};
        for (std::size_t t = 0; t < N; ++t)
            row[t] = values[t] + starts[t][position[t]];
        std::int32_t lowest = std::numeric_limits<std::int32_t>::max();
        for (std::size_t k = 0; k < count; ++k) {
            std::int32_t sum = 0;
            for (std::size_t t = 0; t < N; ++t)
                sum += row[t][k];
            lowest = std::min(lowest, sum);
        }
        if (lowest <= threshold)
            for (std::size_t k = 0;; ++k) {
                std::int32_t sum = 0;
                for (std::size_t t = 0; t < N; ++t)
                    sum += row[t][k];
                if (sum <= threshold)
                    return Hit{frame, static_cast<std::int32_t>(k)};
            }
        for (std::size_t t = 0; t < N; ++t) {
            position[t] += step[t];
            position[t] -= position[t] >= length[t] ? length[t] : 0;
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
