#pragma once

#include "engine/PreviewCycle.h"
#include "engine/PreviewView.h"

#include <string>

namespace ondulix::cli {

// What --check prints: whether the preview's sum stays within its bounds over every frame the
// animation reaches from the start (frame 0 is the first frame the window draws), where its
// extremes and its first passes of the edges are, and the cycle they were found over.

// A few plain lines, the first two as the window's preview tooltip words them.
std::string CheckText(const engine::PreviewCycleReport& report, const engine::PreviewView& view,
                      const engine::Participation& ticked);

// The same as one JSON object on one line, for scripts.
std::string CheckJson(const engine::PreviewCycleReport& report, const engine::PreviewView& view,
                      const engine::Participation& ticked);

// Whether the sum passes neither edge.
bool StaysWithinBounds(const engine::PreviewCycleReport& report);

} // namespace ondulix::cli
