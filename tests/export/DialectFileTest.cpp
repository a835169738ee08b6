#include "export/DialectFile.h"

#include "engine/AmplitudeForms.h"
#include "engine/Defaults.h"
#include "engine/TableGenerator.h"

#include <gtest/gtest.h>

namespace ondulix::exporter {
namespace {

using engine::TableParams;
using engine::TableSet;

// The start-up tables, all of the given length.
TableSet startUpSet(std::int32_t length = 512) {
    TableSet set;
    engine::ApplyDefaults(set);
    for (int i = 0; i < engine::kTableCount; ++i) {
        set.tables[static_cast<std::size_t>(i)].Length = length;
        engine::OriginRangeFromMinMax(set.tables[static_cast<std::size_t>(i)]);
        engine::ComputeTable(set, i);
    }
    return set;
}

void setCentreForm(TableSet& set, int table, std::int32_t origin, std::int32_t range) {
    TableParams& t = set.tables[static_cast<std::size_t>(table)];
    t.Origin = origin;
    t.Range = range;
    engine::MinMaxFromOriginRange(t);
    engine::ComputeTable(set, table);
}

const Dialect& dialect(std::string_view name) { return *FindDialect(name); }

TEST(DialectFile, HeaderNamesEveryParameterTheFormAndTheCommandThatWritesItAgain) {
    TableSet set = startUpSet(8);
    setCentreForm(set, 2, 301, 101); // 16-bit unsigned, in a centre form the bounds cannot carry
    set.tables[3].Periods = 1;
    engine::ComputeTable(set, 3);
    const DialectFile file = WriteDialectFile(set, dialect("CA65"), {.labelPrefix = "wave", .split = true});
    ASSERT_TRUE(file.ok()) << file.problem;
    EXPECT_EQ(file.text, R"(; Sine tables by Ondulix V1, 6502 data for ca65 (cc65).
; Tables 1 to 4, entries 1 to length of each, and nothing else (no origin or segment).
; Written again, byte for byte, to standard output by
;   ondulix-export --style ca65 --label wave --split --sin1 length=8,offset=0,periods=1,speed=1,min=-128,max=128 --sin2 length=8,offset=64,periods=2,speed=-3,min=-96,max=96 --sin3 length=8,offset=128,periods=3,speed=5,origin=301,range=101 --sin4 length=8,offset=256,periods=1,speed=-7,min=-32,max=32
;
; wave1 with length 8, minimum -128, maximum 128, origin 0, range 256, offset 0, periods 1, speed 1
;   16-bit signed words, entries -128 to 128, split into wave1_lo (low bytes) and wave1_hi (high bytes)
;
; wave2 with length 8, minimum -96, maximum 96, origin 0, range 192, offset 64, periods 2, speed -3
;   signed bytes, entries -96 to 96
;
; wave3 with length 8, minimum 250, maximum 351, origin 301, range 101, offset 128, periods 3, speed 5
;   16-bit unsigned words, entries 251 to 351, split into wave3_lo (low bytes) and wave3_hi (high bytes)
;
; wave4 with length 8, minimum -32, maximum 32, origin 0, range 64, offset 256, periods 1, speed -7
;   signed bytes, entries -32 to 32

wave1_lo:
        .byte 91, 128, 91, 0, 165, 128, 165, 0

wave1_hi:
        .byte 0, 0, 0, 0, 255, 255, 255, 0

wave2:
        .lobytes 96, 0, -96, 0, 96, 0, -96, 0

wave3_lo:
        .byte 81, 251, 81, 45, 9, 95, 9, 45

wave3_hi:
        .byte 1, 0, 1, 1, 1, 1, 1, 1

wave4:
        .lobytes 23, 32, 23, 0, -23, -32, -23, 0
)");
}

TEST(DialectFile, CommandGivesTheAmplitudeInTheFormThatReproducesTheGenerator) {
    TableSet set = startUpSet();
    setCentreForm(set, 0, 0, 255);   // the bounds -128 and 127 give back Origin 0
    setCentreForm(set, 1, 1, 255);   // -126 and 129 would give Origin 2
    TableParams& turnedOver = set.tables[2];
    turnedOver.Minimum = 100;        // Range -100 exists only in the bounds form
    turnedOver.Maximum = 0;
    engine::OriginRangeFromMinMax(turnedOver);

    const std::string command = RegenerateCommand(set, dialect("acme"), {});
    EXPECT_EQ(command, "ondulix-export --style acme"
                       " --sin1 length=512,offset=0,periods=1,speed=1,min=-128,max=127"
                       " --sin2 length=512,offset=64,periods=2,speed=-3,origin=1,range=255"
                       " --sin3 length=512,offset=128,periods=3,speed=5,min=100,max=0"
                       " --sin4 length=512,offset=256,periods=4,speed=-7,min=-32,max=32");

    // C has no split form, so --split is not repeated; the prefix is, unless it is the default.
    const std::string inC = RegenerateCommand(set, dialect("c99"), {.labelPrefix = "t", .split = true});
    EXPECT_TRUE(inC.starts_with("ondulix-export --style c99 --label t --sin1 ")) << inC;
    const std::string inXa = RegenerateCommand(set, dialect("xa"), {.labelPrefix = "sin", .split = true});
    EXPECT_TRUE(inXa.starts_with("ondulix-export --style xa --split --sin1 ")) << inXa;
}

TEST(DialectFile, RefusesABadPrefixALengthOutsideTheLimitsAndEntriesBeyond16Bits) {
    TableSet set = startUpSet();
    const DialectFile badPrefix = WriteDialectFile(set, dialect("dasm"), {.labelPrefix = "9"});
    EXPECT_EQ(badPrefix.problem, "--label: the label prefix \"9\" does not begin with a letter (a to z, A to Z)");
    EXPECT_EQ(badPrefix.text, "");

    set.tables[3].Length = 0; // a set that never went through the input rules
    EXPECT_EQ(WriteDialectFile(set, dialect("c99"), {}).problem, "sin4 has length 0, outside 1 to 16384");
    set.tables[3].Length = 512;

    set.values(1, 7) = 40000; // never computed, only set by hand
    const DialectFile tooWide = WriteDialectFile(set, dialect("64tass"), {});
    EXPECT_EQ(tooWide.problem, "sin2 has entries from -96 to 40000, beyond 16 bits");
    EXPECT_EQ(tooWide.text, "");
}

// --tables, --names, --form and --align: only the tables asked for, in that order, under their
// names, in the width asked for, each after the toolchain's alignment; the header says so and
// gives the command with the same options.
TEST(DialectFile, OptionsChooseTheTablesTheirNamesFormAndAlignment) {
    TableSet set = startUpSet(4);
    TableParams& third = set.tables[2];
    third.Length = 5;
    third.Minimum = 0;
    third.Maximum = 9;
    engine::OriginRangeFromMinMax(third);
    engine::ComputeTable(set, 2);
    const DialectOptions options{
        .tables = {2, 0}, .names = {"ysin", "xsin"}, .form = FormChoice::Words, .align = 256};
    const DialectFile file = WriteDialectFile(set, dialect("64tass"), options);
    ASSERT_TRUE(file.ok()) << file.problem;
    EXPECT_EQ(file.text, R"(; Sine tables by Ondulix V1, 6502 data for 64tass.
; Tables 3 and 1, entries 1 to length of each, and nothing else but the padding that aligns them (no origin or segment).
; Written again, byte for byte, to standard output by
;   ondulix-export --style 64tass --tables 3,1 --names ysin,xsin --form words --align 256 --sin1 length=4,offset=0,periods=1,speed=1,min=-128,max=128 --sin3 length=5,offset=128,periods=3,speed=5,min=0,max=9
;
; ysin with length 5, minimum 0, maximum 9, origin 4, range 9, offset 128, periods 3, speed 5
;   16-bit unsigned words, entries 0 to 8
;
; xsin with length 4, minimum -128, maximum 128, origin 0, range 256, offset 0, periods 1, speed 1
;   16-bit signed words, entries -128 to 128

        .align 256, 0
ysin
        .word 7, 4, 1, 8, 0

        .align 256, 0
xsin
        .sint 128, 0, -128, 0
)");

    // C: guarded by the first label, static arrays.
    const DialectFile inC = WriteDialectFile(set, dialect("c99"), {.tables = {1}, .names = {"wave"}});
    EXPECT_EQ(inC.text, R"(// Sine tables by Ondulix V1, C99 arrays (stdint.h).
// Table 2, entries 1 to its length, and nothing else (no origin or segment).
// Written again, byte for byte, to standard output by
//   ondulix-export --style c99 --tables 2 --names wave --sin2 length=4,offset=64,periods=2,speed=-3,min=-96,max=96
//
// wave with length 4, minimum -96, maximum 96, origin 0, range 192, offset 64, periods 2, speed -3
//   unsigned bytes, entries 0 to 0

#ifndef ONDULIX_TABLES_wave
#define ONDULIX_TABLES_wave

#include <stdint.h>

static const uint8_t wave[4] = {
    0, 0, 0, 0
};

#endif
)");
}

// The raw bytes, built here from the entries: bytes as they are, words in the order asked for,
// the load address first, alignment counted from it.
TEST(DialectFile, BinHoldsTheEntriesBytesAlone) {
    TableSet set = startUpSet(4); // sin1 is signed words 128, 0, -128, 0; sin3 signed bytes -64, 0, 64, 0
    const auto bytes = [&](const DialectOptions& options) {
        const DialectFile file = WriteDialectFile(set, dialect("bin"), options);
        EXPECT_TRUE(file.ok()) << file.problem;
        return std::vector<int>(file.text.begin(), file.text.end());
    };
    const auto u = [](std::initializer_list<int> list) {
        std::vector<int> signedChars;
        for (const int byte : list)
            signedChars.push_back(static_cast<signed char>(byte));
        return signedChars;
    };
    EXPECT_EQ(bytes({.tables = {0, 2}}), u({0x80, 0, 0, 0, 0x80, 0xFF, 0, 0, 0xC0, 0, 64, 0}));
    EXPECT_EQ(bytes({.tables = {0}, .byteOrder = ByteOrder::Big}), u({0, 0x80, 0, 0, 0xFF, 0x80, 0, 0}));
    EXPECT_EQ(bytes({.tables = {0}, .split = true}), u({0x80, 0, 0x80, 0, 0, 0, 0xFF, 0}));
    EXPECT_EQ(bytes({.tables = {2, 0}, .form = FormChoice::Words}),
              u({0xC0, 0xFF, 0, 0, 64, 0, 0, 0, 0x80, 0, 0, 0, 0x80, 0xFF, 0, 0}));
    // From $C001: three bytes of padding up to $C004, sin3, sin1 at $C008; or, aligned to 8,
    // seven bytes up to $C008, sin3, four bytes up to $C010, sin1.
    EXPECT_EQ(bytes({.tables = {2, 0}, .align = 4, .loadAddress = 0xC001}),
              u({0x01, 0xC0, 0, 0, 0, 0xC0, 0, 64, 0, 0x80, 0, 0, 0, 0x80, 0xFF, 0, 0}));
    EXPECT_EQ(bytes({.tables = {2, 0}, .align = 8, .loadAddress = 0xC001}),
              u({0x01, 0xC0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0, 64, 0, 0, 0, 0, 0, 0x80, 0, 0, 0, 0x80, 0xFF, 0, 0}));

    // A program file must end by $FFFF.
    EXPECT_EQ(WriteDialectFile(set, dialect("bin"), {.tables = {0}, .loadAddress = 0xFFF9}).problem,
              "--load-address: the tables would end at $10000, past the last address $FFFF");
    EXPECT_TRUE(WriteDialectFile(set, dialect("bin"), {.tables = {0}, .loadAddress = 0xFFF8}).ok());
}

TEST(DialectFile, RefusesOptionsTheToolchainCannotTake) {
    TableSet set = startUpSet(4);
    struct Case {
        std::string_view style;
        DialectOptions options;
        std::string_view problem;
    };
    const Case cases[] = {
        {"acme", {.tables = {1, 1}}, "--tables: table 2 is given twice"},
        {"acme", {.names = {"a", "b"}}, "--names: 2 names for 4 tables written; give one name per table, in the order of --tables"},
        {"nasm", {.tables = {0}, .names = {"xmm2"}}, "--names: the name \"xmm2\" makes the label xmm2, which nasm refuses as a register"},
        {"bin", {.names = {"a", "b", "c", "d"}}, "--names: bin has no labels"},
        {"bin", {.labelPrefix = "t"}, "--label: bin has no labels"},
        {"64tass", {.align = 3}, "--align: 3 is not a power of two from 1 to 256"},
        {"64tass", {.align = 512}, "--align: 512 is not a power of two from 1 to 256"},
        {"c99", {.align = 2}, "--align: C99 has no way to align an array (_Alignas came with C11)"},
        {"ca65", {.align = 256},
         "--align: ca65 cannot align inside an included file: .align aligns within the segment, and only the "
         "linker configuration aligns the segment"},
        {"sdas", {.align = 4},
         "--align: sdas cannot align inside an included file: .bndry aligns within the area, and the linker "
         "places the area where it likes"},
        {"m68k", {.align = 4},
         "--align: the 68000 assemblers share no alignment directive (gas --mri counts align in bytes, vasm in "
         "bits, and Devpac has only cnop); words are kept at even addresses"},
        {"m68k", {.byteOrder = ByteOrder::Little}, "--endian is for --style bin; m68k writes words as its target stores them"},
        {"nasm", {.loadAddress = 0x801}, "--load-address is for --style bin"},
        // The hint the tool gives for a table that needs words.
        {"acme", {.tables = {2, 0}, .form = FormChoice::Bytes},
         "--form bytes: sin1 needs 16-bit signed words: its entries run from -128 to 128; min=-128,max=127 would "
         "make it fit signed bytes"},
    };
    for (const Case& c : cases) {
        const DialectFile file = WriteDialectFile(set, dialect(c.style), c.options);
        EXPECT_EQ(file.problem, c.problem) << c.style;
        EXPECT_EQ(file.text, "");
    }
    // An alignment of 1 asks for nothing, wherever.
    EXPECT_TRUE(WriteDialectFile(set, dialect("ca65"), {.align = 1}).ok());
}

} // namespace
} // namespace ondulix::exporter
