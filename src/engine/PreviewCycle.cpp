#include "engine/PreviewCycle.h"

#include "engine/cycle/CycleAnalysis.h"
#include "engine/cycle/CycleMath.h"
#include "engine/cycle/TickedTable.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace ondulix::engine {
namespace {

// Entries within +-2^22 keep a sum of four within +-2^24, exact in single precision.
constexpr std::int32_t kLargestEntry = 1 << 22;

void require(bool condition, const std::string& what) {
    if (!condition)
        throw std::invalid_argument("preview cycle: " + what);
}

void requireValid(const PreviewCycleInput& in) {
    for (std::size_t i = 0; i < in.tables.size(); ++i) {
        const PreviewCycleTable& t = in.tables[i];
        const std::string table = "table " + std::to_string(i);
        require(t.Length >= 1 && t.Length <= kMaxLength, table + " needs a Length of 1 to 16384");
        if (!t.ticked)
            continue;
        require(t.entries.size() >= static_cast<std::size_t>(t.Length), table + " has fewer entries than its Length");
        const auto entries = t.entries.first(static_cast<std::size_t>(t.Length));
        require(std::all_of(entries.begin(), entries.end(),
                            [](std::int32_t e) { return e >= -kLargestEntry && e <= kLargestEntry; }),
                table + " has an entry beyond +-2^22");
    }
    require(in.columnStep >= 1, "the column step must be at least 1");
    require(!(in.lastColumn > kMaxLength), "the last column must be at most 16384");
}

// The columns the frame's loop `for (x = 0; x <= last; x += step)` draws: x is whole, so the
// loop stops after the last multiple of the step not above floor(last).
cycle::Columns columnsOf(const PreviewCycleInput& in) {
    if (!(in.lastColumn >= 0.0))
        return {0, in.columnStep};
    return {static_cast<std::int32_t>(std::floor(in.lastColumn)) / in.columnStep + 1, in.columnStep};
}

// The frame tests float(sum) < top first, then float(sum) > bottom. Sums are whole and exact in
// single precision, so each test is a whole-number limit: the largest sum past the top edge ...
double largestPastTop(float top) {
    return std::isnan(top) ? -std::numeric_limits<double>::infinity() : std::ceil(static_cast<double>(top)) - 1.0;
}

// ... and the smallest sum past the bottom edge that is not already past the top one.
double smallestPastBottom(float top, float bottom) {
    const double below = std::isnan(bottom) ? std::numeric_limits<double>::infinity()
                                            : std::floor(static_cast<double>(bottom)) + 1.0;
    return std::max(below, largestPastTop(top) + 1.0);
}

} // namespace

PreviewCycleReport AnalysePreviewCycle(const PreviewCycleInput& input) {
    return AnalysePreviewCycle(input, cycle::SearchLimits{});
}

PreviewCycleReport AnalysePreviewCycle(const PreviewCycleInput& input, const cycle::SearchLimits& limits) {
    requireValid(input);
    PreviewCycleReport report;
    for (const PreviewCycleTable& t : input.tables)
        report.cycleFrames = cycle::lcmOf(report.cycleFrames, static_cast<std::uint64_t>(cycle::Motion(t).period));
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
