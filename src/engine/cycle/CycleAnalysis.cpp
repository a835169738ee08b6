#include "engine/cycle/CycleAnalysis.h"

#include "engine/cycle/CycleMath.h"
#include "engine/cycle/FrameWalk.h"

#include <algorithm>

namespace ondulix::engine::cycle {

CycleAnalysis::CycleAnalysis(const PreviewCycleInput& input, Columns columns, SearchLimits limits)
    : columns_(columns), limits_(limits) {
    std::vector<Motion> ticked;
    for (const PreviewCycleTable& t : input.tables)
        if (t.ticked)
            ticked.emplace_back(t);
    sharedModulus_ = SharedModulus(ticked);
    for (const Motion& m : ticked)
        cycle_ = lcmOf(cycle_, static_cast<std::uint64_t>(m.period));
    for (const PreviewCycleTable& t : input.tables)
        if (t.ticked)
            tables_.emplace_back(t, sharedModulus_);
    columnClasses_ = ColumnClassesOf(tables_, columns);
    ColumnExtremes extremes = RepresentativeExtremes(tables_, sharedModulus_, columns, columnClasses_);
    lows_[0] = std::move(extremes.low);
    lows_[1] = std::move(extremes.negHigh);
}

std::int32_t CycleAnalysis::smallest() const {
    return *std::min_element(lows_[0].begin(), lows_[0].end());
}

std::int32_t CycleAnalysis::largest() const {
    return -*std::min_element(lows_[1].begin(), lows_[1].end());
}

std::optional<CycleSample> CycleAnalysis::firstReaching(int sign, std::int32_t limit) {
    // An edge next to an extreme asks the same question as the extreme itself.
    const auto known = answers_.find({sign, limit});
    if (known != answers_.end())
        return known->second;
    std::optional<CycleSample> answer;
    if (const std::optional<Hit> hit = firstHit(sign, limit))
        answer = CycleSample{hit->frame, columns_.x(hit->column), sumAt(*hit)};
    return answers_[{sign, limit}] = answer;
}

std::optional<Hit> CycleAnalysis::firstHit(int sign, std::int32_t limit) {
    CrtSearch search(tables_, sharedModulus_, columns_, columnClasses_, sign, limit, limits_, queue_);
    switch (search.run(lows_[sign > 0 ? 0 : 1])) {
    case CrtSearch::Outcome::Found:
        return search.hit();
    case CrtSearch::Outcome::None:
        return std::nullopt;
    case CrtSearch::Outcome::TooLarge:
        break;
    }
    return FrameWalk(tables_, columns_, sign, limit, cycle_).first();
}

std::int32_t CycleAnalysis::sumAt(const Hit& hit) const {
    std::int32_t sum = 0;
    for (const TickedTable& t : tables_)
        sum += t.entry(t.motion.indexAt(hit.frame, columns_.x(hit.column)));
    return sum;
}

} // namespace ondulix::engine::cycle
