#pragma once

#include "engine/TableSet.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace ondulix::exporter {

// Writes the four tables as text, byte for byte in the C array or the TassC64 style; never opens,
// names or closes a file. Lines end in CR LF. Entries 1 to Length of each table are written, eight
// values to a line, the count running on across tables.

// The numbers are the save dialog's filter entries.
enum class ExportStyle : std::uint8_t {
    CArrays = 1,        // "Array, AnsiC-Style": Int SinTab1[512]= { ... };
    AssemblerBytes = 2, // "Bytes, TassC64-Style": SinTab1 / .byte ... lines
};

inline constexpr std::string_view kHeaderCredit = "Tables by Ondulix V1, the sine table tool";

// The whole file: header, the four tables in index order, the preview steps.
std::string WriteTableFile(const engine::TableSet& set, ExportStyle style);

} // namespace ondulix::exporter
