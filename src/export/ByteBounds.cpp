#include "export/ByteBounds.h"

#include "engine/AmplitudeForms.h"
#include "engine/Defaults.h"
#include "engine/TableGenerator.h"

#include <algorithm>
#include <array>
#include <utility>

namespace ondulix::exporter {
namespace {

constexpr std::int32_t kByteSpan = 255;

// A byte range from its lowest to its highest entry, laid in the table's direction.
struct Span {
    std::int32_t lowest;
    std::int32_t highest;
};

std::pair<std::int32_t, std::int32_t> bounds(Span span, bool turnedOver) {
    return turnedOver ? std::pair{span.highest, span.lowest} : std::pair{span.lowest, span.highest};
}

// The bounds to try, most faithful first.
std::array<std::pair<std::int32_t, std::int32_t>, 6> candidates(const engine::TableParams& table) {
    const bool turnedOver = table.Minimum > table.Maximum;
    const std::int32_t up = turnedOver ? -kByteSpan : kByteSpan;
    constexpr Span unsignedFull{0, 255}, signedFull{-128, 127}, unsignedSafe{0, 254}, signedSafe{-127, 127};
    const bool unsignedFirst = std::min(table.Minimum, table.Maximum) >= 0;
    return {{
        {table.Minimum, table.Minimum + up},
        {table.Maximum - up, table.Maximum},
        bounds(unsignedFirst ? unsignedFull : signedFull, turnedOver),
        bounds(unsignedFirst ? signedFull : unsignedFull, turnedOver),
        bounds(unsignedFirst ? unsignedSafe : signedSafe, turnedOver),
        bounds(unsignedFirst ? signedSafe : unsignedSafe, turnedOver),
    }};
}

} // namespace

std::optional<ByteBounds> SuggestByteBounds(const engine::TableParams& table) {
    // A scratch set, so the table is computed exactly as the window would compute it: the
    // defaults bring the generator's pi.
    engine::TableSet scratch;
    engine::ApplyDefaults(scratch);
    for (const auto& [minimum, maximum] : candidates(table)) {
        engine::TableParams& t = scratch.tables[0];
        t = table;
        t.Minimum = minimum;
        t.Maximum = maximum;
        engine::OriginRangeFromMinMax(t);
        engine::ComputeTable(scratch, 0);
        if (const auto form = NarrowestForm(WrittenEntries(scratch, 0)); form && IsByteForm(*form))
            return ByteBounds{minimum, maximum, *form};
    }
    return std::nullopt;
}

} // namespace ondulix::exporter
