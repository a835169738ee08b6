#include "cycle/PreviewCycleSearch.h"

#include "cycle/CycleAnalysis.h"
#include "cycle/Deadline.h"

#include <algorithm>
#include <array>

namespace ondulix::cycle {
namespace {

// One first occurrence asked of the analysis: where the report keeps it, and whether it is
// settled.
struct Question {
    std::optional<engine::CycleSample>* sample;
    bool* unsettled;
    int sign;
    std::int32_t limit;
};

} // namespace

engine::PreviewCycleReport SearchPreviewCycle(const engine::PreviewCycleInput& input, const SearchBudget& budget) {
    return SearchPreviewCycle(input, budget, SearchLimits{});
}

engine::PreviewCycleReport SearchPreviewCycle(const engine::PreviewCycleInput& input, const SearchBudget& budget,
                                              const SearchLimits& limits) {
    engine::CheckCycleInput(input);
    engine::PreviewCycleReport report;
    report.cycleFrames = engine::CycleFrames(input);
    const Columns columns{engine::ColumnCount(input), input.columnStep};
    if (columns.count == 0)
        return report;

    int settled = 0;
    const Deadline deadline(budget.limit, budget.progress ? [&](Deadline::Clock::duration spent) {
        budget.progress(spent, settled);
    } : std::function<void(Deadline::Clock::duration)>());
    CycleAnalysis analysis(input, columns, limits, deadline);
    const std::int32_t smallest = analysis.smallest();
    const std::int32_t largest = analysis.largest();
    report.smallestSum = smallest;
    report.largestSum = largest;
    const double pastTop = engine::LargestPastTop(input.top);
    const double pastBottom = engine::SmallestPastBottom(input.top, input.bottom);
    report.passesTop = pastTop >= smallest;
    report.passesBottom = pastBottom <= largest;

    engine::PreviewCycleReport::Unsettled& unsettled = report.unsettled;
    std::vector<Question> questions{{&report.smallest, &unsettled.smallest, +1, smallest},
                                    {&report.largest, &unsettled.largest, -1, -largest}};
    if (report.passesTop)
        questions.push_back({&report.firstPastTop, &unsettled.pastTop, +1,
                             static_cast<std::int32_t>(std::min<double>(pastTop, largest))});
    if (report.passesBottom)
        questions.push_back({&report.firstPastBottom, &unsettled.pastBottom, -1,
                             -static_cast<std::int32_t>(std::max<double>(pastBottom, smallest))});
    settled = 4 - static_cast<int>(questions.size());
    for (const Question& q : questions) {
        try {
            *q.sample = analysis.firstReaching(q.sign, q.limit);
            ++settled;
        } catch (const OutOfTime&) {
            *q.unsettled = true;
        }
    }
    return report;
}

} // namespace ondulix::cycle
