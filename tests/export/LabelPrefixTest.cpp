#include "export/LabelPrefix.h"

#include <gtest/gtest.h>

namespace ondulix::exporter {
namespace {

TEST(LabelPrefix, AcceptsOnlyIdentifiersThatEveryToolchainTakes) {
    // "sin", "x", "T_2" and the longest prefix are assembled by every toolchain in
    // DialectToolchainTest too.
    for (const std::string_view good : {"sin", "x", "a", "T_2", "cos_", "abcdefghijklmnopqrstuvwxyzA", "atan2"})
        EXPECT_EQ(LabelPrefixProblem(good), "") << good;

    struct Case {
        std::string_view prefix;
        std::string_view problem;
    };
    const Case refused[] = {
        {"", "the label prefix is empty"},
        {"1a", "the label prefix \"1a\" does not begin with a letter (a to z, A to Z)"},
        {"_t", "the label prefix \"_t\" does not begin with a letter (a to z, A to Z)"}, // 64tass: a local label
        {"a-b", "the label prefix \"a-b\" holds other characters than ASCII letters, digits and _"},
        {"a.b", "the label prefix \"a.b\" holds other characters than ASCII letters, digits and _"},
        {"t\xC3\xA4", "the label prefix \"t\xC3\xA4\" holds other characters than ASCII letters, digits and _"},
        {"abcdefghijklmnopqrstuvwxyzAB",
         "the label prefix \"abcdefghijklmnopqrstuvwxyzAB\" is longer than 27 characters"},
        {"bbr", "the label prefix \"bbr\" makes the label bbr1, a reserved name in 64tass"},
        {"SMB", "the label prefix \"SMB\" makes the label SMB1, a reserved name in 64tass"},
        {"atan", "the label prefix \"atan\" makes the label atan2, a reserved name in 64tass"},
        {"st", "the label prefix \"st\" makes the label st1, a reserved name in ca65"},
    };
    for (const Case& c : refused)
        EXPECT_EQ(LabelPrefixProblem(c.prefix), c.problem);
}

} // namespace
} // namespace ondulix::exporter
