#pragma once

#include "cycle/ClassExtremes.h"
#include "cycle/CrtSearch.h"
#include "cycle/Deadline.h"
#include "cycle/FrameWalk.h"
#include "cycle/PreviewCycleSearch.h"
#include "cycle/TableGroups.h"
#include "engine/PreviewCycle.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace ondulix::cycle {

// The ticked tables of one input that has at least one column: the smallest and largest sum
// over the whole cycle, and the first sample at or beyond a limit. The searches look at the
// deadline now and then and throw OutOfTime once it is past; the extremes are worked out before.
class CycleAnalysis {
public:
    // The input and the deadline outlive the analysis.
    CycleAnalysis(const engine::PreviewCycleInput& input, Columns columns, SearchLimits limits,
                  const Deadline& deadline);

    std::int32_t smallest() const { return extremes_.smallest(); }
    std::int32_t largest() const { return extremes_.largest(); }

    // The first sample with a sum of at most `limit` (sign +1) or at least `-limit` (sign -1).
    std::optional<engine::CycleSample> firstReaching(int sign, std::int32_t limit);

private:
    std::optional<Hit> firstHit(int sign, std::int32_t limit);
    std::optional<Hit> firstThroughColumnZero(int sign, std::int32_t limit);
    const FrameWalk& walkOf(int sign);
    std::optional<Hit> firstInEarlyFrames(int sign, std::int32_t limit) const;
    std::int32_t sumAt(const Hit& hit) const;

    const engine::PreviewCycleInput& input_;
    Columns columns_;
    SearchLimits limits_;
    const Deadline& deadline_;
    BufferPool pool_; // for the searches' indexes, one after the other
    std::uint64_t cycle_ = 1; // the ticked tables repeat together after this many frames
    std::vector<TableGroups> splits_;
    std::vector<TickedTable> tables_; // classes with respect to the root modulus
    ClassExtremes extremes_;
    std::array<std::optional<FrameWalk>, 2> walks_; // with the entries signed +1 and -1, when needed
    std::map<std::pair<int, std::int32_t>, std::optional<engine::CycleSample>> answers_;
    // Where one column step to the right shows what column 0 shows that many frames later, every
    // column's first hit follows from column 0's, searched alone (see firstThroughColumnZero).
    std::optional<std::uint64_t> framesPerColumn_;
    std::unique_ptr<CycleAnalysis> columnZero_;
};

} // namespace ondulix::cycle

namespace ondulix::cycle {

// The search with other limits than the built-in ones, which tests shrink to reach every way.
engine::PreviewCycleReport SearchPreviewCycle(const engine::PreviewCycleInput& input, const SearchBudget& budget,
                                              const SearchLimits& limits);

} // namespace ondulix::cycle
