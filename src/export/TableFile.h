#pragma once

#include "engine/TableSet.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

namespace ondulix::exporter {

// Writes the four tables as text, byte for byte in one of two styles; never opens, names or
// closes a file. Lines end in CR LF. Entries 1 to Length of each table are written, eight values
// to a line, the count running on across tables.

// The numbers are the save dialog's filter entries.
enum class ExportStyle : std::uint8_t {
    CArrays = 1,        // "Array, AnsiC-Style": Int SinTab1[512]= { ... };
    AssemblerBytes = 2, // "Bytes, TassC64-Style": SinTab1 / .byte ... lines
};

inline constexpr std::string_view kHeaderCredit = "Tables by Ondulix V1, the sine table tool";

// Values written since the last line break; runs across tables, 0 to 7 between values.
using ValuesOnLine = std::uint8_t;

// Appends one value text (" 59 " or "-59 ") and what follows it: a separator, a line end, or
// nothing after a table's last value.
void WriteTableValue(std::string& out, ExportStyle style, ValuesOnLine& valuesOnLine, std::int32_t value, bool isLast);

// Appends the whole file: header, the four tables in index order, the preview steps.
// Expects valuesOnLine to be 0, as a save sets it.
void WriteTableFile(std::string& out, const engine::TableSet& set, ExportStyle style, ValuesOnLine& valuesOnLine);

// The same text written to a stream, for callers that hold one.
void WriteTableFile(std::ostream& out, const engine::TableSet& set, ExportStyle style, ValuesOnLine& valuesOnLine);

} // namespace ondulix::exporter
