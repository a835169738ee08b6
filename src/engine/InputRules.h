#pragma once

#include "engine/NumberText.h"
#include "engine/PreviewView.h"
#include "engine/TableSet.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ondulix::engine {

// The rules that turn typed texts into the table set's numbers, as pure functions of the texts:
// input is never rejected, text that is no number reads 0, and a number beyond a limit is
// replaced by the limit. They touch no text box: the window applies them to its boxes (writing a
// limit back raises that box's own change notification), the command line to its arguments.

// Both limit tests are strict and made on the unrounded value: a value equal to a limit stands.
struct Limits {
    double low;
    double high;
};

// The limits are powers of two: 2^14 for the table's shape and bounds, 2^15 for Range, 2^8 for
// the preview step.
inline constexpr double kRangeLimit = 32768.0;
inline constexpr double kSpeedLimit = 256.0;
inline constexpr double kParameterLimit = kMaxLength;

// The preview's vertical extents need a limit too: beyond the float range ("1e39", "1e999") the
// preview would have no finite edge, and from 2^53 up Ymin + 1 equals Ymin, leaving it no height.
// Their boxes are clamped like the others, to +-2^20 (Ymin to 2^20 - 1, so that Ymin + 1 is
// always a bottom the bottom's own clamp accepts, or the two boxes would rewrite each other for
// ever): far beyond any sum of four tables (+-131072), exact in a float with a step of 1 to spare,
// and short enough to show back as the same plain integer text.
inline constexpr double kPreviewExtentLimit = 1048576.0;

inline constexpr Limits kPreviewWidthLimits{1.0, kMaxLength};
inline constexpr Limits kPreviewTopLimits{-kPreviewExtentLimit, kPreviewExtentLimit - 1.0};
inline constexpr Limits kPreviewBottomLimits{-kPreviewExtentLimit, kPreviewExtentLimit};

// A text read against its limits.
struct ValueReading {
    LeadingNumber read; // the text's own reading: its number, and what the reading ignored
    // The text of the limit the number passed, which replaces the text in its box; nothing when
    // the number lies within its limits.
    std::optional<std::string> limitText;
    double value = 0.0; // the value in force: the number read, or the limit it passed

    bool clamped() const { return limitText.has_value(); }
};

ValueReading ReadValue(std::string_view text, Limits limits);

// The text that replaces a value beyond its limits: the upper test first, then the lower one
// ("16384", "-16384", "1"). Nothing when the value stands.
std::optional<std::string> LimitText(double value, Limits limits);

// The eight number boxes of a table, in the order the command line types them: the table's
// shape, its preview step, then the amplitude in either form.
enum class TableField : std::uint8_t { Length, Offset, Periods, Speed, Minimum, Maximum, Origin, Range };

struct FieldRule {
    TableField field;
    std::int32_t TableParams::*member;
    Limits limits;
    // Length and Range accept texts down to -16384 and -32768 but are stored as at least 1.
    bool storedAtLeastOne;
};

inline constexpr std::array<FieldRule, 8> kFieldRules{{
    {TableField::Length, &TableParams::Length, {-kParameterLimit, kParameterLimit}, true},
    {TableField::Offset, &TableParams::Offset, {-kParameterLimit, kParameterLimit}, false},
    {TableField::Periods, &TableParams::Periods, {-kParameterLimit, kParameterLimit}, false},
    {TableField::Speed, &TableParams::Speed, {-kSpeedLimit, kSpeedLimit}, false},
    {TableField::Minimum, &TableParams::Minimum, {-kParameterLimit, kParameterLimit}, false},
    {TableField::Maximum, &TableParams::Maximum, {-kParameterLimit, kParameterLimit}, false},
    {TableField::Origin, &TableParams::Origin, {-kParameterLimit, kParameterLimit}, false},
    {TableField::Range, &TableParams::Range, {-kRangeLimit, kRangeLimit}, true},
}};

const FieldRule& RuleOf(TableField field);

// The value a field stores for a text: the clamped value rounded half to even, and at least 1
// for Length and Range.
std::int32_t StoredValue(TableField field, double clampedValue);

// The text read, clamped and stored in one step, for callers without a box.
struct FieldReading {
    ValueReading reading;
    std::int32_t stored = 0;
};
FieldReading ReadField(TableField field, std::string_view text);

// The bottom of the preview must lie below its top (y grows downward) by enough that the bottom
// edge, a single-precision sum of top and height, differs from the top: for ordinary values just
// "Ymax is greater than Ymin". Otherwise Ymax becomes Ymin + 1, and this is its text.
std::optional<std::string> RaisedBottomText(double ymin, double ymax);

// The preview's height between the two extents, in single precision.
float PreviewHeight(double ymin, double ymax);

// The texts of the preview's three extent boxes read in one step, for callers without a box:
// each text clamped, the bottom raised to Ymin + 1 where it is not below the top, and the view
// they give. The same view as the window's after those texts replace its boxes' texts.
struct PreviewReading {
    ValueReading xmax;
    ValueReading ymin;
    ValueReading ymax;                      // as typed, before any raise
    std::optional<std::string> raisedYmax; // the text Ymax was raised to, when it was
    PreviewView view;
};
PreviewReading ReadPreview(std::string_view xmax, std::string_view ymin, std::string_view ymax);

// A preview position given as a number (the window has no box for it, the command line does):
// rounded as a box's value is, then taken modulo the table's Length; beyond the double range it
// reads 0.
std::int32_t PositionOf(double value, std::int32_t length);

// The view once the window has read its preview boxes again: the boxes show the edges with at
// most seven significant digits, and every edit reads them back, so a bound typed with more
// digits is from then on the one the box shows ("300.00003" becomes 300).
PreviewView SettledView(const PreviewView& view);

} // namespace ondulix::engine
