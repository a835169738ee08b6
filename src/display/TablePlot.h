#pragma once

#include "engine/TableSet.h"
#include "toolkit/Surface.h"

namespace ondulix::display {

// Draws one table into its own plot: x from 0 to Length across, y from Minimum at the top to
// Maximum at the bottom (so the wave shows upside down), about 256 green points whatever the
// length. Never computes entries: the plot is prepared before the generator runs and drawn after.

// Clears the plot and sets its scale for the table. A Range of 0 keeps the height the plot had.
void PrepareTablePlot(toolkit::Surface& plot, const engine::TableParams& table);

// Every stride-th entry from 0 to Length, stride = Length / 256 rounded (at least 1).
void PlotTableEntries(toolkit::Surface& plot, const engine::TableParams& table,
                      std::span<const std::int32_t, engine::kValueCapacity> entries);

int PlotStride(std::int32_t length);

} // namespace ondulix::display
