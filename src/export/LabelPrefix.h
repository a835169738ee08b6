#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ondulix::exporter {

// The labels of the tables in the dialect files: the prefix and the table number, "sin1" to
// "sin4"; the two halves of a split table add "_lo" and "_hi" ("sin1_lo", "sin1_hi").
inline constexpr std::string_view kDefaultLabelPrefix = "sin";
inline constexpr std::string_view kLowBytesSuffix = "_lo";
inline constexpr std::string_view kHighBytesSuffix = "_hi";

// C99 tells external identifiers apart by their first 31 characters, so no label is longer.
inline constexpr std::size_t kMaxLabelLength = 31;

// The label of table 0 to 3.
std::string TableLabel(std::string_view prefix, int table);

// Empty when every label the prefix makes is one that C and every assembler of the dialects take
// as it stands; else one line saying why not. A prefix is an ASCII letter followed by letters,
// digits and "_" (a leading "_" is a local label to 64tass and reserved in C), short enough for
// kMaxLabelLength, and makes no label that a dialect reserves (65C02 bit instructions such as
// bbr1, 64tass's atan2, ca65's st1).
std::string LabelPrefixProblem(std::string_view prefix);

} // namespace ondulix::exporter
