#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace ondulix::exporter {

struct Dialect;

// The labels of the tables in the dialect files: the prefix and the table number, "sin1" to
// "sin4", or a name given for each table; the two halves of a split table add "_lo" and "_hi"
// ("sin1_lo", "sin1_hi").
inline constexpr std::string_view kDefaultLabelPrefix = "sin";
inline constexpr std::string_view kLowBytesSuffix = "_lo";
inline constexpr std::string_view kHighBytesSuffix = "_hi";

// C99 tells external identifiers apart by their first 31 characters, so no label is longer.
inline constexpr std::size_t kMaxLabelLength = 31;

// The label of table 0 to 3.
std::string TableLabel(std::string_view prefix, int table);

// Empty when every label the prefix makes for the tables (0 to 3) is one that the dialect's
// toolchain takes as it stands; else one line saying why not. A prefix is an ASCII letter
// followed by letters, digits and "_" (a leading "_" is a local label to 64tass and reserved in
// C), short enough for kMaxLabelLength, and makes no label that the dialect, or its family,
// reserves (a register such as nasm's xmm1, a 65C02 instruction such as bbr1, a name of the C
// library such as log2).
std::string LabelPrefixProblem(std::string_view prefix, std::span<const int> tables, const Dialect& dialect);

// The same for names given one per table: each as a prefix would be, and no two alike in any
// letter case, their halves included.
std::string TableNamesProblem(std::span<const std::string> names, const Dialect& dialect);

} // namespace ondulix::exporter
