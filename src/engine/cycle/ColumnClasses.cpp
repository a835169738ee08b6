#include "engine/cycle/ColumnClasses.h"

#include "engine/cycle/CycleMath.h"

#include <algorithm>
#include <limits>

namespace ondulix::engine::cycle {
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

void AddClassSums(std::span<const TickedTable> tables, std::int32_t x, std::uint64_t m0, std::span<std::int32_t> low,
                  std::span<std::int32_t> high) {
    std::int32_t* __restrict lows = low.data(); // the buffers never overlap the tables
    std::int32_t* __restrict highs = high.data();
    if (tables.empty()) {
        std::fill(low.begin(), low.end(), 0);
        std::fill(high.begin(), high.end(), 0);
    }
    for (std::size_t t = 0; t < tables.size(); ++t) {
        const TickedTable& table = tables[t];
        const std::int32_t place = at(table.classPlace, table.classAt(m0, x));
        const std::int32_t base = place / table.classOrbit * table.classOrbit;
        std::int32_t offset = place - base;
        for (std::size_t i = 0; i < low.size();) {
            const auto run = std::min(static_cast<std::size_t>(table.classOrbit - offset), low.size() - i);
            const std::int32_t* __restrict mins = table.orbitMin.data() + base + offset;
            const std::int32_t* __restrict maxs = table.orbitMax.data() + base + offset;
            if (t == 0) {
                std::copy_n(mins, run, lows + i);
                std::copy_n(maxs, run, highs + i);
            } else {
                for (std::size_t u = 0; u < run; ++u)
                    lows[i + u] += mins[u];
                for (std::size_t u = 0; u < run; ++u)
                    highs[i + u] += maxs[u];
            }
            i += run;
            offset = 0;
        }
    }
}

} // namespace ondulix::engine::cycle
