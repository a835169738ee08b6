#include "display/PreviewVerdict.h"

#include "engine/NumberText.h"

namespace ondulix::display {

std::string BoundsText(const engine::PreviewView& view) {
    return engine::FloatText(view.Ymin()) + " to " + engine::FloatText(view.Ymax());
}

std::string VerdictLine(const engine::PreviewCycleReport& report, const engine::PreviewView& view) {
    const bool top = report.passesTop;
    const bool bottom = report.passesBottom;
    if (!top && !bottom)
        return "The sum stays within " + BoundsText(view) + " in every frame.";
    const char* edges = top && bottom ? "both edges" : top ? "the top edge" : "the bottom edge";
    return "The sum leaves " + BoundsText(view) + ": it passes " + edges + ".";
}

std::string SumRangeLine(const engine::PreviewCycleReport& report) {
    if (!report.smallestSum || !report.largestSum)
        return "There is no column to sum.";
    return "It runs from " + engine::IntegerText(*report.smallestSum) + " to " + engine::IntegerText(*report.largestSum) +
           ".";
}

std::string PreviewToolTip(const engine::PreviewCycleReport& report, const engine::PreviewView& view) {
    return VerdictLine(report, view) + "\n" + SumRangeLine(report);
}

} // namespace ondulix::display
