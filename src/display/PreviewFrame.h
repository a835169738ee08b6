#pragma once

#include "engine/PreviewView.h"
#include "engine/TableSet.h"
#include "toolkit/Surface.h"

#include <cstdint>
#include <vector>

namespace ondulix::display {

// Which edges the sum passed in a frame: above the top edge (a sum below Ymin, since y grows
// downward) or below the bottom edge (a sum above Ymax). They light the two "peak" markers.
struct PeakFlags {
    bool upper = false;
    bool lower = false;

    friend bool operator==(const PeakFlags&, const PeakFlags&) = default;
};

// What drawing a frame works in, kept from frame to frame by whoever draws them, so that a
// running preview allocates nothing.
struct FrameScratch {
    std::vector<std::int32_t> sums;
    std::vector<toolkit::Surface::ColumnDot> columns;
};

// Draws one frame of the preview of f(x) = sin1(x+x1) + sin2(x+x2) + sin3(x+x3) + sin4(x+x4):
// column by column, the sum of the ticked tables at their current positions, each column wiped
// first from edge to edge and its point drawn unless the sum lies beyond an edge. Columns between
// the drawn ones keep what they showed. Reads the entries and the positions, never changes them;
// the positions move on with engine::AdvancePositions.
PeakFlags DrawPreviewFrame(toolkit::Surface& picture, const engine::TableSet& set, const engine::PreviewView& view,
                           const engine::Participation& ticked, FrameScratch& scratch);

} // namespace ondulix::display
