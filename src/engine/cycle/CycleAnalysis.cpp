#include "engine/cycle/CycleAnalysis.h"

#include "engine/cycle/CycleMath.h"
#include "engine/cycle/FrameWalk.h"

#include <algorithm>

namespace ondulix::engine::cycle {
namespace {

std::vector<Motion> tickedMotions(const PreviewCycleInput& input) {
    std::vector<Motion> ticked;
    for (const PreviewCycleTable& t : input.tables)
        if (t.ticked)
            ticked.emplace_back(t);
    return ticked;
}

// The split with the fewest root classes, and of those the one whose groups' classes are fewest:
// the extremes add once per group class and column, then once per root class and column.
const TableGroups& cheapestForExtremes(const std::vector<TableGroups>& splits) {
    return *std::min_element(splits.begin(), splits.end(), [](const TableGroups& a, const TableGroups& b) {
        return std::pair(a.rootModulus, a.groupModulus[0] + a.groupModulus[1]) <
               std::pair(b.rootModulus, b.groupModulus[0] + b.groupModulus[1]);
    });
}

// Searches estimated to cost less than this go without a walk first; longer walks than this go
// without finishing (in column sums, about as dear as the search's units).
constexpr double kWorthWalking = 1 << 18;
constexpr double kLongestWalk = 1 << 22;

// The first frames are looked at before any search: edges well inside the sums are passed at once.
constexpr std::uint64_t kEarlyFrames = 4;

} // namespace

CycleAnalysis::CycleAnalysis(const PreviewCycleInput& input, Columns columns, SearchLimits limits)
    : input_(input), columns_(columns), limits_(limits), splits_(AllSplits(tickedMotions(input))),
      extremes_(input, cheapestForExtremes(splits_), columns, limits.foldsKept) {
    for (const PreviewCycleTable& t : input.tables)
        if (t.ticked) {
            tables_.emplace_back(t, extremes_.rootModulus());
            cycle_ = lcmOf(cycle_, static_cast<std::uint64_t>(tables_.back().motion.period));
        }
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
    SearchGoal goal{sign, limit, extremes_.rootModulus(), extremes_.countReaching(sign, limit), 0};
    for (std::int32_t column = 0; column < columns_.count; ++column)
        goal.reachingColumns += extremes_.columnLow(sign, column) <= limit ? 1 : 0;
    const SearchPlan plan = PlanSearch(input_, splits_, goal, limits_);
    // A hit that comes early is found sooner by walking the frames: a walk as long as the search
    // is estimated to take, up to a few milliseconds, costs at most that much more where it
    // finds nothing. Cheap searches only look at the first few frames.
    if (const auto hit = firstInEarlyFrames(sign, limit))
        return hit;
    const auto frames = plan.cost < kWorthWalking ? kEarlyFrames
                                                  : static_cast<std::uint64_t>(std::min(plan.cost, kLongestWalk) /
                                                                               columns_.count);
    if (frames > kEarlyFrames)
        if (const auto hit = walkOf(sign).first(limit, kEarlyFrames, frames))
            return hit;
    CrtSearch search(plan, columns_, sign, limit, limits_);
    switch (search.run(extremes_)) {
    case CrtSearch::Outcome::Found:
        return search.hit();
    case CrtSearch::Outcome::None:
        return std::nullopt;
    case CrtSearch::Outcome::TooLarge:
        break;
    }
    return walkOf(sign).first(limit, std::max(frames, kEarlyFrames), cycle_);
}

std::optional<Hit> CycleAnalysis::firstInEarlyFrames(int sign, std::int32_t limit) const {
    for (std::uint64_t frame = 0; frame < std::min(kEarlyFrames, cycle_); ++frame)
        for (std::int32_t column = 0; column < columns_.count; ++column)
            if (sign * sumAt({frame, column}) <= limit)
                return Hit{frame, column};
    return std::nullopt;
}

const FrameWalk& CycleAnalysis::walkOf(int sign) {
    std::optional<FrameWalk>& walk = walks_[sign > 0 ? 0 : 1];
    if (!walk)
        walk.emplace(tables_, columns_, sign, cycle_);
    return *walk;
}

std::int32_t CycleAnalysis::sumAt(const Hit& hit) const {
    std::int32_t sum = 0;
    for (const TickedTable& t : tables_)
        sum += t.entry(t.motion.indexAt(hit.frame, columns_.x(hit.column)));
    return sum;
}

} // namespace ondulix::engine::cycle
