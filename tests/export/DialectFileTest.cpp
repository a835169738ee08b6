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
    EXPECT_EQ(badPrefix.problem, "the label prefix \"9\" does not begin with a letter (a to z, A to Z)");
    EXPECT_EQ(badPrefix.text, "");

    set.tables[3].Length = 0; // a set that never went through the input rules
    EXPECT_EQ(WriteDialectFile(set, dialect("c99"), {}).problem, "sin4 has length 0, outside 1 to 16384");
    set.tables[3].Length = 512;

    set.values(1, 7) = 40000; // never computed, only set by hand
    const DialectFile tooWide = WriteDialectFile(set, dialect("64tass"), {});
    EXPECT_EQ(tooWide.problem, "sin2 has entries from -96 to 40000, beyond 16 bits");
    EXPECT_EQ(tooWide.text, "");
}

} // namespace
} // namespace ondulix::exporter
