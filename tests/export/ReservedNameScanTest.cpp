#include "export/Dialect.h"
#include "export/DialectFile.h"

#include "ToolchainRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <set>
#include <string>
#include <vector>

// The labels a dialect's toolchain refuses, found by trying them on the toolchain: every label
// that a prefix of one to three letters makes (a1, sin1_lo, ...), every label of one or two
// letters, a digit and a table number (r11, xmm21 needs a longer one), and every word of the
// assembler's own program that ends like a label (sha1msg1, use32). Each label is written as the
// dialect writes a table, then used as a program uses a table: its address loaded into a register
// and stored as data. Exactly the labels that the dialect's own reserved names hold must be
// refused, each on its own; all the others are taken (those its family reserves aside),
// thousands to a run. The 6502 assemblers run with the processor that has the most
// instructions: 64tass's and ACME's 4510 and M65, ca65's HuC6280.

namespace ondulix::exporter {
namespace {

using testing::ToolchainRun;

// One assembler in one mode. The tables file holds the labels' tables; the main file includes it
// after `mainOpening` and then holds `use` once per label ({label}). `programs` are the files
// whose words are tried too, as shell words; `batch` is how many labels one run takes (within
// the 64 KB of a Z80 or an 8086, and small enough for z80asm, whose time grows with the square
// of the labels).
struct ScanTarget {
    std::string_view name;
    std::string_view dialect;
    std::string_view file;
    std::string_view mainFile;
    std::string_view mainOpening;
    std::string_view use;
    std::string_view command;
    std::string_view programs;
    std::size_t batch = 8192;
    std::string_view chatter = ""; // all the command may print when it succeeds
};

const ScanTarget kTargets[] = {
    {"64tass", "64tass", "tables.s", "main.s", "        .cpu \"4510\"\n*       = $1000\n        .include \"tables.s\"\n",
     "        lda {label},x\n        .word {label}\n", "64tass -q -Wall -Werror --nostart -o out.bin main.s", "/usr/bin/64tass"},
    {"acme", "acme", "tables.a", "main.a", "        !cpu m65\n        * = $1000\n        !source \"tables.a\"\n",
     "        lda {label},x\n        !word {label}\n", "acme -f plain -o out.bin main.a", "/usr/bin/acme"},
    {"ca65", "ca65", "tables.s", "main.s", "        .setcpu \"huc6280\"\n        .include \"tables.s\"\n",
     "        lda {label},x\n        .word {label}\n", "ca65 -o main.o main.s", "/usr/bin/ca65"},
    {"dasm", "dasm", "tables.asm", "main.asm", "        processor 6502\n        org $1000\n        include \"tables.asm\"\n",
     "        lda {label},x\n        dc.w {label}\n", "dasm main.asm -f3 -S -oout.bin", "/usr/bin/dasm", 8192,
     "\nComplete. (0)\n"},
    {"xa", "xa", "tables.s", "main.s", "        *= $1000\n#include \"tables.s\"\n", "        lda {label},x\n        .word {label}\n",
     "xa -o out.bin main.s", "/usr/bin/xa"},
    {"pasmo", "pasmo", "tables.asm", "main.asm", "        include \"tables.asm\"\n",
     "        ld hl, {label}\n        defw {label}\n", "pasmo main.asm out.bin", "/usr/bin/pasmo", 4096},
    {"z80asm", "z80asm", "tables.asm", "main.asm", "        include \"tables.asm\"\n",
     "        ld hl, {label}\n        defw {label}\n", "z80asm -o out.bin main.asm", "/usr/bin/z80asm", 1024},
    {"sdasz80", "sdas", "tables.s", "main.s", "        .include \"tables.s\"\n",
     "        ld hl, #{label}\n        .dw {label}\n", "sdasz80 -o main.rel main.s", "/usr/bin/sdasz80"},
    {"sdasgb", "sdas", "tables.s", "main.s", "        .include \"tables.s\"\n",
     "        ld hl, #{label}\n        .dw {label}\n", "sdasgb -o main.rel main.s", "/usr/bin/sdasgb"},
    // The mnemonics and registers of the whole family are in its opcodes library.
    {"m68k", "m68k", "tables.s", "main.s", "        include tables.s\n", "        lea {label},a0\n        dc.l {label}\n",
     "m68k-linux-gnu-as -m68000 --mri -o main.o main.s",
     "/usr/bin/m68k-linux-gnu-as /usr/lib/*-linux-gnu/libopcodes-*-m68k.so", 16384},
    {"gas_arm", "gas-arm", "tables.s", "main.s", "        .include \"tables.s\"\n        .balign 4\n",
     "        ldr r0, ={label}\n        .ltorg\n        .word {label}\n", "arm-none-eabi-as -o main.o main.s",
     "/usr/bin/arm-none-eabi-as", 16384},
    {"nasm", "nasm", "tables.asm", "main.asm", "        %include \"tables.asm\"\n",
     "        mov si, {label}\n        dw {label}\n", "nasm -f bin -w+all -o out.bin main.asm", "/usr/bin/nasm"},
    {"nasm_bits64", "nasm", "tables.asm", "main.asm", "        bits 64\n        %include \"tables.asm\"\n",
     "        mov si, {label}\n        dw {label}\n", "nasm -f bin -w+all -o out.bin main.asm", "/usr/bin/nasm"},
};

constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyz";
constexpr std::string_view kTableNumbers = "1234";

bool endsLikeALabel(const std::string& word) {
    return word.size() <= kMaxLabelLength && std::isalpha(static_cast<unsigned char>(word.front())) &&
           (kTableNumbers.find(word.back()) != std::string_view::npos || word.ends_with(kLowBytesSuffix) ||
            word.ends_with(kHighBytesSuffix));
}

// The words in a program's bytes that a label could be, in lower case.
std::set<std::string> wordsOf(const std::string& bytes) {
    std::set<std::string> words;
    std::string word;
    for (const char c : bytes + '\0') {
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') {
            word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            continue;
        }
        if (!word.empty() && endsLikeALabel(word))
            words.insert(word);
        word.clear();
    }
    return words;
}

std::set<std::string> labelsToTry(const std::string& programBytes) {
    std::set<std::string> labels = wordsOf(programBytes);
    std::vector<std::string> prefixes{""};
    for (int length = 1; length <= 3; ++length) {
        std::vector<std::string> longer;
        for (const std::string& prefix : prefixes)
            for (const char letter : kLetters)
                longer.push_back(prefix + letter);
        prefixes = longer;
        for (const std::string& prefix : prefixes)
            for (const char number : kTableNumbers) {
                const std::string label = prefix + number;
                labels.insert({label, label + std::string(kLowBytesSuffix), label + std::string(kHighBytesSuffix)});
                if (length <= 2)
                    for (char digit = '0'; digit <= '9'; ++digit)
                        labels.insert(prefix + digit + number);
            }
    }
    return labels;
}

std::string filled(std::string_view pattern, std::string_view label) {
    std::string text(pattern);
    for (std::size_t at = text.find("{label}"); at != std::string::npos; at = text.find("{label}", at + label.size()))
        text.replace(at, 7, label);
    return text;
}

class Scan {
public:
    Scan(const ScanTarget& target, const Dialect& dialect) : target_(target), dialect_(dialect) {}

    // Whether the assembler takes all these labels, without a word.
    bool takes(std::span<const std::string> labels) const {
        std::string tables;
        std::string main(target_.mainOpening);
        const std::array<std::int32_t, 1> entry{1};
        for (const std::string& label : labels) {
            tables += TableText(dialect_, label, DataForm::UnsignedBytes, entry);
            main += filled(target_.use, label);
        }
        run_.write(target_.file, tables);
        run_.write(target_.mainFile, main);
        return run_.succeeds(target_.command) && run_.log() == target_.chatter;
    }

    // The labels among these that the assembler refuses, found by halving.
    void refused(std::span<const std::string> labels, std::vector<std::string>& found) const {
        if (takes(labels))
            return;
        if (labels.size() == 1) {
            found.push_back(labels.front());
            return;
        }
        refused(labels.first(labels.size() / 2), found);
        refused(labels.subspan(labels.size() / 2), found);
    }

    std::string programBytes() const {
        EXPECT_TRUE(run_.succeeds("cat " + std::string(target_.programs) + " > program.bin")) << target_.programs;
        return run_.read("program.bin");
    }

private:
    const ScanTarget& target_;
    const Dialect& dialect_;
    ToolchainRun run_;
};

void PrintTo(const ScanTarget& target, std::ostream* out) { *out << target.name; }

class ReservedNameScan : public ::testing::TestWithParam<ScanTarget> {};

TEST_P(ReservedNameScan, TheToolchainRefusesExactlyTheReservedNames) {
    const ScanTarget& target = GetParam();
    const Dialect& dialect = *FindDialect(target.dialect);
    const Scan scan(target, dialect);
    const std::set<std::string> tried = labelsToTry(scan.programBytes());

    // Every reserved name is one of the labels tried, and refused on its own.
    std::vector<std::string> taken;
    for (const ReservedNames& reserved : dialect.reservedNames)
        for (const std::string_view name : reserved.names) {
            EXPECT_TRUE(tried.contains(std::string(name))) << std::string(name) << " is not among the labels tried";
            const std::string label(name);
            if (scan.takes(std::span(&label, 1)))
                taken.push_back(label);
        }
    EXPECT_TRUE(taken.empty()) << "reserved, but taken: " << ::testing::PrintToString(taken);

    // Every other label is taken.
    std::vector<std::string> others;
    std::copy_if(tried.begin(), tried.end(), std::back_inserter(others),
                 [&](const std::string& label) { return !dialect.refuses(label); });
    std::vector<std::string> refused;
    for (std::size_t start = 0; start < others.size(); start += target.batch)
        scan.refused(std::span(others).subspan(start, std::min(target.batch, others.size() - start)), refused);
    EXPECT_TRUE(refused.empty()) << "refused, but not reserved: " << ::testing::PrintToString(refused);
    EXPECT_GT(others.size(), 240000u) << "labels tried";
}

INSTANTIATE_TEST_SUITE_P(Toolchains, ReservedNameScan, ::testing::ValuesIn(kTargets),
                         [](const auto& target) { return std::string(target.param.name); });

} // namespace
} // namespace ondulix::exporter
