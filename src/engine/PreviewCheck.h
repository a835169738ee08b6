#pragma once

#include "engine/PreviewCycle.h"
#include "engine/PreviewView.h"
#include "engine/TableSet.h"

namespace ondulix::engine {

// The cycle analysis asked of the preview as the model holds it: the tables' entries, lengths,
// speeds and current positions, the ticked tables, the columns a frame draws and its two edges.
PreviewCycleInput CycleInputOf(const TableSet& set, const PreviewView& view, const Participation& ticked);

inline PreviewCycleReport CheckPreview(const TableSet& set, const PreviewView& view, const Participation& ticked) {
    return AnalysePreviewCycle(CycleInputOf(set, view, ticked));
}

} // namespace ondulix::engine
