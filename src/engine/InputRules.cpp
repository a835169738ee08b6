#include "engine/InputRules.h"

#include "engine/NumberText.h"
#include "engine/Rounding.h"

#include <algorithm>

namespace ondulix::engine {
namespace {

using toolkit::TextBox;

struct Limits {
    double low;
    double high;
};

constexpr Limits kTableLimits{-16384, 16384}; // Length, Offset, Periods, Minimum, Maximum, Origin
constexpr Limits kRangeLimits{-32768, 32768};
constexpr Limits kSpeedLimits{-256, 256};
constexpr Limits kPreviewWidthLimits{1, 16384};
// Ymin stops one short of the bottom limit, so that Ymin + 1 is always a bottom edge the
// bottom's own clamp accepts; otherwise the two boxes would rewrite each other for ever.
constexpr Limits kPreviewTopLimits{-kPreviewExtentLimit, kPreviewExtentLimit - 1};
constexpr Limits kPreviewBottomLimits{-kPreviewExtentLimit, kPreviewExtentLimit};

double valueOf(const TextBox& box) { return ReadNumber(box.text()); }
std::int32_t roundedValueOf(const TextBox& box) { return RoundHalfEven(valueOf(box)); }

// Replaces a value beyond a limit with the limit. Both tests are strict and on the unrounded
// value; the box is read afresh for each, since the first write runs its handler nested.
void clamp(TextBox& box, Limits limits) {
    if (valueOf(box) > limits.high)
        box.setText(IntegerText(static_cast<std::int32_t>(limits.high)));
    if (valueOf(box) < limits.low)
        box.setText(IntegerText(static_cast<std::int32_t>(limits.low)));
}

std::size_t at(int table) { return static_cast<std::size_t>(table); }

} // namespace

InputRules::InputRules(const ParameterBoxes& boxes, toolkit::Surface& preview, TableSet& set)
    : boxes_(boxes), preview_(preview), set_(set) {}

void InputRules::ReadTableInputs(int table) {
    TextBox& length = *boxes_.txtSinLen[at(table)];
    TextBox& offset = *boxes_.txtSinOffs[at(table)];
    TextBox& periods = *boxes_.txtSinWaves[at(table)];
    TextBox& speed = *boxes_.txtSinSpeed[at(table)];
    TextBox& xmax = *boxes_.txtPrvXmax;
    TextBox& ymin = *boxes_.txtPrvYmin;
    TextBox& ymax = *boxes_.txtPrvYmax;

    clamp(length, kTableLimits);
    clamp(offset, kTableLimits);
    clamp(periods, kTableLimits);
    clamp(xmax, kPreviewWidthLimits);
    clamp(speed, kSpeedLimits);
    clamp(ymin, kPreviewTopLimits);
    clamp(ymax, kPreviewBottomLimits);

    TableParams& t = set_.tables[at(table)];
    t.Length = std::max(1, roundedValueOf(length)); // the box accepts down to -16384
    t.Offset = roundedValueOf(offset);
    t.Periods = roundedValueOf(periods);
    t.Speed = roundedValueOf(speed);
    if (t.Speed == 0)
        t.Position = 0;

    toolkit::UserScale scale = preview_.scale();
    scale.width = static_cast<float>(valueOf(xmax));
    scale.left = 0.0f;
    scale.top = static_cast<float>(valueOf(ymin));
    preview_.setScale(scale);

    // Ymax must lie below Ymin (y grows downward), far enough that the bottom edge, a float sum,
    // differs from the top edge; otherwise it becomes Ymin + 1, which runs this box's handler
    // nested. For ordinary values this is just "Ymax is greater than Ymin".
    const float top = static_cast<float>(valueOf(ymin));
    if (!(top + static_cast<float>(valueOf(ymax) - valueOf(ymin)) > top))
        ymax.setText(DoubleText(valueOf(ymin) + 1.0));

    scale = preview_.scale();
    scale.height = static_cast<float>(valueOf(ymax) - valueOf(ymin));
    preview_.setScale(scale);
}

void InputRules::ReadMinMax(int table) {
    TextBox& minimum = *boxes_.txtSinMin[at(table)];
    TextBox& maximum = *boxes_.txtSinMax[at(table)];
    clamp(minimum, kTableLimits);
    clamp(maximum, kTableLimits);

    TableParams& t = set_.tables[at(table)];
    t.Minimum = roundedValueOf(minimum);
    t.Maximum = roundedValueOf(maximum);
}

void InputRules::ReadOriginRange(int table) {
    TextBox& range = *boxes_.txtSinRange[at(table)];
    TextBox& origin = *boxes_.txtSinOrigin[at(table)];
    clamp(range, kRangeLimits);
    clamp(origin, kTableLimits);

    TableParams& t = set_.tables[at(table)];
    t.Range = std::max(1, roundedValueOf(range)); // the box accepts down to -32768
    t.Origin = roundedValueOf(origin);
}

} // namespace ondulix::engine
