#include "cli/CheckReport.h"

#include "display/PreviewVerdict.h"
#include "engine/NumberText.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace ondulix::cli {
namespace {

using engine::CycleSample;

// The numbers of the ticked tables, joined by the separator.
std::string tablesTicked(const engine::Participation& ticked, std::string_view separator) {
    std::string list;
    for (std::size_t t = 0; t < ticked.size(); ++t) {
        if (!ticked[t])
            continue;
        if (!list.empty())
            list += separator;
        list += std::to_string(t + 1);
    }
    return list;
}

std::string whereFirst(const std::optional<CycleSample>& sample) {
    if (!sample)
        return "never";
    return "first in frame " + std::to_string(sample->frame) + " at column " + std::to_string(sample->x) + ", sum " +
           engine::IntegerText(sample->sum);
}

std::string extremeLine(const char* which, const std::optional<CycleSample>& sample) {
    if (!sample)
        return std::string(which) + " sum: none, there is no column";
    return std::string(which) + " sum " + engine::IntegerText(sample->sum) + ", first in frame " +
           std::to_string(sample->frame) + " at column " + std::to_string(sample->x);
}

std::string jsonSample(const std::optional<CycleSample>& sample) {
    if (!sample)
        return "null";
    return "{\"sum\":" + engine::IntegerText(sample->sum) + ",\"frame\":" + std::to_string(sample->frame) +
           ",\"column\":" + std::to_string(sample->x) + "}";
}

std::string jsonTables(const engine::Participation& ticked) {
    std::string json = "[";
    json += tablesTicked(ticked, ",");
    json += ']';
    return json;
}

} // namespace

bool StaysWithinBounds(const engine::PreviewCycleReport& report) {
    return !report.passesTop && !report.passesBottom;
}

std::string CheckText(const engine::PreviewCycleReport& report, const engine::PreviewView& view,
                      const engine::Participation& ticked) {
    std::string text = display::VerdictLine(report, view) + "\n";
    text += display::SumRangeLine(report) + "\n";
    text += extremeLine("Smallest", report.smallest) + ".\n";
    text += extremeLine("Largest", report.largest) + ".\n";
    text += "Past the top edge (" + engine::FloatText(view.Ymin()) + "): " + whereFirst(report.firstPastTop) + ".\n";
    text += "Past the bottom edge (" + engine::FloatText(view.Ymax()) + "): " + whereFirst(report.firstPastBottom) +
            ".\n";
    text += "Over the whole cycle of " + std::to_string(report.cycleFrames) + " frames; columns 0 to " +
            engine::DoubleText(view.lastColumn()) + " in steps of " + std::to_string(view.columnStep()) +
            "; tables taking part: " + (std::any_of(ticked.begin(), ticked.end(), [](bool on) { return on; })
                                              ? tablesTicked(ticked, ", ")
                                              : std::string("none")) +
            ".\n";
    return text;
}

std::string CheckJson(const engine::PreviewCycleReport& report, const engine::PreviewView& view,
                      const engine::Participation& ticked) {
    return std::string("{\"inside\":") + (StaysWithinBounds(report) ? "true" : "false") +
           ",\"top\":" + engine::FloatText(view.Ymin()) + ",\"bottom\":" + engine::FloatText(view.Ymax()) +
           ",\"tables\":" + jsonTables(ticked) + ",\"columnStep\":" + std::to_string(view.columnStep()) +
           ",\"lastColumn\":" + engine::DoubleText(view.lastColumn()) +
           ",\"cycleFrames\":" + std::to_string(report.cycleFrames) + ",\"smallest\":" + jsonSample(report.smallest) +
           ",\"largest\":" + jsonSample(report.largest) + ",\"pastTop\":" + jsonSample(report.firstPastTop) +
           ",\"pastBottom\":" + jsonSample(report.firstPastBottom) + "}\n";
}

} // namespace ondulix::cli
