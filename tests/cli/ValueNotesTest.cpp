#include "cli/ValueNotes.h"

#include "engine/NumberText.h"

#include <gtest/gtest.h>

namespace ondulix::cli {
namespace {

TEST(ValueNote, OneLinePerTextTheWindowDoesNotTakeAsGiven) {
    struct Case {
        int table;
        TableKey key;
        std::string_view given;
        std::int32_t used; // what the window stored
        std::string_view line; // empty: no note
    };
    const Case cases[] = {
        {0, TableKey::Length, "256", 256, ""},
        // Rounding is the boxes' ordinary reading, not a change of the value.
        {0, TableKey::Periods, "2.5", 2, ""},
        {0, TableKey::Periods, "-2.5", -2, ""},
        {0, TableKey::Offset, "&H10", 16, ""},
        {0, TableKey::Offset, "1e3", 1000, ""},
        // Just above the limit, but it rounds to the limit: nothing changed that rounding did not.
        {0, TableKey::Length, "16384.4", 16384, ""},
        {0, TableKey::Length, "16384.6", 16384, R"(sin1 length: "16384.6" is above 16384; using 16384)"},
        {0, TableKey::Length, "20000", 16384, R"(sin1 length: "20000" is above 16384; using 16384)"},
        {1, TableKey::Length, "0", 1, R"(sin2 length: "0" is below 1; using 1)"},
        {1, TableKey::Length, "0.4", 1, R"(sin2 length: "0.4" is below 1; using 1)"},
        {1, TableKey::Length, "-20000", 1, R"(sin2 length: "-20000" is below 1; using 1)"},
        {2, TableKey::Range, "-40000", 1, R"(sin3 range: "-40000" is below 1; using 1)"},
        {2, TableKey::Range, "40000", 32768, R"(sin3 range: "40000" is above 32768; using 32768)"},
        {3, TableKey::Speed, "300", 256, R"(sin4 speed: "300" is above 256; using 256)"},
        {3, TableKey::Minimum, "-1e999", -16384, R"(sin4 minimum: "-1e999" is below -16384; using -16384)"},
        {3, TableKey::Maximum, "1e999", 16384, R"(sin4 maximum: "1e999" is above 16384; using 16384)"},
        {0, TableKey::Offset, "abc", 0, R"(sin1 offset: "abc" is not a number; using 0)"},
        {0, TableKey::Length, "abc", 1, R"(sin1 length: "abc" is not a number; using 1)"},
        {0, TableKey::Origin, "-", 0, R"(sin1 origin: "-" is not a number; using 0)"},
        {0, TableKey::Length, "12abc", 12, R"(sin1 length: "12abc" has "abc" after the number; using 12)"},
        {0, TableKey::Speed, "0x10", 0, R"(sin1 speed: "0x10" has "x10" after the number; using 0)"},
        // A clamp is the more important news when both apply.
        {0, TableKey::Length, "20000abc", 16384, R"(sin1 length: "20000abc" is above 16384; using 16384)"},
    };
    for (const Case& c : cases) {
        const auto note = NoteFor(c.table, c.key, c.given, c.used);
        EXPECT_EQ(c.line, note ? DescribeNote(*note, false) : "") << '"' << c.given << '"';
    }
}

TEST(ValueNote, StrictRefusesTheValueInstead) {
    const auto note = NoteFor(0, TableKey::Length, "20000", 16384);
    ASSERT_TRUE(note);
    EXPECT_EQ(R"(sin1 length: "20000" is above 16384; --strict refuses to use 16384)", DescribeNote(*note, true));
}

} // namespace
} // namespace ondulix::cli
