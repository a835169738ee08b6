#include "cli/CheckReport.h"

#include "engine/NumberText.h"
#include "engine/PreviewVerdict.h"

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

// "1/0/0/0", and "[1,0,0,0]" with the commas.
std::string positionsText(const std::array<std::int32_t, engine::kTableCount>& positions, char separator) {
    std::string text;
    for (const std::int32_t p : positions)
        text += (text.empty() ? "" : std::string(1, separator)) + std::to_string(p);
    return text;
}

// Readers that hold JSON numbers as doubles get cycles beyond 2^53 frames exactly only from text.
std::string jsonCycleFrames(std::uint64_t frames) {
    const std::string digits = std::to_string(frames);
    return "\"cycleFrames\":" + digits + ",\"cycleFramesText\":\"" + digits + "\"";
}

} // namespace

bool StaysWithinBounds(const CheckFindings& findings, const engine::PreviewView& view) {
    return !engine::EdgesPassedBy(findings.range, view).any();
}

std::string CheckText(const CheckFindings& findings, const engine::PreviewView& view) {
    const engine::PreviewCycleReport& report = findings.cycle;
    const engine::Participation& ticked = findings.ticked;
    const bool fromStart = std::all_of(findings.positions.begin(), findings.positions.end(),
                                       [](std::int32_t p) { return p == 0; });
    std::string text = engine::VerdictLine(engine::EdgesPassedBy(findings.range, view), view) + "\n";
    text += engine::SumRangeLine(findings.range) + "\n";
    text += extremeLine("Smallest", report.smallest) + ".\n";
    text += extremeLine("Largest", report.largest) + ".\n";
    text += "Past the top edge (" + engine::FloatText(view.Ymin()) + "): " + whereFirst(report.firstPastTop) + ".\n";
    text += "Past the bottom edge (" + engine::FloatText(view.Ymax()) + "): " + whereFirst(report.firstPastBottom) +
            ".\n";
    text += "Over the whole cycle of " + std::to_string(report.cycleFrames) + " frames" +
            (fromStart ? "" : " from positions " + positionsText(findings.positions, '/')) + "; columns 0 to " +
            std::to_string(view.lastDrawnColumn()) + " in steps of " + std::to_string(view.columnStep()) +
            "; tables taking part: " + (std::any_of(ticked.begin(), ticked.end(), [](bool on) { return on; })
                                              ? tablesTicked(ticked, ", ")
                                              : std::string("none")) +
            ".\n";
    return text;
}

std::string CheckJson(const CheckFindings& findings, const engine::PreviewView& view) {
    const engine::PreviewCycleReport& report = findings.cycle;
    return std::string("{\"inside\":") + (StaysWithinBounds(findings, view) ? "true" : "false") +
           ",\"top\":" + engine::FloatText(view.Ymin()) + ",\"bottom\":" + engine::FloatText(view.Ymax()) +
           ",\"tables\":" + jsonTables(findings.ticked) + ",\"at\":[" + positionsText(findings.positions, ',') +
           "],\"columnStep\":" + std::to_string(view.columnStep()) +
           ",\"lastColumn\":" + std::to_string(view.lastDrawnColumn()) + "," + jsonCycleFrames(report.cycleFrames) +
           ",\"smallest\":" + jsonSample(report.smallest) + ",\"largest\":" + jsonSample(report.largest) +
           ",\"pastTop\":" + jsonSample(report.firstPastTop) + ",\"pastBottom\":" + jsonSample(report.firstPastBottom) +
           "}\n";
}

} // namespace ondulix::cli
