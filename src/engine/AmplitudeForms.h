#pragma once

#include "engine/TableSet.h"

namespace ondulix::engine {

// Keep the two amplitude forms of a table in step. Range = Maximum - Minimum holds exactly after
// either conversion; the halves are floating-point and rounded half to even.

// Range and Origin from Minimum and Maximum: Origin is the rounded midpoint.
void OriginRangeFromMinMax(TableParams& table);

// Minimum and Maximum from Origin and Range: Minimum is rounded, Maximum = Minimum + Range, so a
// typed Origin stays as typed even where the exact midpoint of an odd Range is its neighbour.
void MinMaxFromOriginRange(TableParams& table);

} // namespace ondulix::engine
