#include "display/PreviewVerdict.h"

#include "engine/NumberText.h"

namespace ondulix::display {

std::string BoundsText(const engine::PreviewView& view) {
    return engine::FloatText(view.Ymin()) + " to " + engine::FloatText(view.Ymax());
}

std::string VerdictLine(const engine::PreviewCycleReport& report, const engine::PreviewView& view) {
    const bool top = report.firstPastTop.has_value();
    const bool bottom = report.firstPastBottom.has_value();
    if (!top && !bottom)
        return "The sum stays within " + BoundsText(view) + " in every frame.";
    const char* edges = top && bottom ? "both edges" : top ? "the top edge" : "the bottom edge";
    return "The sum leaves " + BoundsText(view) + ": it passes " + edges + ".";
}

std::string SumRangeLine(const engine::PreviewCycleReport& report) {
    if (!report.smallest || !report.largest)
        return "There is no column to sum.";
    return "It runs from " + engine::IntegerText(report.smallest->sum) + " to " +
           engine::IntegerText(report.largest->sum) + ".";
}

std::string PreviewToolTip(const engine::PreviewCycleReport& report, const engine::PreviewView& view) {
    return VerdictLine(report, view) + "\n" + SumRangeLine(report);
}

} // namespace ondulix::display
