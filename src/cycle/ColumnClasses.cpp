#include "cycle/ColumnClasses.h"

#include "cycle/CycleMath.h"

#include <algorithm>
#include <limits>

namespace ondulix::cycle {
namespace {

// The frames, modulo M, by which moving x columns to the right moves every table at once, if any.
std::optional<Congruence> framesForColumns(std::span<const TickedTable> tables, std::int32_t x) {
    Congruence frames;
    for (const TickedTable& t : tables) {
        // frames * classStep = x (mod classCount)
        const std::int32_t g = std::gcd(t.classStep, t.classCount);
        if (x % g != 0)
            return std::nullopt;
        const auto n = static_cast<std::uint64_t>(t.classCount / g);
        const std::uint64_t need = static_cast<std::uint64_t>(x % t.classCount / g) *
                                   inverseOf(static_cast<std::uint64_t>(t.classStep / g), n) % n;
        const auto both = merged(frames, {need, n});
        if (!both)
            return std::nullopt;
        frames = *both;
    }
    return frames;
}

} // namespace

ColumnClasses ColumnClassesOf(std::span<const TickedTable> tables, Columns columns) {
    for (std::int32_t k = 1; k < columns.count; ++k)
        if (const auto frames = framesForColumns(tables, columns.x(k)))
            return {k, frames->residue};
    return {std::max(columns.count, 1), 0};
}

} // namespace ondulix::cycle
