#pragma once

#include "engine/PreviewCycle.h"
#include "engine/PreviewView.h"

#include <string>

namespace ondulix::display {

// Whether the preview's sum ever leaves its bounds, in the words the window's preview tooltip
// and ondulix-export --check share:
//   "The sum stays within -512 to 512 in every frame."
//   "The sum leaves -512 to 512: it passes the top edge."
std::string VerdictLine(const engine::PreviewCycleReport& report, const engine::PreviewView& view);

// "It runs from -281 to 281." ("There is no column to sum." when the preview draws none.)
std::string SumRangeLine(const engine::PreviewCycleReport& report);

// The two lines together: the preview picture's tooltip.
std::string PreviewToolTip(const engine::PreviewCycleReport& report, const engine::PreviewView& view);

// "-512 to 512": the bounds as the preview's boxes show them, top first.
std::string BoundsText(const engine::PreviewView& view);

} // namespace ondulix::display
