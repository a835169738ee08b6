#include "engine/TableGenerator.h"

#include "engine/Rounding.h"

#include <array>
#include <cassert>
#include <cmath>

namespace ondulix::engine {

void ComputeTable(TableSet& set, int table) {
    const TableParams& t = set.tables[static_cast<std::size_t>(table)];
    assert(t.Length >= 1 && t.Length <= kMaxLength && "Length must be read through the input rules first");

    const double pi = static_cast<double>(Pi);
    const double periodAngle = static_cast<double>(t.Periods) * (pi + pi);
    const double length = static_cast<double>(t.Length);
    const double halfRange = static_cast<double>(t.Range) / 2.0;
    const double origin = static_cast<double>(t.Origin);

    // The angles first, in a loop of their own: it vectorises, and keeps the divisions off the
    // path of the sine calls. Each lane rounds exactly as the scalar expression would.
    const auto count = static_cast<std::size_t>(t.Length) + 1;
    std::array<double, kMaxLength + 1> angles;
    for (std::size_t x = 0; x < count; ++x) {
        const std::int32_t n = t.Offset + static_cast<std::int32_t>(x);
        // Multiply before dividing: the other grouping changes the last bits of the angle.
        angles[x] = (static_cast<double>(n) * periodAngle) / length;
    }

    auto row = set.values.row(table);
    for (std::size_t x = 0; x < count; ++x)
        row[x] = RoundHalfEven(origin + halfRange * std::sin(angles[x]));
}

} // namespace ondulix::engine
