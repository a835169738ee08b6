#pragma once

#include "engine/PreviewCycle.h"
#include "engine/PreviewView.h"

#include <optional>
#include <string>

namespace ondulix::cli {

// What --check prints: whether the preview's sum stays within its bounds over every frame the
// animation reaches from the start (frame 0 is the first frame the window draws), where its
// extremes and its first passes of the edges are, and the cycle they were found over.

// A first frame the search left unsettled is said to be so, with the time it had (`budget`, in
// seconds; none: it had no limit).

// A few plain lines, the first two as the window's preview tooltip words them.
std::string CheckText(const engine::PreviewCycleReport& report, const engine::PreviewView& view,
                      const engine::Participation& ticked, std::optional<double> budget);

// The same as one JSON object on one line, for scripts: an unsettled first frame and column are
// null, with a reason.
std::string CheckJson(const engine::PreviewCycleReport& report, const engine::PreviewView& view,
                      const engine::Participation& ticked, std::optional<double> budget);

// Whether the sum passes neither edge.
bool StaysWithinBounds(const engine::PreviewCycleReport& report);

} // namespace ondulix::cli
