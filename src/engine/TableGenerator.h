#pragma once

#include "engine/TableSet.h"

namespace ondulix::engine {

// Computes table entries; never draws and never reads a text box.
//
// Writes entries 0 to Length of the table's row (Length + 1 entries: the last is the sample one
// step past the period) and leaves the rest of the row alone. The arithmetic follows one fixed
// order in double precision, because users compare our bytes with tables computed elsewhere:
//   round-half-even(Origin + (Range / 2) * sin(((Offset + x) * (Periods * (Pi + Pi))) / Length))
// with Pi the single-precision pi widened to double. Expects 1 <= Length <= 16384 and Offset,
// Periods within +-16384, as the input rules guarantee.
void ComputeTable(TableSet& set, int table);

} // namespace ondulix::engine
