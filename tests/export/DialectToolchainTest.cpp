#include "export/DialectFile.h"

#include "engine/AmplitudeForms.h"
#include "engine/Defaults.h"
#include "engine/TableGenerator.h"
#include "export/DataForm.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

// Every dialect, proven by the toolchain it is made for: the file is included into a tiny source
// that sets the origin, assembled (or, for C, compiled as C99 and as C++17 into a program that
// prints the arrays), and what comes out is decoded and compared with the table entries, every
// entry. A diagnostic of any kind, warning included, fails.

namespace ondulix::exporter {
namespace {

namespace fs = std::filesystem;
using engine::TableSet;

// One toolchain: the file name the dialect is saved under, the source that includes it, and the
// command, run in a scratch folder, that leaves the table bytes in out.bin or, for C, the printed
// entries in entries.txt. `chatter` is all the command may print when it succeeds.
struct Toolchain {
    std::string_view name;
    std::string_view dialect;
    std::string_view file;
    std::string_view mainFile;
    std::string_view mainSource;
    std::string_view command;
    std::string_view chatter = "";
    bool printsEntries = false;
};

// For C: each array's element size and count, then its entries, one number to a line.
constexpr std::string_view kShowArrays = R"(#include <stdio.h>
#include "tables.h"
#define SHOW(t) do { size_t i; \
    printf("%u %u\n", (unsigned)sizeof t[0], (unsigned)(sizeof t / sizeof t[0])); \
    for (i = 0; i < sizeof t / sizeof t[0]; ++i) printf("%ld\n", (long)t[i]); } while (0)
int main(void) { SHOW(@1); SHOW(@2); SHOW(@3); SHOW(@4); return 0; }
)";

const Toolchain kToolchains[] = {
    {"c99_gcc", "c99", "tables.h", "show.c", kShowArrays,
     "gcc -std=c99 -Wall -Wextra -pedantic -Werror -o show show.c && ./show > entries.txt", "", true},
    {"c99_gxx", "c99", "tables.h", "show.c", kShowArrays,
     "g++ -x c++ -std=c++17 -Wall -Wextra -pedantic -Werror -o show show.c && ./show > entries.txt", "", true},
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
    std::array<DataForm, engine::kTableCount> forms;                  // the narrowest forms expected
    std::string_view prefix = "sin";
    bool split = false;
};

constexpr DataForm UB = DataForm::UnsignedBytes, SB = DataForm::SignedBytes, UW = DataForm::UnsignedWords,
                   SW = DataForm::SignedWords;
// The longest prefix a label may have.
constexpr std::string_view kLongPrefix = "abcdefghijklmnopqrstuvwxyzA";

constexpr std::array<std::optional<TypedTable>, engine::kTableCount> kWordTables{{
    TypedTable{300, 0, 1, false, -1000, 1000},
    TypedTable{256, 0, 1, true, -16384, 32768}, // down to -32768
    TypedTable{256, 0, 1, true, 16384, 32768},  // up to 32768
    TypedTable{200, 3, 2, false, 16384, 0},     // Minimum above Maximum: the wave turned over
}};
constexpr std::array<std::optional<TypedTable>, engine::kTableCount> kShortestAndLongest{{
    TypedTable{1, 0, 1, true, -3, 1},
    TypedTable{16384, 16384, 3, false, -16384, 16384},
    TypedTable{16384, 0, 3, false, 0, 255},
    TypedTable{1, 0, 0, true, 300, 1},
}};

const SetCase kCases[] = {
    {"bytes",
     {TypedTable{256, 0, 1, false, 0, 255}, TypedTable{256, 0, 1, false, -128, 127}, TypedTable{37, 5, -3, false, 10, 20},
      TypedTable{100, -7, 2, true, 0, 9}},
     {UB, SB, UB, SB}},
    {"words", kWordTables, {SW, SW, UW, UW}, "x"},
    {"words split", kWordTables, {SW, SW, UW, UW}, "T_2", true},
    {"start-up", {}, {SW, SB, SB, SB}},
    {"start-up split", {}, {SW, SB, SB, SB}, kLongPrefix, true},
    {"lengths 1 and 16384", kShortestAndLongest, {SB, SW, UB, UW}},
    {"lengths 1 and 16384 split", kShortestAndLongest, {SB, SW, UB, UW}, "sin", true},
};

TableSet tablesOf(const SetCase& c) {
    TableSet set;
    engine::ApplyDefaults(set);
    for (int i = 0; i < engine::kTableCount; ++i) {
        engine::TableParams& t = set.tables[static_cast<std::size_t>(i)];
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

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& path, std::string_view text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A fresh folder, removed with everything in it at the end.
struct ScratchFolder {
    fs::path path;
    ScratchFolder() {
        std::string name = (fs::temp_directory_path() / "ondulix-toolchain-XXXXXX").string();
        path = ::mkdtemp(name.data()) ? fs::path(name) : fs::path();
    }
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

std::string replaced(std::string text, std::string_view mark, std::string_view by) {
    for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + by.size()))
        text.replace(at, mark.size(), by);
    return text;
}

// A table's entries as the toolchain's output holds them from `at` on: little-endian words, or a
// split table's low bytes followed by its high bytes.
std::vector<std::int32_t> decodeBinary(const std::string& bytes, std::size_t& at, DataForm form, bool split,
                                       std::size_t count) {
    const auto byte = [&](std::size_t index) -> std::int32_t {
        return index < bytes.size() ? static_cast<unsigned char>(bytes[index]) : 0;
    };
    const DataFormTraits& traits = TraitsOf(form);
    const std::int32_t wrap = traits.bytesPerEntry == 1 ? 0x100 : 0x10000;
    std::vector<std::int32_t> entries;
    for (std::size_t k = 0; k < count; ++k) {
        std::int32_t value = byte(at + k);
        if (traits.bytesPerEntry == 2)
            value = split ? value | byte(at + count + k) << 8 : byte(at + 2 * k) | byte(at + 2 * k + 1) << 8;
        entries.push_back(value > traits.highest ? value - wrap : value); // two's complement
    }
    at += count * static_cast<std::size_t>(traits.bytesPerEntry);
    return entries;
}

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

void PrintTo(const Toolchain& toolchain, std::ostream* out) { *out << toolchain.name; }

class DialectToolchain : public ::testing::TestWithParam<Toolchain> {};

TEST_P(DialectToolchain, HoldsEveryEntryOfEveryTable) {
    const Toolchain& tool = GetParam();
    const Dialect& dialect = *FindDialect(tool.dialect);
    for (const SetCase& c : kCases) {
        if (c.split && !dialect.splitsWords)
            continue;
        SCOPED_TRACE(std::string(c.name));
        const TableSet set = tablesOf(c);
        const DialectFile file = WriteDialectFile(set, dialect, {.labelPrefix = std::string(c.prefix), .split = c.split});
        ASSERT_TRUE(file.ok()) << file.problem;

        const ScratchFolder folder;
        ASSERT_FALSE(folder.path.empty());
        writeFile(folder.path / tool.file, file.text);
        std::string mainSource(tool.mainSource);
        for (int i = 0; i < engine::kTableCount; ++i)
            mainSource = replaced(mainSource, std::string("@").append(std::to_string(i + 1)), TableLabel(c.prefix, i));
        writeFile(folder.path / tool.mainFile, mainSource);

        const std::string command = "cd '" + folder.path.string() + "' && { " + std::string(tool.command) +
                                    "; } > log.txt 2>&1";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << tool.command << " failed:\n" << readFile(folder.path / "log.txt") << "\nfile:\n" << file.text;
        EXPECT_EQ(readFile(folder.path / "log.txt"), tool.chatter) << tool.command;

        const std::string binary = readFile(folder.path / "out.bin");
        std::istringstream printed(readFile(folder.path / "entries.txt"));
        std::size_t at = 0;
        for (int i = 0; i < engine::kTableCount; ++i) {
            const DataForm form = c.forms[static_cast<std::size_t>(i)];
            const auto expected = WrittenEntries(set, i);
            const bool split = c.split && !IsByteForm(form);
            const std::vector<std::int32_t> decoded = tool.printsEntries
                                                          ? decodePrinted(printed, form, expected.size())
                                                          : decodeBinary(binary, at, form, split, expected.size());
            ASSERT_EQ(decoded.size(), expected.size()) << "table " << i + 1;
            for (std::size_t k = 0; k < expected.size(); ++k)
                ASSERT_EQ(decoded[k], expected[k]) << "table " << i + 1 << ", entry " << k + 1;
        }
        EXPECT_EQ(at, binary.size()) << "the binary holds the tables and nothing else";
        std::string rest;
        EXPECT_FALSE(printed >> rest) << "the program printed more than the four arrays";
    }
}

INSTANTIATE_TEST_SUITE_P(Toolchains, DialectToolchain, ::testing::ValuesIn(kToolchains),
                         [](const auto& toolchain) { return std::string(toolchain.param.name); });

} // namespace
} // namespace ondulix::exporter
