#include "engine/PreviewCycle.h"

#include "engine/cycle/CycleAnalysis.h"
#include "engine/cycle/CycleMath.h"
#include "engine/SumRange.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ondulix::engine {
namespace {

cycle::Columns columnsOf(const PreviewCycleInput& in) { return {ColumnCountOf(in), in.columnStep}; }

// The frame tests sum < top first, then sum > bottom. Sums are whole, so each test is a
// whole-number limit: the largest sum past the top edge ...
double largestPastTop(double top) {
    return std::isnan(top) ? -std::numeric_limits<double>::infinity() : std::ceil(top) - 1.0;
}

// ... and the smallest sum past the bottom edge that is not already past the top one.
double smallestPastBottom(double top, double bottom) {
    const double below = std::isnan(bottom) ? std::numeric_limits<double>::infinity()
                                            : std::floor(bottom) + 1.0;
    return std::max(below, largestPastTop(top) + 1.0);
}

} // namespace

PreviewCycleReport AnalysePreviewCycle(const PreviewCycleInput& input) {
    return AnalysePreviewCycle(input, cycle::SearchLimits{});
}

PreviewCycleReport AnalysePreviewCycle(const PreviewCycleInput& input, const cycle::SearchLimits& limits) {
    RequireValidCycleInput(input);
    PreviewCycleReport report;
    report.cycleFrames = CycleFramesOf(input);
    const cycle::Columns columns = columnsOf(input);
    if (columns.count == 0)
        return report;

    cycle::CycleAnalysis analysis(input, columns, limits);
    const std::int32_t smallest = analysis.smallest();
    const std::int32_t largest = analysis.largest();
    report.smallest = analysis.firstReaching(+1, smallest);
    report.largest = analysis.firstReaching(-1, -largest);
    const double pastTop = largestPastTop(input.top);
    if (pastTop >= smallest)
        report.firstPastTop = analysis.firstReaching(+1, static_cast<std::int32_t>(std::min<double>(pastTop, largest)));
    const double pastBottom = smallestPastBottom(input.top, input.bottom);
    if (pastBottom <= largest)
        report.firstPastBottom =
            analysis.firstReaching(-1, -static_cast<std::int32_t>(std::max<double>(pastBottom, smallest)));
    return report;
}

} // namespace ondulix::engine
