#pragma once

#include "engine/PreviewCycle.h"
#include "engine/cycle/ColumnClasses.h"
#include "engine/cycle/CrtSearch.h"
#include "engine/cycle/MonotoneQueue.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace ondulix::engine::cycle {

// The ticked tables of one input that has at least one column: the smallest and largest sum
// over the whole cycle, and the first sample at or beyond a limit.
class CycleAnalysis {
public:
    CycleAnalysis(const PreviewCycleInput& input, Columns columns, SearchLimits limits);

    std::int32_t smallest() const;
    std::int32_t largest() const;

    // The first sample with a sum of at most `limit` (sign +1) or at least `-limit` (sign -1).
    std::optional<CycleSample> firstReaching(int sign, std::int32_t limit);

private:
    std::optional<Hit> firstHit(int sign, std::int32_t limit);
    std::int32_t sumAt(const Hit& hit) const;

    Columns columns_;
    SearchLimits limits_;
    std::uint64_t sharedModulus_ = 1;
    std::uint64_t cycle_ = 1; // the ticked tables repeat together after this many frames
    std::vector<TickedTable> tables_;
    ColumnClasses columnClasses_;
    std::array<std::vector<std::int32_t>, 2> lows_; // per representative column, for sign +1 and -1
    std::map<std::pair<int, std::int32_t>, std::optional<CycleSample>> answers_;
    MonotoneQueue<CrtSearch::Node> queue_; // shared by the searches, which keeps its memory warm
};

} // namespace ondulix::engine::cycle

namespace ondulix::engine {

// The analysis with other search limits than the built-in ones.
PreviewCycleReport AnalysePreviewCycle(const PreviewCycleInput& input, const cycle::SearchLimits& limits);

} // namespace ondulix::engine
