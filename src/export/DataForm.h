#pragma once

#include "engine/TableSet.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace ondulix::exporter {

// How the entries of one table are stored in a dialect file: the narrowest of four forms that
// holds every entry written, unless --form asks for bytes or words. A word is two bytes per
// entry, in the byte order of the dialect's target.
enum class DataForm : std::uint8_t { UnsignedBytes, SignedBytes, UnsignedWords, SignedWords };

struct DataFormTraits {
    DataForm form;
    std::int32_t lowest;  // the entries the form holds
    std::int32_t highest;
    int bytesPerEntry;
    int valuesPerLine;            // in the files: 16 bytes or 8 words to a line
    std::string_view description; // "16-bit signed words"
};

// In order of preference: a table is written in the first form that holds all its entries, so a
// table without negative entries is unsigned, and only a table beyond a byte takes words.
inline constexpr std::array<DataFormTraits, 4> kDataForms{{
    {DataForm::UnsignedBytes, 0, 255, 1, 16, "unsigned bytes"},
    {DataForm::SignedBytes, -128, 127, 1, 16, "signed bytes"},
    {DataForm::UnsignedWords, 0, 65535, 2, 8, "16-bit unsigned words"},
    {DataForm::SignedWords, -32768, 32767, 2, 8, "16-bit signed words"},
}};

const DataFormTraits& TraitsOf(DataForm form);
bool IsByteForm(DataForm form);

// Entries 1 to Length of a table: the entries every file holds (entry 0 is never written).
std::span<const std::int32_t> WrittenEntries(const engine::TableSet& set, int table);

// What --form asks for: bytes or words, their sign following the entries as ever.
enum class FormChoice : std::uint8_t { Bytes, Words };

// The first form of kDataForms that holds every entry. A table computed within the input rules
// always fits 16 bits: Origin lies within +-16384 and |Range| / 2 within 16384, so the entries
// lie within Origin +- 16384; one above 32767 needs Origin 16384, and then none is negative, so
// unsigned words hold it. Nothing is returned only for entries set by other means.
std::optional<DataForm> NarrowestForm(std::span<const std::int32_t> entries);

// The first form of the chosen width that holds every entry (any width when none is chosen), or
// nothing when none of them does.
std::optional<DataForm> FormFor(std::span<const std::int32_t> entries, std::optional<FormChoice> choice);

} // namespace ondulix::exporter
