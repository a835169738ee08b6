#pragma once

#include <span>
#include <string_view>

namespace ondulix::exporter {

// Names that one toolchain refuses as a table's label (a register, an instruction, a name its C
// library declares), and the words that say so. Assemblers compare them in any letter case, C
// exactly.
struct ReservedNames {
    std::span<const std::string_view> names;
    // Completes "... makes the label bbr1, ": "which ACME and ca65 refuse as a 65C02 instruction".
    std::string_view refusal;
    bool caseSensitive = false;

    bool holds(std::string_view label) const;
};

} // namespace ondulix::exporter
