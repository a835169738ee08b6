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

// "not settled within the time budget of 2 s"
std::string notSettled(std::optional<double> budget) {
    return "not settled within the time budget" + (budget ? " of " + engine::DoubleText(*budget) + " s" : std::string());
}

std::string whereFirst(const std::optional<CycleSample>& sample, bool unsettled, std::optional<double> budget) {
    if (unsettled)
        return "yes; its first frame was " + notSettled(budget);
    if (!sample)
        return "never";
    return "first in frame " + std::to_string(sample->frame) + " at column " + std::to_string(sample->x) + ", sum " +
           engine::IntegerText(sample->sum);
}

std::string extremeLine(const char* which, const std::optional<CycleSample>& sample, std::optional<std::int32_t> sum,
                        bool unsettled, std::optional<double> budget) {
    if (!sum)
        return std::string(which) + " sum: none, there is no column";
    if (unsettled)
        return std::string(which) + " sum " + engine::IntegerText(*sum) + "; its first frame was " +
               notSettled(budget);
    return std::string(which) + " sum " + engine::IntegerText(sample->sum) + ", first in frame " +
           std::to_string(sample->frame) + " at column " + std::to_string(sample->x);
}

// {"sum", "frame", "column"}, null where there is none; where the first frame is not settled,
// the frame and column are null with the reason beside them (and the sum, where it is not an
// extreme, which the range gives).
std::string jsonSample(const std::optional<CycleSample>& sample, bool unsettled, std::optional<std::int32_t> sum,
                       std::optional<double> budget) {
    if (unsettled)
        return "{\"sum\":" + (sum ? engine::IntegerText(*sum) : std::string("null")) +
               ",\"frame\":null,\"column\":null,\"reason\":\"" + notSettled(budget) + "\"}";
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

// "1/0/0/0", and "1,0,0,0" for JSON.
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

std::optional<std::int32_t> smallestOf(const std::optional<engine::SumRange>& range) {
    return range ? std::optional(range->smallest) : std::nullopt;
}

std::optional<std::int32_t> largestOf(const std::optional<engine::SumRange>& range) {
    return range ? std::optional(range->largest) : std::nullopt;
}

} // namespace

bool StaysWithinBounds(const CheckFindings& findings, const engine::PreviewView& view) {
    return !engine::EdgesPassedBy(findings.range, view).any();
}

std::string CheckText(const CheckFindings& findings, const engine::PreviewView& view) {
    const engine::PreviewCycleReport& report = findings.cycle;
    const engine::PreviewCycleReport::Unsettled& unsettled = report.unsettled;
    const engine::Participation& ticked = findings.ticked;
    const std::optional<double> budget = findings.budget;
    const bool fromStart = std::all_of(findings.positions.begin(), findings.positions.end(),
                                       [](std::int32_t p) { return p == 0; });
    std::string text = engine::VerdictLine(engine::EdgesPassedBy(findings.range, view), view) + "\n";
    text += engine::SumRangeLine(findings.range) + "\n";
    text += extremeLine("Smallest", report.smallest, smallestOf(findings.range), unsettled.smallest, budget) + ".\n";
    text += extremeLine("Largest", report.largest, largestOf(findings.range), unsettled.largest, budget) + ".\n";
    text += "Past the top edge (" + engine::FloatText(view.Ymin()) +
            "): " + whereFirst(report.firstPastTop, unsettled.pastTop, budget) + ".\n";
    text += "Past the bottom edge (" + engine::FloatText(view.Ymax()) +
            "): " + whereFirst(report.firstPastBottom, unsettled.pastBottom, budget) + ".\n";
    text += "Over the whole cycle of " + std::to_string(report.cycleFrames) + " frames" +
            (fromStart ? "" : " from positions " + positionsText(findings.positions, '/')) + "; columns 0 to " +
            std::to_string(view.lastDrawnColumn()) + " in steps of " + std::to_string(view.columnStep()) +
            "; tables taking part: " + (std::any_of(ticked.begin(), ticked.end(), [](bool on) { return on; })
                                              ? tablesTicked(ticked, ", ")
                                              : std::string("none")) +
            ".\n";
    if (unsettled.any())
        text += "The verdict and the sums are exact; the search for first frames stopped at its time budget "
                "(--check-budget SECONDS, 0 for no limit).\n";
    return text;
}

std::string CheckJson(const CheckFindings& findings, const engine::PreviewView& view) {
    const engine::PreviewCycleReport& report = findings.cycle;
    const engine::PreviewCycleReport::Unsettled& unsettled = report.unsettled;
    const std::optional<double> budget = findings.budget;
    return std::string("{\"inside\":") + (StaysWithinBounds(findings, view) ? "true" : "false") +
           ",\"top\":" + engine::FloatText(view.Ymin()) + ",\"bottom\":" + engine::FloatText(view.Ymax()) +
           ",\"tables\":" + jsonTables(findings.ticked) + ",\"at\":[" + positionsText(findings.positions, ',') +
           "],\"columnStep\":" + std::to_string(view.columnStep()) +
           ",\"lastColumn\":" + std::to_string(view.lastDrawnColumn()) + "," + jsonCycleFrames(report.cycleFrames) +
           ",\"smallest\":" + jsonSample(report.smallest, unsettled.smallest, smallestOf(findings.range), budget) +
           ",\"largest\":" + jsonSample(report.largest, unsettled.largest, largestOf(findings.range), budget) +
           ",\"pastTop\":" + jsonSample(report.firstPastTop, unsettled.pastTop, std::nullopt, budget) +
           ",\"pastBottom\":" + jsonSample(report.firstPastBottom, unsettled.pastBottom, std::nullopt, budget) +
           ",\"settled\":" + (unsettled.any() ? "false" : "true") + "}\n";
}

} // namespace ondulix::cli
