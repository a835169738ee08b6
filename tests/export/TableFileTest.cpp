#include "export/TableFile.h"

#include "engine/AmplitudeForms.h"
#include "engine/Defaults.h"
#include "engine/TableGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace ondulix::exporter {
namespace {

using engine::TableSet;

constexpr std::string_view kHeader1 = "\r\n/* Tables by Ondulix V1, the sine table tool */\r\n\r\n";
constexpr std::string_view kHeader2 = "\r\n;Tables by Ondulix V1, the sine table tool\r\n\r\n";

// The file's text up to the first difference, and a few bytes of each side from there, so a
// failure says where the files part.
std::string firstDifference(std::string_view expected, std::string_view actual) {
    const auto [e, a] = std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
    if (e == expected.end() && a == actual.end())
        return "identical";
    const auto at = static_cast<std::size_t>(e - expected.begin());
    const std::size_t line = static_cast<std::size_t>(std::count(expected.begin(), e, '\n')) + 1;
    auto show = [](std::string_view s) {
        std::string out;
        for (char c : s.substr(0, 40))
            out += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
        return out;
    };
    return "first difference at byte " + std::to_string(at) + " (line " + std::to_string(line) + "): expected \"" +
           show(expected.substr(at)) + "\" but got \"" + show(actual.substr(at)) + "\"";
}

#define EXPECT_BYTES(expected, actual) EXPECT_TRUE((expected) == (actual)) << firstDifference((expected), (actual))

std::string writeFile(const TableSet& set, ExportStyle style) {
    return WriteTableFile(set, style);
}

// Four tables whose entries 1 to Length are the given values; the rest of the set is plain.
TableSet setWithEntries(std::int32_t length, std::initializer_list<std::int32_t> entries) {
    TableSet set;
    for (int i = 0; i < engine::kTableCount; ++i) {
        auto& t = set.tables[static_cast<std::size_t>(i)];
        t.Length = length;
        t.Periods = 1;
        t.Minimum = -100;
        t.Maximum = 100;
        int x = 1;
        for (std::int32_t v : entries)
            set.values(i, x++) = v;
    }
    set.tables[0].Speed = 1;
    set.tables[1].Speed = -3;
    set.tables[2].Speed = 5;
    set.tables[3].Speed = -7;
    return set;
}

std::string tablePart(std::string_view text, int number) {
    // Between the comment of table `number` and the next table's leading empty line.
    const std::string marker = "SinTab" + std::to_string(number);
    const auto begin = text.find(marker);
    const auto end = text.find("\r\n\r\n", begin + marker.size() + 4); // past the label's own empty line
    return std::string(text.substr(begin, end - begin));
}

TEST(TableFile, WorkedTenEntryTableInBothStyles) {
    const TableSet set = setWithEntries(10, {59, 95, 95, 59, 0, -59, -95, -95, -59, 0});

    const std::string c = writeFile(set, ExportStyle::CArrays);
    ASSERT_TRUE(c.starts_with(kHeader1));
    const std::string table1c = "\r\n/* 1 Period(s) from -100 to 100 */\r\n\r\n"
                                "Int SinTab1[10]=\r\n"
                                "{ 59 , 95 , 95 , 59 , 0 ,-59 ,-95 ,-95 ,\r\n"
                                "-59 , 0 };\r\n";
    EXPECT_BYTES(table1c, c.substr(kHeader1.size(), table1c.size()));

    const std::string a = writeFile(set, ExportStyle::AssemblerBytes);
    ASSERT_TRUE(a.starts_with(kHeader2));
    const std::string table1a = "\r\n;1 Period(s) from -100 to 100\r\n\r\n"
                                "SinTab1\r\n\r\n"
                                ".byte  59 , 95 , 95 , 59 , 0 ,-59 ,-95 ,-95 \r\n"
                                ".byte -59 , 0 \r\n";
    EXPECT_BYTES(table1a, a.substr(kHeader2.size(), table1a.size()));

    // The count runs on: table 2 starts with two values on the line already.
    EXPECT_NE(c.find("Int SinTab2[10]=\r\n{ 59 , 95 , 95 , 59 , 0 ,-59 ,\r\n-95 ,"), std::string::npos);
    EXPECT_NE(a.find("SinTab2\r\n\r\n.byte  59 , 95 , 95 , 59 , 0 ,-59 \r\n.byte -95 ,"), std::string::npos);

    EXPECT_TRUE(c.ends_with("\r\n/* ADCs in Preview were: 1/-3/5/-7 */\r\n\r\n"));
    EXPECT_TRUE(a.ends_with("\r\n;ADCs in Preview were: 1/-3/5/-7\r\n\r\n"));
}

TEST(TableFile, FirstValueLinesShortenAcrossTablesOfLengthTen) {
    const TableSet set = setWithEntries(10, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    const std::string c = writeFile(set, ExportStyle::CArrays);
    const std::string a = writeFile(set, ExportStyle::AssemblerBytes);
    const int expectedFirstLine[] = {8, 6, 4, 2};
    for (int n = 1; n <= 4; ++n) {
        for (const std::string* text : {&c, &a}) {
            const std::string part = tablePart(*text, n);
            const auto lineStart = part.find(text == &c ? "{" : ".byte ");
            const std::string firstLine = part.substr(lineStart, part.find("\r\n", lineStart) - lineStart);
            const auto values = std::count(firstLine.begin(), firstLine.end(), ' ') - (text == &a ? 1 : 0);
            EXPECT_EQ(values / 2, expectedFirstLine[n - 1]) << "table " << n << ": " << firstLine;
        }
    }
    // Table 4 begins with two values and ends on the eighth of a line: no separator, no break.
    EXPECT_NE(c.find("{ 1 , 2 ,\r\n 3 , 4 , 5 , 6 , 7 , 8 , 9 , 10 };\r\n"), std::string::npos);
    EXPECT_NE(a.find(".byte  1 , 2 \r\n.byte  3 , 4 , 5 , 6 , 7 , 8 , 9 , 10 \r\n\r\n;ADCs"), std::string::npos);
}

TEST(TableFile, LengthOneTablesAndNegativeNumbers) {
    TableSet set = setWithEntries(1, {7});
    set.tables[0].Periods = -2;
    set.tables[0].Minimum = -5;
    set.tables[0].Maximum = 7;
    set.values(1, 1) = -3;
    set.tables[2].Periods = 0;

    const std::string c = writeFile(set, ExportStyle::CArrays);
    EXPECT_NE(c.find("\r\n/* -2 Period(s) from -5 to 7 */\r\n\r\nInt SinTab1[1]=\r\n{ 7 };\r\n"), std::string::npos);
    EXPECT_NE(c.find("Int SinTab2[1]=\r\n{-3 };\r\n"), std::string::npos);
    EXPECT_NE(c.find("/* 0 Period(s) from -100 to 100 */"), std::string::npos);

    const std::string a = writeFile(set, ExportStyle::AssemblerBytes);
    EXPECT_NE(a.find("\r\n;-2 Period(s) from -5 to 7\r\n\r\nSinTab1\r\n\r\n.byte  7 \r\n"), std::string::npos);
    EXPECT_NE(a.find("SinTab2\r\n\r\n.byte -3 \r\n"), std::string::npos);
}

TEST(TableFile, LongestTableFillsWholeLines) {
    TableSet set = setWithEntries(8, {});
    set.tables[0].Length = 16384;
    for (int x = 1; x <= 16384; ++x)
        set.values(0, x) = (x % 3) - 1;
    const std::string c = writeFile(set, ExportStyle::CArrays);
    const std::string part = tablePart(c, 1);
    EXPECT_EQ(std::count(part.begin(), part.end(), '\n'), 2048 + 0) << "label line break plus 2047 value line breaks";
    EXPECT_TRUE(part.ends_with("\r\n-1 , 0 , 1 ,-1 , 0 , 1 ,-1 , 0 };"));
}

// The default tables, written in full and compared with the checked-in files.
class DefaultTablesFile : public ::testing::TestWithParam<std::pair<ExportStyle, const char*>> {};

TEST_P(DefaultTablesFile, MatchesTheGoldenFile) {
    TableSet set;
    engine::ApplyDefaults(set);
    for (int i = 0; i < engine::kTableCount; ++i) {
        engine::OriginRangeFromMinMax(set.tables[static_cast<std::size_t>(i)]);
        engine::ComputeTable(set, i);
    }
    const auto [style, name] = GetParam();
    const std::string actual = writeFile(set, style);

    std::ifstream file(std::string(ONDULIX_TEST_DATA) + "/" + name, std::ios::binary);
    ASSERT_TRUE(file) << "missing golden file " << name;
    const std::string expected{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    EXPECT_BYTES(expected, actual);

    const auto lineBreaks = std::count(actual.begin(), actual.end(), '\n');
    EXPECT_EQ(lineBreaks, style == ExportStyle::CArrays ? 278 : 282);
    EXPECT_EQ(std::count(actual.begin(), actual.end(), '\r'), lineBreaks) << "every line break is CR LF";
}

INSTANTIATE_TEST_SUITE_P(BothStyles, DefaultTablesFile,
                         ::testing::Values(std::pair{ExportStyle::CArrays, "default-tables-c.txt"},
                                           std::pair{ExportStyle::AssemblerBytes, "default-tables-asm.txt"}));

} // namespace
} // namespace ondulix::exporter
