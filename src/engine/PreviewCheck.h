#pragma once

#include "engine/PreviewCycle.h"
#include "engine/PreviewView.h"
#include "engine/TableSet.h"

namespace ondulix::engine {

// The question of the preview's cycle as the model holds it: the tables' entries, lengths,
// speeds and current positions, the ticked tables, the columns a frame draws and its two edges.
PreviewCycleInput CycleInputOf(const TableSet& set, const PreviewView& view, const Participation& ticked);

} // namespace ondulix::engine
