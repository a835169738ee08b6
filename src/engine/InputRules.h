#pragma once

#include "engine/ParameterBoxes.h"
#include "engine/TableSet.h"
#include "toolkit/Surface.h"

namespace ondulix::engine {

// Turns the texts of the boxes into the table set's parameters and the preview's extents.
// Input is never rejected: text that is no number reads 0, and a value beyond a limit is
// replaced in its box by the limit. Each such write raises the box's change notification, whose
// handler runs nested before the procedure goes on; the nested run finds the value inside its
// limits and writes nothing more.
class InputRules {
public:
    InputRules(const ParameterBoxes& boxes, toolkit::Surface& preview, TableSet& set);

    // Length, Offset, Periods and Speed of a table, and the preview's extents.
    void ReadTableInputs(int table);
    // Minimum and Maximum of a table.
    void ReadMinMax(int table);
    // Origin and Range of a table.
    void ReadOriginRange(int table);

private:
    const ParameterBoxes& boxes_;
    toolkit::Surface& preview_;
    TableSet& set_;
};

// The preview's vertical extents need a limit too: beyond the float range ("1e39", "1e999") the
// preview would have no finite edge, and from 2^53 up Ymin + 1 equals Ymin, leaving it no height.
// Their boxes are clamped like the others, to +-2^20 (Ymin to 2^20 - 1, so Ymin + 1 still fits):
// far beyond any sum of four tables (+-131072), exact in a float with a step of 1 to spare, and
// short enough to show back as the same plain integer text.
inline constexpr double kPreviewExtentLimit = 1048576.0;

} // namespace ondulix::engine
