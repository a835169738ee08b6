#pragma once

#include "engine/PreviewCycle.h"
#include "engine/PreviewView.h"
#include "engine/SumRange.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace ondulix::cli {

// What --check prints: whether the preview's sum stays within its bounds over every frame the
// animation reaches from the positions it starts at (frame 0 is the first frame drawn from
// there), where its extremes and its first passes of the edges are, and the cycle they were
// found over.
struct CheckFindings {
    engine::Participation ticked{};
    std::array<std::int32_t, engine::kTableCount> positions{}; // each within 0 .. Length - 1
    // The smallest and largest sum: the verdict and the exit status come from it alone.
    std::optional<engine::SumRange> range;
    engine::PreviewCycleReport cycle; // where the extremes and the passes come first
    // The time the search for first frames had, in seconds; none: it had no limit. A first frame
    // it left unsettled is said to be so, with this budget.
    std::optional<double> budget;
};

// A few plain lines, the first two as the window's preview tooltip words them.
std::string CheckText(const CheckFindings& findings, const engine::PreviewView& view);

// The same as one JSON object on one line, for scripts: an unsettled first frame and column are
// null, with a reason.
std::string CheckJson(const CheckFindings& findings, const engine::PreviewView& view);

// Whether the sum passes neither edge.
bool StaysWithinBounds(const CheckFindings& findings, const engine::PreviewView& view);

} // namespace ondulix::cli
