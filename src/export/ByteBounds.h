#pragma once

#include "engine/TableSet.h"
#include "export/DataForm.h"

#include <cstdint>
#include <optional>

namespace ondulix::exporter {

// Bounds under which a table that needs 16-bit words fits a byte form, for the note that says so.
// Only the bounds change; length, offset and periods stay, so the table keeps its shape.
struct ByteBounds {
    std::int32_t Minimum = 0;
    std::int32_t Maximum = 0;
    DataForm form = DataForm::UnsignedBytes; // the byte form the table then takes

    friend bool operator==(const ByteBounds&, const ByteBounds&) = default;
};

// Tries bounds in order of how much of the table they keep: the same Minimum and 255 above it,
// the same Maximum and 255 below it, the full byte range of the table's sign (0 to 255 when its
// bounds are not negative, else -128 to 127), the other sign's, and last 0 to 254 and -127 to 127,
// which hold even a sine that reaches exactly +-1. Each keeps the table's direction (Minimum
// above Maximum turns the wave over). A candidate counts only once the generator, with the same
// single-precision pi, has computed it and every entry written fits a byte. Nothing when no
// candidate fits.
std::optional<ByteBounds> SuggestByteBounds(const engine::TableParams& table);

} // namespace ondulix::exporter
