#include "export/Dialect.h"

#include <algorithm>
#include <cctype>

namespace ondulix::exporter {
namespace {

template <std::size_t N, std::size_t M>
constexpr std::array<std::string_view, N + M> joined(const std::array<std::string_view, N>& first,
                                                     const std::array<std::string_view, M>& second) {
    std::array<std::string_view, N + M> all{};
    std::copy(first.begin(), first.end(), all.begin());
    std::copy(second.begin(), second.end(), all.begin() + N);
    return all;
}

// The bit instructions of the Rockwell and WDC 65C02 and the 65CE02, with the numbers a label can
// end in. 64tass, ACME and ca65 take them as instructions once the source selects such a CPU, so
// a label of that name breaks the assembly (or the user's own "bbr1 $10, loop").
constexpr std::array<std::string_view, 16> kBitInstructions{
    "bbr1", "bbr2", "bbr3", "bbr4", "bbs1", "bbs2", "bbs3", "bbs4",
    "rmb1", "rmb2", "rmb3", "rmb4", "smb1", "smb2", "smb3", "smb4",
};
// 64tass: its built-in function atan2() (a label of that name shadows it).
constexpr auto k64tassReserved = joined(kBitInstructions, std::array<std::string_view, 1>{"atan2"});
// ca65: st1 and st2 are HuC6280 instructions.
constexpr auto kCa65Reserved = joined(kBitInstructions, std::array<std::string_view, 2>{"st1", "st2"});

// Every assembler takes a label in the first column (ca65 with a colon after it) and data indented
// below it, one directive a line; they differ in their directives and reserved names.
constexpr Dialect assembler(std::string_view name, std::string_view description, std::string_view labelLine,
                            std::array<DataSyntax, kDataForms.size()> data,
                            std::span<const std::string_view> reservedLabels = {}) {
    return {.name = name,
            .description = description,
            .comment = "; ",
            .preamble = "",
            .tableOpening = labelLine,
            .lineOpening = "        {directive} ",
            .lineBreak = "\n",
            .tableClosing = "\n",
            .splitsWords = true,
            .data = data,
            .reservedLabels = reservedLabels};
}

constexpr std::array<Dialect, 6> kDialects{{
    {.name = "c99",
     .description = "C99 arrays (stdint.h)",
     .comment = "// ",
     .preamble = "\n#include <stdint.h>\n",
     .tableOpening = "const {directive} {label}[{length}] = {\n",
     .lineOpening = "    ",
     .lineBreak = ",\n",
     .tableClosing = "\n};\n",
     .splitsWords = false,
     .data = {{{"uint8_t"}, {"int8_t"}, {"uint16_t"}, {"int16_t"}}},
     .reservedLabels = {}},
    // .byte takes 0 to 255 only: signed bytes are .char, signed words .sint.
    assembler("64tass", "6502 data for 64tass", "{label}\n", {{{".byte"}, {".char"}, {".word"}, {".sint"}}},
              k64tassReserved),
    // !byte takes -128 to 255 and !word -32768 to 65535, so one directive serves both signs.
    assembler("acme", "6502 data for ACME", "{label}\n", {{{"!byte"}, {"!byte"}, {"!word"}, {"!word"}}},
              kBitInstructions),
    // .byte and .word refuse negative values: .lobytes stores the low byte of each value, and
    // .loword() turns a negative word into the unsigned one of the same bits.
    assembler("ca65", "6502 data for ca65 (cc65)", "{label}:\n",
              {{{".byte"}, {".lobytes"}, {".word"}, {".word", ".loword(", ")"}}}, kCa65Reserved),
    // dc.b and dc.w take either sign.
    assembler("dasm", "6502 data for dasm", "{label}\n", {{{"dc.b"}, {"dc.b"}, {"dc.w"}, {"dc.w"}}}),
    // .byt refuses a negative value; "<", the low byte of it, is the same bits. .word takes either
    // sign.
    assembler("xa", "6502 data for xa (xa65)", "{label}\n", {{{".byt"}, {".byt", "<"}, {".word"}, {".word"}}}),
}};

bool sameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

bool Dialect::reserves(std::string_view label) const {
    return std::any_of(reservedLabels.begin(), reservedLabels.end(),
                       [&](std::string_view reserved) { return sameName(reserved, label); });
}

std::span<const Dialect> Dialects() { return kDialects; }

const Dialect* FindDialect(std::string_view name) {
    const auto found =
        std::find_if(kDialects.begin(), kDialects.end(), [&](const Dialect& d) { return sameName(d.name, name); });
    return found == kDialects.end() ? nullptr : &*found;
}

std::string DialectNames() {
    std::string names;
    for (const Dialect& dialect : kDialects) {
        if (!names.empty())
            names += ", ";
        names += dialect.name;
    }
    return names;
}

} // namespace ondulix::exporter
