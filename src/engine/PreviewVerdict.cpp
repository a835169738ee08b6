#include "engine/PreviewVerdict.h"

#include "engine/NumberText.h"

namespace ondulix::engine {

EdgesPassed EdgesPassedBy(const std::optional<SumRange>& range, const PreviewView& view) {
    if (!range)
        return {};
    return {range->smallest < view.shownTop(), range->largest > view.shownBottom() && range->largest >= view.shownTop()};
}

std::string BoundsText(const PreviewView& view) { return FloatText(view.Ymin()) + " to " + FloatText(view.Ymax()); }

std::string VerdictLine(const EdgesPassed& passed, const PreviewView& view) {
    if (!passed.any())
        return "The sum stays within " + BoundsText(view) + " in every frame.";
    const char* edges = passed.top && passed.bottom ? "both edges" : passed.top ? "the top edge" : "the bottom edge";
    return "The sum leaves " + BoundsText(view) + ": it passes " + edges + ".";
}

std::string SumRangeLine(const std::optional<SumRange>& range) {
    if (!range)
        return "There is no column to sum.";
    return "It runs from " + IntegerText(range->smallest) + " to " + IntegerText(range->largest) + ".";
}

std::string PreviewToolTip(const std::optional<SumRange>& range, const PreviewView& view) {
    return VerdictLine(EdgesPassedBy(range, view), view) + "\n" + SumRangeLine(range);
}

} // namespace ondulix::engine
