#include "export/TableLabels.h"

#include "export/Dialect.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ondulix::exporter {
namespace {

constexpr std::array<int, 4> kAllTables{0, 1, 2, 3};

const Dialect& dialect(std::string_view name) { return *FindDialect(name); }

TEST(TableLabels, APrefixIsAnIdentifierThatTheToolchainAndItsFamilyTake) {
    // "sin", "x", "T_2" and the longest prefix are assembled by every toolchain in
    // DialectToolchainTest too.
    for (const std::string_view good : {"sin", "x", "a", "T_2", "cos_", "abcdefghijklmnopqrstuvwxyzA", "atan2", "Exp"})
        for (const std::string_view style : {"c99", "64tass", "ca65"})
            EXPECT_EQ(LabelPrefixProblem(good, kAllTables, dialect(style)), "") << good << " " << style;

    struct Case {
        std::string_view prefix;
        std::string_view style;
        std::string_view problem;
    };
    const Case refused[] = {
        {"", "acme", "the label prefix is empty"},
        {"1a", "acme", "the label prefix \"1a\" does not begin with a letter (a to z, A to Z)"},
        {"_t", "acme", "the label prefix \"_t\" does not begin with a letter (a to z, A to Z)"}, // 64tass: a local label
        {"a-b", "acme", "the label prefix \"a-b\" holds other characters than ASCII letters, digits and _"},
        {"a.b", "acme", "the label prefix \"a.b\" holds other characters than ASCII letters, digits and _"},
        {"t\xC3\xA4", "acme", "the label prefix \"t\xC3\xA4\" holds other characters than ASCII letters, digits and _"},
        {"abcdefghijklmnopqrstuvwxyzAB", "acme",
         "the label prefix \"abcdefghijklmnopqrstuvwxyzAB\" is longer than 27 characters"},
        // Each refusal names the toolchain that refuses, for every dialect of the family.
        {"bbr", "64tass", "the label prefix \"bbr\" makes the label bbr1, which ACME and ca65 refuse as a 65C02 instruction"},
        {"SMB", "c99", "the label prefix \"SMB\" makes the label SMB1, which ACME and ca65 refuse as a 65C02 instruction"},
        {"atan", "64tass", "the label prefix \"atan\" makes the label atan2, which 64tass refuses as its function atan2()"},
        {"st", "c99", "the label prefix \"st\" makes the label st1, which ca65 refuses as a HuC6280 instruction"},
        {"tma", "dasm", "the label prefix \"tma\" makes the label tma1, which ca65 refuses as a HuC6280 instruction"},
        {"log", "c99", "the label prefix \"log\" makes the label log2, which gcc refuses in a program that includes <math.h>"},
        {"expm", "acme", "the label prefix \"expm\" makes the label expm1, which gcc refuses in a program that includes <math.h>"},
        {"y", "c99", "the label prefix \"y\" makes the label y1, which gcc refuses in a program that includes <math.h>"},
        {"dup", "c99", "the label prefix \"dup\" makes the label dup2, which gcc refuses in a program that includes <unistd.h>"},
        {"pipe", "c99", "the label prefix \"pipe\" makes the label pipe2, which gcc refuses in a program that includes <unistd.h>"},
        // The other dialects answer for themselves.
        {"xmm", "nasm", "the label prefix \"xmm\" makes the label xmm1, which nasm refuses as a register"},
        {"a", "m68k", "the label prefix \"a\" makes the label a1, which m68k-linux-gnu-as refuses as a register"},
    };
    for (const Case& c : refused)
        EXPECT_EQ(LabelPrefixProblem(c.prefix, kAllTables, dialect(c.style)), c.problem);
    for (const std::string_view style : {"pasmo", "z80asm", "sdas", "gas-arm", "nasm"})
        for (const std::string_view prefix : {"bbr", "tam", "log", "y", "a"})
            EXPECT_EQ(LabelPrefixProblem(prefix, kAllTables, dialect(style)), "") << prefix << " " << style;

    // Only the labels of the tables written count: nasm has bnd1 to bnd3, but no bnd4.
    EXPECT_EQ(LabelPrefixProblem("bnd", std::array{3}, dialect("nasm")), "");
    EXPECT_EQ(LabelPrefixProblem("bnd", std::array{3, 2}, dialect("nasm")),
              "the label prefix \"bnd\" makes the label bnd3, which nasm refuses as a register");
}

TEST(TableLabels, NamesAreLabelsOfTheirOwnAndNoTwoAlike) {
    const auto problem = [](std::vector<std::string> names, std::string_view style = "64tass") {
        return TableNamesProblem(names, dialect(style));
    };
    EXPECT_EQ(problem({"xsin", "ysin", "Wave_2", "abcdefghijklmnopqrstuvwxyzAB"}), "");
    EXPECT_EQ(problem({"exp2"}, "nasm"), "");
    EXPECT_EQ(problem({"xsin", "x-sin"}), "the name \"x-sin\" holds other characters than ASCII letters, digits and _");
    EXPECT_EQ(problem({"abcdefghijklmnopqrstuvwxyzABC"}), "the name \"abcdefghijklmnopqrstuvwxyzABC\" is longer than 28 characters");
    EXPECT_EQ(problem({"exp2"}), "the name \"exp2\" makes the label exp2, which gcc refuses in a program that includes <math.h>");
    EXPECT_EQ(problem({"d3"}, "m68k"), "the name \"d3\" makes the label d3, which m68k-linux-gnu-as refuses as a register");
    EXPECT_EQ(problem({"a", "b", "a"}), "the name \"a\" is given twice");
    EXPECT_EQ(problem({"xsin", "XSIN"}), "the names \"xsin\" and \"XSIN\" both make the label XSIN (letter case aside)");
    // The halves of a split table.
    EXPECT_EQ(problem({"t", "t_lo"}), "the names \"t\" and \"t_lo\" both make the label t_lo (letter case aside)");
}

} // namespace
} // namespace ondulix::exporter
