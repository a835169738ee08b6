#include "export/Dialect.h"

#include "export/CLibraryNames.h"

#include <algorithm>
#include <cctype>

namespace ondulix::exporter {
namespace {

bool sameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

// The names each toolchain refuses as a label of ours, which ends in a table number 1 to 4, or in
// _lo or _hi. tests/export/ReservedNameScanTest proves the lists of the Z80, 68000, ARM and x86
// assemblers against the assemblers themselves.

// The bit instructions of the Rockwell and WDC 65C02 and the 65CE02, with the numbers a label can
// end in, which ACME and ca65 take as instructions once the source selects such a processor.
constexpr auto kBitInstructions = std::to_array<std::string_view>({
    "bbr1", "bbr2", "bbr3", "bbr4", "bbs1", "bbs2", "bbs3", "bbs4",
    "rmb1", "rmb2", "rmb3", "rmb4", "smb1", "smb2", "smb3", "smb4",
});
constexpr auto k64tassFunctions = std::to_array<std::string_view>({"atan2"});
constexpr auto kHuC6280Instructions = std::to_array<std::string_view>({
    "st1", "st2", "tam1", "tam2", "tam3", "tam4", "tma1", "tma2", "tma3", "tma4",
});

constexpr ReservedNames kRefusedByAcmeAndCa65{kBitInstructions, "which ACME and ca65 refuse as a 65C02 instruction"};
constexpr std::array<ReservedNames, 1> k64tassNames{{{k64tassFunctions, "which 64tass refuses as its function atan2()"}}};
constexpr std::array<ReservedNames, 1> kAcmeNames{{kRefusedByAcmeAndCa65}};
constexpr std::array<ReservedNames, 2> kCa65Names{{
    kRefusedByAcmeAndCa65,
    {kHuC6280Instructions, "which ca65 refuses as a HuC6280 instruction"},
}};

// m68k-linux-gnu-as -m68000 --mri: the registers of the whole 68000 family, 68020 to ColdFire
// and its MAC units included.
constexpr auto k68000Registers = std::to_array<std::string_view>({
    "a1", "a2", "a3", "a4", "d1", "d2", "d3", "d4", "fp1", "fp2", "fp3", "fp4", "ac1", "acc1",
    "acc2", "acc3", "accext01", "accext23", "acr1", "acr2", "acr3", "acr4", "bac1", "bac2", "bac3",
    "bac4", "bad1", "bad2", "bad3", "bad4", "cop1", "cop2", "cop3", "cop4", "dacr1", "iacr1",
    "dtt1", "itt1", "tt1", "mbar1", "mbar2", "pcr1l1", "pcr1u1", "pcr2l1", "pcr2u1", "pcr3l1",
    "pcr3u1", "rambar1", "rombar1", "za1", "za2", "za3", "za4", "zd1", "zd2", "zd3", "zd4",
});
constexpr std::array<ReservedNames, 1> k68000Names{{{k68000Registers, "which m68k-linux-gnu-as refuses as a register"}}};

// nasm: registers from the 8086's to AVX-512's and AMX's, and its size and mode keywords.
constexpr auto kX86Registers = std::to_array<std::string_view>({
    "r11",   "r12",   "r13",   "r14",   "st1",   "st2",   "st3",   "st4",   "mm1",   "mm2",   "mm3",   "mm4",
    "xmm1",  "xmm2",  "xmm3",  "xmm4",  "xmm11", "xmm12", "xmm13", "xmm14", "xmm21", "xmm22", "xmm23", "xmm24",
    "xmm31", "ymm1",  "ymm2",  "ymm3",  "ymm4",  "ymm11", "ymm12", "ymm13", "ymm14", "ymm21", "ymm22", "ymm23",
    "ymm24", "ymm31", "zmm1",  "zmm2",  "zmm3",  "zmm4",  "zmm11", "zmm12", "zmm13", "zmm14", "zmm21", "zmm22",
    "zmm23", "zmm24", "zmm31", "k1",    "k2",    "k3",    "k4",    "tmm1",  "tmm2",  "tmm3",  "tmm4",  "bnd1",
    "bnd2",  "bnd3",  "cr1",   "cr2",   "cr3",   "cr4",   "cr11",  "cr12",  "cr13",  "cr14",  "dr1",   "dr2",
    "dr3",   "dr4",   "dr11",  "dr12",  "dr13",  "dr14",  "tr1",   "tr2",   "tr3",   "tr4",
});
constexpr auto kNasmKeywords = std::to_array<std::string_view>({"a32", "a64", "o32", "o64", "use32", "use64"});
constexpr std::array<ReservedNames, 2> kNasmNames{{
    {kX86Registers, "which nasm refuses as a register"},
    {kNasmKeywords, "which nasm refuses as a keyword"},
}};

// The 6502 assemblers and C share their reserved names (see Dialect::labelFamily).
constexpr std::string_view k6502Family = "6502";

// Every assembler takes a label in the first column and data indented below it, one directive a
// line; they differ in their directives, alignment and reserved names.
struct AssemblerRow {
    std::string_view name;
    std::string_view description;
    std::string_view labelLine;
    std::array<DataSyntax, kDataForms.size()> data;
    std::string_view alignment;
    std::string_view alignRefusal = "";
    std::span<const ReservedNames> reservedNames = {};
    std::string_view labelFamily = "";
    std::string_view comment = "; ";
    std::string_view valueSeparator = ", ";
    std::string_view wordAlignment = "";
    std::string_view endAlignment = "";
    ByteOrder byteOrder = ByteOrder::Little;
};

constexpr Dialect assembler(const AssemblerRow& row) {
    return {.name = row.name,
            .description = row.description,
            .raw = false,
            .comment = row.comment,
            .preamble = "",
            .tableOpening = row.labelLine,
            .lineOpening = "        {directive} ",
            .valueSeparator = row.valueSeparator,
            .lineBreak = "\n",
            .tableClosing = "\n",
            .fileClosing = "",
            .wordAlignment = row.wordAlignment,
            .endAlignment = row.endAlignment,
            .alignment = row.alignment,
            .alignRefusal = row.alignRefusal,
            .splitsWords = true,
            .byteOrder = row.byteOrder,
            .data = row.data,
            .reservedNames = row.reservedNames,
            .labelFamily = row.labelFamily};
}

// Pasmo and z80asm read the same directives; defs with an expression of $ is the alignment both
// know.
constexpr std::array<DataSyntax, kDataForms.size()> kZ80Data{{{"defb"}, {"defb"}, {"defw"}, {"defw"}}};
constexpr std::string_view kZ80Alignment = "        defs -$ & {alignMask}\n";

constexpr std::array<Dialect, 13> kDialects{{
    {.name = "c99",
     .description = "C99 arrays (stdint.h)",
     .raw = false,
     .comment = "// ",
     // Static, so that every translation unit may include the file, and guarded, so that one
     // may include it twice.
     .preamble = "\n#ifndef {guard}\n#define {guard}\n\n#include <stdint.h>\n",
     .tableOpening = "static const {directive} {label}[{length}] = {\n",
     .lineOpening = "    ",
     .valueSeparator = ", ",
     .lineBreak = ",\n",
     .tableClosing = "\n};\n",
     .fileClosing = "\n#endif\n",
     .wordAlignment = "",
     .endAlignment = "",
     .alignment = "",
     .alignRefusal = "C99 has no way to align an array (_Alignas came with C11)",
     .splitsWords = false,
     .byteOrder = ByteOrder::Little,
     .data = {{{"uint8_t"}, {"int8_t"}, {"uint16_t"}, {"int16_t"}}},
     .reservedNames = clibrary::kNames,
     .labelFamily = k6502Family},
    // .byte takes 0 to 255 only: signed bytes are .char, signed words .sint.
    assembler({.name = "64tass",
               .description = "6502 data for 64tass",
               .labelLine = "{label}\n",
               .data = {{{".byte"}, {".char"}, {".word"}, {".sint"}}},
               .alignment = "        .align {align}, 0\n",
               .reservedNames = k64tassNames,
               .labelFamily = k6502Family}),
    // !byte takes -128 to 255 and !word -32768 to 65535, so one directive serves both signs.
    // !align fills with NOP unless told otherwise.
    assembler({.name = "acme",
               .description = "6502 data for ACME",
               .labelLine = "{label}\n",
               .data = {{{"!byte"}, {"!byte"}, {"!word"}, {"!word"}}},
               .alignment = "        !align {alignMask}, 0, 0\n",
               .reservedNames = kAcmeNames,
               .labelFamily = k6502Family}),
    // .byte and .word refuse negative values: .lobytes stores the low byte of each value, and
    // .loword() turns a negative word into the unsigned one of the same bits.
    assembler({.name = "ca65",
               .description = "6502 data for ca65 (cc65)",
               .labelLine = "{label}:\n",
               .data = {{{".byte"}, {".lobytes"}, {".word"}, {".word", ".loword(", ")"}}},
               .alignment = "",
               .alignRefusal = "ca65 cannot align inside an included file: .align aligns within the segment, "
                               "and only the linker configuration aligns the segment",
               .reservedNames = kCa65Names,
               .labelFamily = k6502Family}),
    // dc.b and dc.w take either sign.
    assembler({.name = "dasm",
               .description = "6502 data for dasm",
               .labelLine = "{label}\n",
               .data = {{{"dc.b"}, {"dc.b"}, {"dc.w"}, {"dc.w"}}},
               .alignment = "        align {align}, 0\n",
               .labelFamily = k6502Family}),
    // .byt refuses a negative value; "<", the low byte of it, is the same bits. .word takes either
    // sign. .align works in relocatable mode only, and only to 2, 4 or 256 bytes.
    assembler({.name = "xa",
               .description = "6502 data for xa (xa65)",
               .labelLine = "{label}\n",
               .data = {{{".byt"}, {".byt", "<"}, {".word"}, {".word"}}},
               .alignment = "        .dsb (-*) & {alignMask}, 0\n",
               .labelFamily = k6502Family}),
    assembler({.name = "pasmo",
               .description = "Z80 data for Pasmo",
               .labelLine = "{label}:\n",
               .data = kZ80Data,
               .alignment = kZ80Alignment}),
    assembler({.name = "z80asm",
               .description = "Z80 data for z80asm",
               .labelLine = "{label}:\n",
               .data = kZ80Data,
               .alignment = kZ80Alignment}),
    // sdasz80 and sdasgb alike.
    assembler({.name = "sdas",
               .description = "Z80 and Game Boy data for sdas (SDCC)",
               .labelLine = "{label}:\n",
               .data = {{{".db"}, {".db"}, {".dw"}, {".dw"}}},
               .alignment = "",
               .alignRefusal = "sdas cannot align inside an included file: .bndry aligns within the area, "
                               "and the linker places the area where it likes"}),
    // Motorola syntax as Devpac, vasm and gas --mri read it: a blank ends the operands, so the
    // values are separated by commas alone. The 68000 reads words at even addresses only, and
    // so does the code that may follow the file.
    assembler({.name = "m68k",
               .description = "68000 data (Motorola syntax)",
               .labelLine = "{label}\n",
               .data = {{{"dc.b"}, {"dc.b"}, {"dc.w"}, {"dc.w"}}},
               .alignment = "",
               .alignRefusal = "the 68000 assemblers share no alignment directive (gas --mri counts align in "
                               "bytes, vasm in bits, and Devpac has only cnop); words are kept at even addresses",
               .reservedNames = k68000Names,
               .valueSeparator = ",",
               .wordAlignment = "        even\n",
               .endAlignment = "        even\n",
               .byteOrder = ByteOrder::Big}),
    // ";" separates statements in ARM assembly: comments open with "@". The ARM7 of the Game Boy
    // Advance reads halfwords at even addresses only, and ARM code runs from multiples of 4.
    assembler({.name = "gas-arm",
               .description = "ARM data for GNU as",
               .labelLine = "{label}:\n",
               .data = {{{".byte"}, {".byte"}, {".hword"}, {".hword"}}},
               .alignment = "        .balign {align}, 0\n",
               .comment = "@ ",
               .wordAlignment = "        .balign 2, 0\n",
               .endAlignment = "        .balign 4, 0\n"}),
    assembler({.name = "nasm",
               .description = "x86 data for NASM",
               .labelLine = "{label}:\n",
               .data = {{{"db"}, {"db"}, {"dw"}, {"dw"}}},
               .alignment = "        align {align}, db 0\n",
               .reservedNames = kNasmNames}),
    {.name = "bin",
     .description = "Raw binary (little-endian words)",
     .raw = true,
     .comment = "",
     .preamble = "",
     .tableOpening = "",
     .lineOpening = "",
     .valueSeparator = "",
     .lineBreak = "",
     .tableClosing = "",
     .fileClosing = "",
     .wordAlignment = "",
     .endAlignment = "",
     .alignment = "",
     .alignRefusal = "",
     .splitsWords = true,
     .byteOrder = ByteOrder::Little,
     .data = {},
     .reservedNames = {},
     .labelFamily = ""},
}};

} // namespace

const ReservedNames* Dialect::refuses(std::string_view label) const {
    // The dialect's own toolchain first, so that its refusal is the one named.
    const auto refusedBy = [&](const Dialect& dialect) -> const ReservedNames* {
        const auto names = std::find_if(dialect.reservedNames.begin(), dialect.reservedNames.end(),
                                        [&](const ReservedNames& n) { return n.holds(label); });
        return names == dialect.reservedNames.end() ? nullptr : &*names;
    };
    if (const ReservedNames* own = refusedBy(*this))
        return own;
    for (const Dialect& relative : kDialects)
        if (!labelFamily.empty() && relative.labelFamily == labelFamily)
            if (const ReservedNames* names = refusedBy(relative))
                return names;
    return nullptr;
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
