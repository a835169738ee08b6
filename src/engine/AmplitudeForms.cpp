#include "engine/AmplitudeForms.h"

#include "engine/Rounding.h"

namespace ondulix::engine {

void OriginRangeFromMinMax(TableParams& table) {
    table.Range = table.Maximum - table.Minimum;
    table.Origin = RoundHalfEven(static_cast<double>(table.Range) / 2.0 + static_cast<double>(table.Minimum));
}

void MinMaxFromOriginRange(TableParams& table) {
    table.Minimum = RoundHalfEven(static_cast<double>(table.Origin) - static_cast<double>(table.Range) / 2.0);
    table.Maximum = table.Minimum + table.Range;
}

} // namespace ondulix::engine
