#include "engine/InputRules.h"

#include "engine/Rounding.h"

#include <algorithm>
#include <cmath>

namespace ondulix::engine {
namespace {

constexpr bool rulesInFieldOrder() {
    for (std::size_t i = 0; i < kFieldRules.size(); ++i)
        if (static_cast<std::size_t>(kFieldRules[i].field) != i)
            return false;
    return true;
}
static_assert(rulesInFieldOrder(), "kFieldRules must list the fields in the order of TableField");

} // namespace

std::optional<std::string> LimitText(double value, Limits limits) {
    if (value > limits.high)
        return IntegerText(static_cast<std::int32_t>(limits.high));
    if (value < limits.low)
        return IntegerText(static_cast<std::int32_t>(limits.low));
    return std::nullopt;
}

ValueReading ReadValue(std::string_view text, Limits limits) {
    ValueReading reading;
    reading.read = ReadLeadingNumber(text);
    reading.limitText = LimitText(reading.read.value, limits);
    reading.value = reading.clamped() ? ReadNumber(*reading.limitText) : reading.read.value;
    return reading;
}

const FieldRule& RuleOf(TableField field) { return kFieldRules[static_cast<std::size_t>(field)]; }

std::int32_t StoredValue(TableField field, double clampedValue) {
    const std::int32_t rounded = RoundHalfEven(clampedValue);
    return RuleOf(field).storedAtLeastOne ? std::max(1, rounded) : rounded;
}

FieldReading ReadField(TableField field, std::string_view text) {
    FieldReading result;
    result.reading = ReadValue(text, RuleOf(field).limits);
    result.stored = StoredValue(field, result.reading.value);
    return result;
}

std::optional<std::string> RaisedBottomText(double ymin, double ymax) {
    const auto top = static_cast<float>(ymin);
    if (top + PreviewHeight(ymin, ymax) > top)
        return std::nullopt;
    return DoubleText(ymin + 1.0);
}

float PreviewHeight(double ymin, double ymax) { return static_cast<float>(ymax - ymin); }

PreviewReading ReadPreview(std::string_view xmax, std::string_view ymin, std::string_view ymax) {
    PreviewReading reading;
    reading.xmax = ReadValue(xmax, kPreviewWidthLimits);
    reading.ymin = ReadValue(ymin, kPreviewTopLimits);
    reading.ymax = ReadValue(ymax, kPreviewBottomLimits);
    const double top = reading.ymin.value;
    double bottom = reading.ymax.value;
    reading.raisedYmax = RaisedBottomText(top, bottom);
    if (reading.raisedYmax)
        bottom = ReadNumber(*reading.raisedYmax);
    reading.view.setWidth(static_cast<float>(reading.xmax.value));
    reading.view.setTop(static_cast<float>(top));
    reading.view.setHeight(PreviewHeight(top, bottom));
    return reading;
}

std::int32_t PositionOf(double value, std::int32_t length) {
    if (!std::isfinite(value) || length < 1)
        return 0;
    // fmod is exact, and the rounded value is whole, so this is the true remainder.
    return WrapIndex(static_cast<std::int64_t>(std::fmod(RoundedHalfEven(value), length)), length);
}

PreviewView SettledView(const PreviewView& view) {
    return ReadPreview(FloatText(view.Xmax()), FloatText(view.Ymin()), FloatText(view.Ymax())).view;
}

} // namespace ondulix::engine
