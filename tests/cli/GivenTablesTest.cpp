#include "cli/GivenTables.h"

#include "CliTestSupport.h"
#include "cli/CommandLine.h"
#include "engine/InputRules.h"

#include <gtest/gtest.h>

#include <random>

namespace ondulix::cli {
namespace {

using testing::BoxEdit;
using H = ui::FormControls;
using exporter::ExportStyle;
using TableRow = ui::TableRow<toolkit::TextBox> ui::FormControls::*;
constexpr auto Type = BoxEdit::How::Type;
constexpr auto Paste = BoxEdit::How::Paste;

// A command line, and the same texts put into the window's boxes by hand. The hand edits come in
// an order of their own (often the reverse), so a match also shows that the order of the keys
// does not matter. Texts are typed key by key where every prefix leaves the box as it is, and
// pasted where a prefix would be rewritten ("-" reads 0 and the box shows "0" at once).
struct WindowCase {
    const char* name;
    std::vector<std::string_view> args;
    std::vector<BoxEdit> edits;
    std::vector<std::string> notes;
};

const std::vector<WindowCase>& windowCases() {
    static const std::vector<WindowCase> cases = {
        {"Defaults", {}, {}, {}},
        {"TextsEqualToTheBoxesChangeNothing", {"--sin1", "length=512,origin=0", "--sin4", "speed=-7"}, {}, {}},
        {"Extremes",
         {"--sin1", "length=16384,periods=16384,offset=16384", "--sin2",
          "length=1,periods=-16384,offset=-16384,speed=-256", "--sin4", "speed=256,periods=0"},
         {{3, &H::txtSinWaves, "0", Type},
          {3, &H::txtSinSpeed, "256", Type},
          {1, &H::txtSinSpeed, "-256", Paste},
          {1, &H::txtSinOffs, "-16384", Paste},
          {1, &H::txtSinWaves, "-16384", Paste},
          {1, &H::txtSinLen, "1", Type},
          {0, &H::txtSinOffs, "16384", Type},
          {0, &H::txtSinWaves, "16384", Type},
          {0, &H::txtSinLen, "16384", Type}},
         {}},
        {"BoundsForm",
         {"--sin1", "length=256,min=0,max=255", "--sin3", "max=7,minimum=-5,periods=-2"},
         {{2, &H::txtSinMax, "7", Type},
          {2, &H::txtSinMin, "-5", Paste},
          {2, &H::txtSinWaves, "-2", Paste},
          {0, &H::txtSinMax, "255", Type},
          {0, &H::txtSinMin, "0", Type},
          {0, &H::txtSinLen, "256", Type}},
         {}},
        {"CentreForm",
         {"--sin2", "length=256,origin=0,range=64", "--sin4", "range=3,origin=1", "--sin3", "origin=-100"},
         {{1, &H::txtSinRange, "64", Type},
          {1, &H::txtSinOrigin, "0", Type},
          {1, &H::txtSinLen, "256", Type},
          {3, &H::txtSinOrigin, "1", Type},
          {3, &H::txtSinRange, "3", Type},
          {2, &H::txtSinOrigin, "-100", Paste}},
         {}},
        {"Clamped",
         {"--sin1", "length=20000", "--sin2", "range=-40000", "--sin3", "min=99999,max=-99999", "--sin4",
          "origin=16384,range=32768"},
         // Origin 16384 with Range 32768 derives a Maximum of 32768, beyond a typed bound.
         {{3, &H::txtSinRange, "32768", Type},
          {3, &H::txtSinOrigin, "16384", Type},
          {2, &H::txtSinMax, "-99999", Paste},
          {2, &H::txtSinMin, "99999", Type},
          {1, &H::txtSinRange, "-40000", Paste},
          {0, &H::txtSinLen, "20000", Type}},
         {R"(sin1 length: "20000" is above 16384; using 16384)",
          R"(sin2 range: "-40000" is below 1; using 1)",
          R"(sin3 minimum: "99999" is above 16384; using 16384)",
          R"(sin3 maximum: "-99999" is below -16384; using -16384)"}},
        {"TextsReadAsTheBoxesReadThem",
         {"--sin1", "length=12abc,offset=&H10,periods=2.5,speed= 1 2", "--sin2", "periods=3.5,min=&O17,max=1e2",
          "--sin3", "periods=-2.5,length=abc", "--sin4", "range=0,offset=-"},
         {{3, &H::txtSinRange, "0", Type},
          {3, &H::txtSinOffs, "-", Paste},
          {2, &H::txtSinWaves, "-2.5", Paste},
          {2, &H::txtSinLen, "abc", Type},
          {1, &H::txtSinMax, "1e2", Paste},
          {1, &H::txtSinMin, "&O17", Paste},
          {1, &H::txtSinWaves, "3.5", Paste},
          {0, &H::txtSinSpeed, " 1 2", Paste},
          {0, &H::txtSinWaves, "2.5", Paste},
          {0, &H::txtSinOffs, "&H10", Paste},
          {0, &H::txtSinLen, "12abc", Type}},
         {R"(sin1 length: "12abc" has "abc" after the number; using 12)",
          R"(sin3 length: "abc" is not a number; using 1)",
          R"(sin4 offset: "-" is not a number; using 0)",
          R"(sin4 range: "0" is below 1; using 1)"}},
        // Lengths that are no multiple of 8: the count of values on a line runs across tables.
        {"ShortTables",
         {"--sin1", "length=10", "--sin2", "length=1", "--sin3", "length=7", "--sin4", "length=13"},
         {{3, &H::txtSinLen, "13", Type},
          {2, &H::txtSinLen, "7", Type},
          {1, &H::txtSinLen, "1", Type},
          {0, &H::txtSinLen, "10", Type}},
         {}},
    };
    return cases;
}

std::string fileOf(const GivenTables& given, ExportStyle style) {
    return exporter::WriteTableFile(given.set, style);
}

class GivenTablesTest : public ::testing::TestWithParam<std::tuple<std::size_t, ExportStyle>> {};

TEST_P(GivenTablesTest, WritesTheWindowsFileByteForByte) {
    const auto [index, style] = GetParam();
    const WindowCase& c = windowCases()[index];
    const ParsedCommandLine parsed = ParseCommandLine(c.args);
    ASSERT_TRUE(parsed.ok()) << parsed.error;

    const GivenTables given = TablesFromTexts(parsed.request.tables);
    EXPECT_SAME_BYTES(testing::windowFile(c.edits, style), fileOf(given, style));

    std::vector<std::string> notes;
    for (const ValueNote& note : given.notes)
        notes.push_back(DescribeNote(note, false));
    EXPECT_EQ(c.notes, notes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GivenTablesTest,
    ::testing::Combine(::testing::Range<std::size_t>(0, windowCases().size()),
                       ::testing::Values(ExportStyle::CArrays, ExportStyle::AssemblerBytes)),
    [](const auto& param) {
        return std::string(windowCases()[std::get<0>(param.param)].name) +
               (std::get<1>(param.param) == ExportStyle::CArrays ? "_C" : "_Asm");
    });

// Random texts for random keys of every table, one amplitude form each, computed from the model
// and pasted into the window's boxes in the order the command line documents: the files match
// byte for byte, and every value noted as used is the one the window stored.
TEST(GivenTables, RandomTextsGiveTheWindowsFile) {
    static const std::vector<std::string> pieces = {
        "0",  "1",  "7",   "-", "+",  ".",    "e",     "E",      "&H",  "&O",    "F",      "x",      " ",
        "5",  "12", "abc", ",", "2.5", "1e3", "16384", "-16384", "256", "32768", "-40000", "1e999", "99999",
    };
    std::mt19937 rng(7);
    auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
    for (int run = 0; run < 300; ++run) {
        std::array<TableTexts, engine::kTableCount> tables{};
        std::vector<testing::BoxEdit> edits;
        for (int t = 0; t < engine::kTableCount; ++t) {
            const bool bounds = pick(2) == 0;
            for (const TableKey key : kTableKeys) {
                if ((bounds ? IsCentreKey(key) : IsBoundsKey(key)) || pick(3) == 0)
                    continue;
                std::string text;
                for (std::size_t n = pick(4); n > 0; --n)
                    text += pieces[pick(pieces.size())];
                tables[static_cast<std::size_t>(t)][static_cast<std::size_t>(key)] = text;
                constexpr TableRow rows[] = {&H::txtSinLen, &H::txtSinOffs, &H::txtSinWaves, &H::txtSinSpeed,
                                             &H::txtSinMin, &H::txtSinMax,  &H::txtSinOrigin, &H::txtSinRange};
                edits.push_back({t, rows[static_cast<std::size_t>(key)], text, testing::BoxEdit::How::Paste});
            }
        }
        const GivenTables given = TablesFromTexts(tables);
        for (const ExportStyle style : {ExportStyle::CArrays, ExportStyle::AssemblerBytes})
            ASSERT_TRUE(testing::windowFile(edits, style) == fileOf(given, style)) << "run " << run;
        for (const ValueNote& note : given.notes) {
            const int table = note.subject[3] - '1';
            const TableKey key = *FindTableKey(note.subject.substr(5));
            EXPECT_EQ(note.used, engine::IntegerText(given.set.table(table).*engine::RuleOf(key).member));
        }
    }
}

// The preview's three boxes given random texts, pasted in the order steps, top, bottom, then read
// once more by an edit elsewhere: the window's view and the one read without boxes agree to the
// bit, columns included. A value with more significant digits than a box shows is left out: the
// window reads it back as the box shows it at the next edit, so there its result depends on the
// order of the edits, and the command line reads the three together.
TEST(GivenTables, RandomPreviewTextsGiveTheWindowsView) {
    static const std::vector<std::string> pieces = {"0",  "1",     "5",    "-",   ".",  "e",       "9",     "300",
                                                    "-2", "16384", "1e39", "0.1", "x",  "1048575", "-1e999", " "};
    std::mt19937 rng(11);
    auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
    auto randomText = [&] {
        std::string text;
        for (std::size_t n = 1 + pick(3); n > 0; --n)
            text += pieces[pick(pieces.size())];
        return text;
    };
    auto shownAsTyped = [](const engine::ValueReading& reading) {
        const auto value = static_cast<float>(reading.value);
        return static_cast<float>(engine::ReadNumber(engine::FloatText(value))) == value;
    };
    int compared = 0;
    for (int run = 0; run < 1000; ++run) {
        const std::string xmax = randomText(), ymin = randomText(), ymax = randomText();
        const engine::PreviewReading reading = engine::ReadPreview(xmax, ymin, ymax);
        if (!shownAsTyped(reading.xmax) || !shownAsTyped(reading.ymin) || !shownAsTyped(reading.ymax))
            continue;
        ++compared;
        ui::HeadlessWindow window;
        window.load();
        ui::HeadlessWindow::pasteOver(window.control(&H::txtPrvXmax), xmax);
        ui::HeadlessWindow::pasteOver(window.control(&H::txtPrvYmin), ymin);
        ui::HeadlessWindow::pasteOver(window.control(&H::txtPrvYmax), ymax);
        ui::HeadlessWindow::pasteOver(window.control(&H::txtSinSpeed, 0), "01"); // shown as "1" again
        const engine::PreviewView& shown = window.logic().previewView();
        const engine::PreviewView read = engine::SettledView(reading.view);
        ASSERT_EQ(shown.scale(), read.scale()) << xmax << " / " << ymin << " / " << ymax;
        ASSERT_EQ(shown.columnStep(), read.columnStep());
        ASSERT_EQ(shown.lastColumn(), read.lastColumn());
    }
    EXPECT_GT(compared, 500);
}

TEST(GivenTables, DefaultTablesEqualTheGoldenFiles) {
    const GivenTables none = TablesFromTexts({});
    EXPECT_SAME_BYTES(testing::goldenFile("default-tables-c.txt"), fileOf(none, ExportStyle::CArrays));
    EXPECT_SAME_BYTES(testing::goldenFile("default-tables-asm.txt"), fileOf(none, ExportStyle::AssemblerBytes));
}

} // namespace
} // namespace ondulix::cli
