#include "export/DialectFile.h"

#include "ToolchainRun.h"
#include "engine/AmplitudeForms.h"
#include "engine/Defaults.h"
#include "engine/TableGenerator.h"
#include "export/DataForm.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

// Every dialect, proven by the toolchains it is made for: the file is included into a tiny source
// that sets the origin, assembled (and linked where the toolchain links), or, for C, compiled
// into a program that prints the arrays, and what comes out is decoded and compared with the
// table entries, every entry, and nothing else may be there but the padding that alignment asks
// for. A diagnostic of any kind, warning included, fails.

namespace ondulix::exporter {
namespace {

using engine::TableSet;
using testing::ToolchainRun;

// One toolchain: the file name the dialect is saved under, the sources that include it ("@labels"
// stands for the labels written, as "@1" for the first alone), and the command that leaves the
// table bytes in out.bin or, for C, the printed entries in entries.txt. `chatter` is all the
// command may print when it succeeds. The bytes are decoded as they sit in the target's memory
// from `origin` on.
struct Toolchain {
    std::string_view name;
    std::string_view dialect;
    std::string_view file;
    std::string_view mainFile;
    std::string_view mainSource;
    std::string_view command;
    std::string_view chatter = "";
    bool printsEntries = false;
    std::string_view otherFile = ""; // a second source, for C: one more translation unit
    std::string_view otherSource = "";
    std::uint32_t origin = 0x1000;
    ByteOrder byteOrder = ByteOrder::Little;
    // What the processor needs, independently of the writer: words at even addresses (68000 and
    // ARM), and code after the file at a multiple of 2 (68000) or 4 (ARM).
    std::uint32_t wordAlignment = 1;
    std::uint32_t endAlignment = 1;
};

// For C: each array's element size and count, then its entries, one number to a line; one more
// translation unit reads the first table too, and the file is included twice.
constexpr std::string_view kShowArrays = R"(#include <stdio.h>
#include "tables.h"
#include "tables.h"
#define SHOW(t) do { size_t i; \
    printf("%zu %zu\n", sizeof t[0], sizeof t / sizeof t[0]); \
    for (i = 0; i < sizeof t / sizeof t[0]; ++i) { long entry = t[i]; printf("%ld\n", entry); } } while (0)
long firstEntry(void);
int main(void) { @SHOW return firstEntry() == @1[0] ? 0 : 1; }
)";
constexpr std::string_view kReadFirstEntry = R"(#include "tables.h"
long firstEntry(void);
long firstEntry(void) { return @1[0]; }
)";

// The tables alone in a translation unit: SDCC keeps static arrays that nothing reads, in its
// code area, which the linker places at 0x1000.
constexpr std::string_view kSdccTables = "#include \"tables.h\"\n#include \"tables.h\"\n";

const Toolchain kToolchains[] = {
    {"c99_gcc", "c99", "tables.h", "show.c", kShowArrays,
     "gcc -std=c99 -Wall -Wextra -pedantic -Werror -o show show.c other.c && ./show > entries.txt", "", true,
     "other.c", kReadFirstEntry},
    {"c99_gxx", "c99", "tables.h", "show.c", kShowArrays,
     "g++ -x c++ -std=c++17 -Wall -Wextra -pedantic -Werror -o show show.c other.c && ./show > entries.txt", "", true,
     "other.c", kReadFirstEntry},
    {"c99_clang", "c99", "tables.h", "show.c", kShowArrays,
     "clang -std=c99 -Weverything -Werror -o show show.c other.c && ./show > entries.txt", "", true, "other.c",
     kReadFirstEntry},
    {"c99_clangxx", "c99", "tables.h", "show.c", kShowArrays,
     "clang++ -x c++ -std=c++17 -Weverything -Werror -o show show.c other.c && ./show > entries.txt", "", true,
     "other.c", kReadFirstEntry},
    {"c99_sdcc", "c99", "tables.h", "main.c", kSdccTables,
     "sdcc -mz80 --std-c99 -c main.c && sdldz80 -i -b _CODE=0x1000 main.ihx main.rel > link.txt"
     " && objcopy -I ihex -O binary main.ihx out.bin"},
    {"64tass", "64tass", "tables.s", "main.s", "*       = $1000\n        .include \"tables.s\"\n",
     "64tass -q -Wall -Werror --nostart -o out.bin main.s"},
    {"acme", "acme", "tables.a", "main.a", "        * = $1000\n        !source \"tables.a\"\n",
     "acme -f plain -o out.bin main.a"},
    {"ca65", "ca65", "tables.s", "main.s", "        .include \"tables.s\"\n",
     // ld65's "none" target leaves too little room for tables of 16384 words.
     "ca65 -o main.o main.s && printf 'MEMORY { MAIN: start = $1000, size = $F000, file = %%O; }"
     " SEGMENTS { CODE: load = MAIN; }' > main.cfg && ld65 -C main.cfg -o out.bin main.o"},
    {"dasm", "dasm", "tables.asm", "main.asm",
     "        processor 6502\n        org $1000\n        include \"tables.asm\"\n", "dasm main.asm -f3 -S -oout.bin",
     "\nComplete. (0)\n"},
    {"xa", "xa", "tables.s", "main.s", "        *= $1000\n#include \"tables.s\"\n", "xa -o out.bin main.s"},
    {"pasmo", "pasmo", "tables.asm", "main.asm", "        org 1000h\n        include \"tables.asm\"\n",
     "pasmo main.asm out.bin"},
    {"z80asm", "z80asm", "tables.asm", "main.asm", "        org 1000h\n        include \"tables.asm\"\n",
     "z80asm -o out.bin main.asm"},
    // The linkers echo their arguments on standard output; their diagnostics go to standard error.
    {"sdasz80", "sdas", "tables.s", "main.s", "        .include \"tables.s\"\n",
     "sdasz80 -o main.rel main.s && sdldz80 -i -b _CODE=0x1000 main.ihx main.rel > link.txt"
     " && objcopy -I ihex -O binary main.ihx out.bin"},
    {"sdasgb", "sdas", "tables.s", "main.s", "        .include \"tables.s\"\n",
     "sdasgb -o main.rel main.s && sdldgb -i -b _CODE=0x1000 main.ihx main.rel > link.txt"
     " && objcopy -I ihex -O binary main.ihx out.bin"},
    // An object file's section, which starts at 0 and which the linker places at a multiple of
    // the alignment asked for inside it. In MRI mode a file name is not quoted.
    {.name = "m68k",
     .dialect = "m68k",
     .file = "tables.s",
     .mainFile = "main.s",
     .mainSource = "        include tables.s\n",
     .command = "m68k-linux-gnu-as -m68000 --mri -o main.o main.s"
                " && m68k-linux-gnu-objcopy -O binary -j .text main.o out.bin",
     .origin = 0,
     .byteOrder = ByteOrder::Big,
     .wordAlignment = 2,
     .endAlignment = 2},
    // In .rodata, where tables go: as pads the end of .text on its own.
    {.name = "gas_arm",
     .dialect = "gas-arm",
     .file = "tables.s",
     .mainFile = "main.s",
     .mainSource = "        .section .rodata\n        .include \"tables.s\"\n",
     .command = "arm-none-eabi-as -o main.o main.s && arm-none-eabi-objcopy -O binary -j .rodata main.o out.bin",
     .origin = 0,
     .wordAlignment = 2,
     .endAlignment = 4},
    {"nasm", "nasm", "tables.asm", "main.asm", "        org 1000h\n        %include \"tables.asm\"\n",
     "nasm -f bin -w+all -o out.bin main.asm"},
    {"bin_64tass", "bin", "tables.bin", "main.s", "*       = $1000\n        .binary \"tables.bin\"\n",
     "64tass -q -Wall -Werror --nostart -o out.bin main.s"},
    {"bin_acme", "bin", "tables.bin", "main.a", "        * = $1000\n        !bin \"tables.bin\"\n",
     "acme -f plain -o out.bin main.a"},
    {"bin_nasm", "bin", "tables.bin", "main.asm", "        org 1000h\n        incbin \"tables.bin\"\n",
     "nasm -f bin -w+all -o out.bin main.asm"},
};

// A table given as the window takes it: bounds, or Origin and Range.
struct TypedTable {
    std::int32_t length, offset, periods;
    bool centreForm;
    std::int32_t first, second; // Minimum and Maximum, or Origin and Range
};

struct SetCase {
    std::string_view name;
    std::array<std::optional<TypedTable>, engine::kTableCount> tables; // none: the start-up table
    std::vector<DataForm> forms; // expected, of each table written
    DialectOptions options;      // the labels aside for bin, which has none
};

constexpr DataForm UB = DataForm::UnsignedBytes, SB = DataForm::SignedBytes, UW = DataForm::UnsignedWords,
                   SW = DataForm::SignedWords;
// The longest prefix a label may have.
const std::string kLongPrefix = "abcdefghijklmnopqrstuvwxyzA";

constexpr std::array<std::optional<TypedTable>, engine::kTableCount> kByteTables{{
    TypedTable{256, 0, 1, false, 0, 255},
    TypedTable{256, 0, 1, false, -128, 127},
    TypedTable{37, 5, -3, false, 10, 20},
    TypedTable{101, -7, 2, true, 0, 9},
}};
constexpr std::array<std::optional<TypedTable>, engine::kTableCount> kWordTables{{
    TypedTable{300, 0, 1, false, -1000, 1000},
    TypedTable{256, 0, 1, true, -16384, 32768}, // down to -32768
    TypedTable{256, 0, 1, true, 16384, 32768},  // up to 32768
    TypedTable{201, 3, 2, false, 16384, 0},     // Minimum above Maximum: the wave turned over
}};
constexpr std::array<std::optional<TypedTable>, engine::kTableCount> kShortestAndLongest{{
    TypedTable{1, 0, 1, true, -3, 1},
    TypedTable{16384, 16384, 3, false, -16384, 16384},
    TypedTable{16384, 0, 3, false, 0, 255},
    TypedTable{1, 0, 0, true, 300, 1},
}};

const SetCase kCases[] = {
    {"bytes", kByteTables, {UB, SB, UB, SB}, {}},
    {"words", kWordTables, {SW, SW, UW, UW}, {.labelPrefix = "x"}},
    {"words split", kWordTables, {SW, SW, UW, UW}, {.labelPrefix = "T_2", .split = true}},
    {"start-up", {}, {SW, SB, SB, SB}, {}},
    {"start-up split", {}, {SW, SB, SB, SB}, {.labelPrefix = kLongPrefix, .split = true}},
    {"lengths 1 and 16384", kShortestAndLongest, {SB, SW, UB, UW}, {}},
    {"lengths 1 and 16384 split", kShortestAndLongest, {SB, SW, UB, UW}, {.split = true}},
    // Bytes forced into words, two tables in the order asked for, named, each at a page.
    {"tables 3 and 1 as words, named, aligned to 256",
     kByteTables,
     {UW, UW},
     {.tables = {2, 0}, .names = {"ysin", "xsin"}, .form = FormChoice::Words, .align = 256}},
    // An odd length before words: the alignment pads.
    {"tables 4, 2 and 1 as bytes, aligned to 8",
     kByteTables,
     {SB, SB, UB},
     {.tables = {3, 1, 0}, .labelPrefix = "t", .form = FormChoice::Bytes, .align = 8}},
    {"tables 4 and 2 split, aligned to 2",
     kWordTables,
     {UW, SW},
     {.tables = {3, 1}, .names = {"Wave_a", "b"}, .align = 2, .split = true}},
};

TableSet tablesOf(const SetCase& c) {
    TableSet set;
    engine::ApplyDefaults(set);
    for (int i = 0; i < engine::kTableCount; ++i) {
        engine::TableParams& t = set.table(i);
        engine::OriginRangeFromMinMax(t);
        if (const auto& typed = c.tables[static_cast<std::size_t>(i)]) {
            t.Length = typed->length;
            t.Offset = typed->offset;
            t.Periods = typed->periods;
            if (typed->centreForm) {
                t.Origin = typed->first;
                t.Range = typed->second;
                engine::MinMaxFromOriginRange(t);
            } else {
                t.Minimum = typed->first;
                t.Maximum = typed->second;
                engine::OriginRangeFromMinMax(t);
            }
        }
        engine::ComputeTable(set, i);
    }
    return set;
}

std::string replaced(std::string text, std::string_view mark, std::string_view by) {
    for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + by.size()))
        text.replace(at, mark.size(), by);
    return text;
}

// The labels of the tables written, in their order.
std::vector<std::string> labelsOf(const DialectOptions& options) {
    if (!options.names.empty())
        return options.names;
    std::vector<std::string> labels;
    for (const int table : options.tables)
        labels.push_back(TableLabel(options.labelPrefix, table));
    return labels;
}

// A source with "@SHOW" made one SHOW() per label and "@1" the first label.
std::string sourceFor(std::string_view pattern, const std::vector<std::string>& labels) {
    std::string shows;
    for (const std::string& label : labels)
        shows += "SHOW(" + label + "); ";
    return replaced(replaced(std::string(pattern), "@SHOW", shows), "@1", labels.front());
}

// Reads the toolchain's bytes as the target's memory holds them from the origin on, piece by
// piece: each piece starts at the next multiple of its alignment, and every byte skipped must be
// a zero of the padding.
class MemoryReader {
public:
    MemoryReader(const std::string& bytes, const Toolchain& tool) : bytes_(bytes), tool_(tool) {}

    std::vector<std::int32_t> read(DataForm form, std::size_t count, std::uint32_t alignment) {
        skipTo(alignment);
        const DataFormTraits& traits = TraitsOf(form);
        const std::int32_t wrap = traits.bytesPerEntry == 1 ? 0x100 : 0x10000;
        std::vector<std::int32_t> entries;
        for (std::size_t k = 0; k < count; ++k) {
            std::int32_t value = byte();
            if (traits.bytesPerEntry == 2)
                value = tool_.byteOrder == ByteOrder::Little ? value | byte() << 8 : value << 8 | byte();
            entries.push_back(value > traits.highest ? value - wrap : value); // two's complement
        }
        return entries;
    }

    // Where the file ends: at the alignment code needs, with nothing after it.
    void expectEnd() {
        skipTo(tool_.endAlignment);
        EXPECT_EQ(at_, bytes_.size()) << "the binary holds the tables and nothing else";
    }

private:
    std::int32_t byte() { return at_ < bytes_.size() ? static_cast<unsigned char>(bytes_[at_++]) : (++at_, -1); }

    void skipTo(std::uint32_t alignment) {
        while ((tool_.origin + at_) % alignment != 0)
            EXPECT_EQ(byte(), 0) << "padding at " << at_ - 1;
    }

    const std::string& bytes_;
    const Toolchain& tool_;
    std::size_t at_ = 0;
};

std::vector<std::int32_t> decodePrinted(std::istream& printed, DataForm form, std::size_t count) {
    std::size_t elementSize = 0, elements = 0;
    printed >> elementSize >> elements;
    EXPECT_EQ(elementSize, static_cast<std::size_t>(TraitsOf(form).bytesPerEntry));
    EXPECT_EQ(elements, count);
    std::vector<std::int32_t> entries(elements);
    for (std::int32_t& entry : entries)
        printed >> entry;
    return entries;
}

// A table's entries from its two halves of unsigned bytes.
std::vector<std::int32_t> joinedHalves(const std::vector<std::int32_t>& low, const std::vector<std::int32_t>& high,
                                       DataForm form) {
    std::vector<std::int32_t> entries;
    for (std::size_t k = 0; k < low.size(); ++k) {
        const std::int32_t word = low[k] | high[k] << 8;
        entries.push_back(word > TraitsOf(form).highest ? word - 0x10000 : word);
    }
    return entries;
}

void PrintTo(const Toolchain& toolchain, std::ostream* out) { *out << toolchain.name; }

class DialectToolchain : public ::testing::TestWithParam<Toolchain> {};

TEST_P(DialectToolchain, HoldsEveryEntryOfEveryTable) {
    const Toolchain& tool = GetParam();
    const Dialect& dialect = *FindDialect(tool.dialect);
    for (const SetCase& c : kCases) {
        DialectOptions options = c.options;
        if (dialect.raw) {
            options.labelPrefix = std::string(kDefaultLabelPrefix);
            options.names.clear();
        }
        if ((options.split && !dialect.splitsWords) || (options.align > 1 && !dialect.canAlign()))
            continue;
        SCOPED_TRACE(std::string(c.name));
        const TableSet set = tablesOf(c);
        const DialectFile file = WriteDialectFile(set, dialect, options);
        ASSERT_TRUE(file.ok()) << file.problem;

        const std::vector<std::string> labels = labelsOf(options);
        ToolchainRun run;
        run.write(tool.file, file.text);
        run.write(tool.mainFile, sourceFor(tool.mainSource, labels));
        if (!tool.otherFile.empty())
            run.write(tool.otherFile, sourceFor(tool.otherSource, labels));
        ASSERT_TRUE(run.succeeds(tool.command)) << tool.command << " failed:\n" << run.log() << "\nfile:\n" << file.text;
        EXPECT_EQ(run.log(), tool.chatter) << tool.command;

        const std::string binary = run.read("out.bin");
        std::istringstream printed(run.read("entries.txt"));
        MemoryReader memory(binary, tool);
        for (std::size_t w = 0; w < options.tables.size(); ++w) {
            const int table = options.tables[w];
            const DataForm form = c.forms[w];
            const auto expected = WrittenEntries(set, table);
            const bool split = options.split && dialect.splitsWords && !IsByteForm(form);
            const std::uint32_t alignment = options.align > 1             ? static_cast<std::uint32_t>(options.align)
                                            : split || IsByteForm(form) ? 1
                                                                          : tool.wordAlignment;
            std::vector<std::int32_t> decoded;
            if (tool.printsEntries) {
                decoded = decodePrinted(printed, form, expected.size());
            } else if (split) {
                const auto low = memory.read(UB, expected.size(), alignment);
                decoded = joinedHalves(low, memory.read(UB, expected.size(), alignment), form);
            } else {
                decoded = memory.read(form, expected.size(), alignment);
            }
            ASSERT_EQ(decoded.size(), expected.size()) << "table " << table + 1;
            for (std::size_t k = 0; k < expected.size(); ++k)
                ASSERT_EQ(decoded[k], expected[k]) << "table " << table + 1 << ", entry " << k + 1;
        }
        if (!tool.printsEntries)
            memory.expectEnd();
        std::string rest;
        EXPECT_FALSE(printed >> rest) << "the program printed more than the arrays";
    }
}

INSTANTIATE_TEST_SUITE_P(Toolchains, DialectToolchain, ::testing::ValuesIn(kToolchains),
                         [](const auto& toolchain) { return std::string(toolchain.param.name); });

} // namespace
} // namespace ondulix::exporter
