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

    // Three loops: the angles, their sines, then the entries. The first and the last vectorise
    // (each lane rounds exactly as the scalar expression would), and the sine calls in between
    // have nothing to wait for but their own stores: together they take little more than the
    // sines alone.
    const auto count = static_cast<std::size_t>(t.Length) + 1;
    std::array<double, kMaxLength + 1> waves; // the angles, then their sines
    for (std::size_t x = 0; x < count; ++x) {
        const std::int32_t n = t.Offset + static_cast<std::int32_t>(x);
        // Multiply before dividing: the other grouping changes the last bits of the angle.
        waves[x] = (static_cast<double>(n) * periodAngle) / length;
    }
    for (std::size_t x = 0; x < count; ++x)
        waves[x] = std::sin(waves[x]);

    auto row = set.values.row(table);
    for (std::size_t x = 0; x < count; ++x)
        row[x] = RoundHalfEven(origin + halfRange * waves[x]);
}

} // namespace ondulix::engine
