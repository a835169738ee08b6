#include "support/HeadlessWindow.h"

#include "engine/InputRules.h"
#include "engine/NumberText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include <string>
#include <vector>

namespace ondulix::ui {
namespace {

using Event = MainWindowLogic::HandlerEvent;
using C = FormControls;

// A started window whose handler runs are logged as "+name(i)", "-name(i)" and "~name(i)" for
// started, finished and ignored.
class MainWindowLogicTest : public ::testing::Test {
protected:
    MainWindowLogicTest() {
        w.load();
        w.logic().setHandlerTrace([this](std::string_view name, int table, Event event) {
            const char mark = event == Event::Started ? '+' : event == Event::Finished ? '-' : '~';
            log.push_back(mark + std::string(name) + "(" + std::to_string(table) + ")");
        });
    }
    const engine::TableParams& table(int i) const { return w.tableSet().tables[static_cast<std::size_t>(i)]; }
    std::int32_t position(int i) const { return w.tableSet().preview.Position[static_cast<std::size_t>(i)]; }
    int calcCount(int i) { return w.control(&C::SinusPic, i).clearCount(); }

    HeadlessWindow w;
    std::vector<std::string> log;
};

TEST_F(MainWindowLogicTest, StartUpShowsTheDefaultsAndTheDesignExtents) {
    const char* expected[8][4] = {
        {"512", "512", "512", "512"}, {"-128", "-96", "-64", "-32"}, {"128", "96", "64", "32"}, {"0", "0", "0", "0"},
        {"256", "192", "128", "64"},  {"0", "64", "128", "256"},     {"1", "2", "3", "4"},      {"1", "-3", "5", "-7"},
    };
    TableRow<toolkit::TextBox> FormControls::*rows[] = {&C::txtSinLen,   &C::txtSinMin,  &C::txtSinMax,   &C::txtSinOrigin,
                                                         &C::txtSinRange, &C::txtSinOffs, &C::txtSinWaves, &C::txtSinSpeed};
    for (int r = 0; r < 8; ++r)
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(w.control(rows[r], i).text(), expected[r][i]) << "row " << r << " table " << i;
    EXPECT_EQ(w.control(&C::txtPrvXmax).text(), "512");
    EXPECT_EQ(w.control(&C::txtPrvYmin).text(), "-512");
    EXPECT_EQ(w.control(&C::txtPrvYmax).text(), "512");
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(position(i), 0);
        EXPECT_EQ(calcCount(i), 1) << "each table computed and plotted once";
    }
    EXPECT_EQ(table(1).Range, 192);
    EXPECT_FALSE(w.logic().isRefreshing());
}

TEST_F(MainWindowLogicTest, ShowTableParamsRaisesNotificationsThatTheGuardIgnores) {
    // "12abc" is shown back as "12": that write notifies inside the handler, and the guard
    // stops it at once, without reading, recomputing or touching a caret.
    HeadlessWindow::pasteOver(w.control(&C::txtSinOffs, 2), "12abc");
    EXPECT_EQ(log, (std::vector<std::string>{"+txtSinOffs(2)", "~txtSinOffs(2)", "-txtSinOffs(2)"}));
    EXPECT_EQ(w.control(&C::txtSinOffs, 2).text(), "12");
    EXPECT_EQ(calcCount(2), 2) << "start-up, then the edit once";
    EXPECT_EQ(w.control(&C::txtSinOffs, 1).text(), "64") << "other rows untouched";
    EXPECT_FALSE(w.logic().isRefreshing());
}

TEST_F(MainWindowLogicTest, ClampWriteBackRunsTheBoxHandlerNestedAndComputesTheTableOnce) {
    auto& box = w.control(&C::txtSinLen, 0);
    box.select(0, 3);
    box.type("2000");
    log.clear();
    const int before = calcCount(0);
    box.type("0"); // "20000" is above the limit
    EXPECT_EQ(log, (std::vector<std::string>{"+txtSinLen(0)", "+txtSinLen(0)", "-txtSinLen(0)",
                                             "-txtSinLen(0)"}));
    EXPECT_EQ(calcCount(0) - before, 1) << "the outer run finds the table computed from the same parameters";
    EXPECT_EQ(box.text(), "16384");
    EXPECT_EQ(table(0).Length, 16384);
    EXPECT_EQ(box.caret(), 5) << "the caret stays where the user left it";
}

TEST_F(MainWindowLogicTest, TypingIntoMinimumClampsAndDerivesTheCentreForm) {
    auto& box = w.control(&C::txtSinMin, 2);
    HeadlessWindow::typeOver(box, "99999");
    EXPECT_EQ(box.text(), "16384");
    EXPECT_EQ(box.caret(), 5);
    EXPECT_EQ(table(2).Minimum, 16384);
    EXPECT_EQ(table(2).Range, 64 - 16384);
    EXPECT_EQ(w.control(&C::txtSinRange, 2).text(), engine::IntegerText(64 - 16384));
    EXPECT_EQ(w.control(&C::txtSinOrigin, 2).text(), engine::IntegerText(table(2).Origin));
    EXPECT_EQ(table(2).Origin, 8224); // (64 - 16384) / 2 + 16384
}

TEST_F(MainWindowLogicTest, CaretReturnsAlsoWhenTheTextGetsShorter) {
    auto& box = w.control(&C::txtSinWaves, 1);
    box.select(0, 1);
    box.type("7abc"); // each key re-normalises: the box ends as "7" after the letters
    EXPECT_EQ(box.text(), "7");
    EXPECT_EQ(box.caret(), 1) << "a caret past the new end goes to the end";
    EXPECT_EQ(table(1).Periods, 7);

    auto& length = w.control(&C::txtSinLen, 3);
    length.setCaret(1);
    length.type("0"); // "5012" stays: within limits, caret after the typed key
    EXPECT_EQ(length.text(), "5012");
    EXPECT_EQ(length.caret(), 2);
}

TEST_F(MainWindowLogicTest, NormalisedTextsAppearAtEveryKeystroke) {
    struct Case {
        toolkit::MemoryTextBox* box;
        const char* typed;
        const char* shown;
    };
    const Case cases[] = {
        {&w.control(&C::txtSinLen, 0), "abc", "1"},     {&w.control(&C::txtSinLen, 0), "-7", "1"},       {&w.control(&C::txtSinLen, 0), "", "1"},
        {&w.control(&C::txtSinRange, 0), "", "1"},      {&w.control(&C::txtSinOffs, 0), "", "0"},        {&w.control(&C::txtSinOffs, 0), "12abc", "12"},
        {&w.control(&C::txtSinWaves, 0), "2.5", "2"},   {&w.control(&C::txtSinWaves, 0), "3.5", "4"},    {&w.control(&C::txtSinWaves, 0), "-2.5", "-2"},
        {&w.control(&C::txtSinSpeed, 0), "300", "256"}, {&w.control(&C::txtSinRange, 0), "40000", "32768"}, {&w.control(&C::txtSinLen, 0), "16384.4", "16384"},
        {&w.control(&C::txtSinLen, 0), "-16384", "1"},
    };
    for (const Case& c : cases) {
        HeadlessWindow::pasteOver(*c.box, c.typed);
        EXPECT_EQ(c.box->text(), c.shown) << '"' << c.typed << '"';
    }
    HeadlessWindow::pasteOver(w.control(&C::txtSinRange, 1), "-40000");
    EXPECT_EQ(table(1).Range, 1);
    EXPECT_EQ(w.control(&C::txtSinRange, 1).text(), "1");
}

TEST_F(MainWindowLogicTest, OriginAndRangeEditsDeriveTheBounds) {
    HeadlessWindow::pasteOver(w.control(&C::txtSinRange, 0), "3");
    HeadlessWindow::pasteOver(w.control(&C::txtSinOrigin, 0), "1");
    EXPECT_EQ(w.control(&C::txtSinMin, 0).text(), "0");
    EXPECT_EQ(w.control(&C::txtSinMax, 0).text(), "3");
    EXPECT_EQ(w.control(&C::txtSinOrigin, 0).text(), "1");

    // Bounds derived beyond what may be typed stay until a bound of that table is edited.
    HeadlessWindow::pasteOver(w.control(&C::txtSinRange, 0), "32768");
    HeadlessWindow::pasteOver(w.control(&C::txtSinOrigin, 0), "16384");
    EXPECT_EQ(w.control(&C::txtSinMax, 0).text(), "32768");
    log.clear();
    HeadlessWindow::pasteOver(w.control(&C::txtSinMin, 0), "5");
    EXPECT_EQ(w.control(&C::txtSinMax, 0).text(), "16384");
    EXPECT_EQ(table(0).Maximum, 16384);
    EXPECT_EQ(table(0).Range, 16379);
    // The Maximum clamp ran that box's handler nested; its display rewrote the centre form,
    // whose notifications the guard stopped.
    EXPECT_EQ(log, (std::vector<std::string>{"+txtSinMin(0)", "+txtSinMax(0)", "~txtSinOrigin(0)",
                                             "~txtSinRange(0)", "-txtSinMax(0)", "-txtSinMin(0)"}));
}

TEST_F(MainWindowLogicTest, YminNotAboveYmaxRaisesYmaxThroughANestedRun) {
    w.control(&C::picPreview).forgetOperations();
    const int clearsBefore = w.control(&C::picPreview).clearCount();
    HeadlessWindow::pasteOver(w.control(&C::txtPrvYmax), "255");
    log.clear();
    HeadlessWindow::pasteOver(w.control(&C::txtPrvYmin), "300");
    EXPECT_EQ(log, (std::vector<std::string>{"+txtPrvYmin(0)", "+txtPrvYmax(0)", "-txtPrvYmax(0)",
                                             "-txtPrvYmin(0)"}));
    EXPECT_EQ(w.control(&C::txtPrvYmax).text(), "301");
    EXPECT_EQ(w.control(&C::picPreview).scale().top, 300.0f);
    EXPECT_EQ(w.control(&C::picPreview).scale().height, 1.0f);
    EXPECT_EQ(w.control(&C::picPreview).clearCount() - clearsBefore, 3) << "Ymax once, then both runs of the Ymin edit";

    // Equal values are treated the same way, fractions too.
    HeadlessWindow::pasteOver(w.control(&C::txtPrvYmax), "300");
    EXPECT_EQ(w.control(&C::txtPrvYmax).text(), "301");
    HeadlessWindow::pasteOver(w.control(&C::txtPrvYmin), "9.5");
    HeadlessWindow::pasteOver(w.control(&C::txtPrvYmax), "9");
    EXPECT_EQ(w.control(&C::txtPrvYmax).text(), "10.5");
}

TEST_F(MainWindowLogicTest, PreviewBoxEditsPassTableZeroClearThePreviewAndComputeNothing) {
    HeadlessWindow::pasteOver(w.control(&C::txtSinSpeed, 0), "0");
    const int calcs[] = {calcCount(0), calcCount(1), calcCount(2), calcCount(3)};
    log.clear();
    const int clears = w.control(&C::picPreview).clearCount();
    HeadlessWindow::pasteOver(w.control(&C::txtPrvXmax), "300.5");
    EXPECT_EQ(log, (std::vector<std::string>{"+txtPrvXmax(0)", "-txtPrvXmax(0)"}));
    EXPECT_EQ(w.control(&C::picPreview).clearCount(), clears + 1);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(calcCount(i), calcs[i]) << "table " << i;
    EXPECT_EQ(w.control(&C::txtPrvXmax).text(), "300.5") << "a fractional width shows back unrounded";
    EXPECT_EQ(w.control(&C::picPreview).scale().width, 300.5f);
    EXPECT_EQ(w.control(&C::picPreview).scale().left, 0.0f);

    struct Case {
        const char* typed;
        const char* shown;
    };
    for (const Case& c : {Case{"0.5", "1"}, Case{"0", "1"}, Case{"", "1"}, Case{"20000", "16384"}}) {
        HeadlessWindow::pasteOver(w.control(&C::txtPrvXmax), c.typed);
        EXPECT_EQ(w.control(&C::txtPrvXmax).text(), c.shown) << '"' << c.typed << '"';
    }
}

TEST_F(MainWindowLogicTest, SpeedZeroResetsThePositionAtOnce) {
    for (int frame = 0; frame < 3; ++frame)
        w.control(&C::tmrPreview).tick();
    EXPECT_EQ(position(2), 15);
    const int calcs = calcCount(2);
    HeadlessWindow::pasteOver(w.control(&C::txtSinSpeed, 2), "0");
    EXPECT_EQ(table(2).Speed, 0);
    EXPECT_EQ(position(2), 0);
    EXPECT_EQ(calcCount(2), calcs) << "speed does not change the entries";
    w.control(&C::tmrPreview).tick();
    EXPECT_EQ(position(2), 0);
    // A non-zero speed leaves the position where it is.
    EXPECT_EQ(position(1), 500);
    HeadlessWindow::pasteOver(w.control(&C::txtSinSpeed, 1), "2");
    EXPECT_EQ(position(1), 500);
}

TEST_F(MainWindowLogicTest, ExtremePreviewExtentsAreClampedToFiniteEdges) {
    struct Case {
        toolkit::MemoryTextBox* box;
        const char* typed;
        const char* ymin;
        const char* ymax;
    };
    const Case cases[] = {
        {&w.control(&C::txtPrvYmin), "1e39", "1048575", "1048576"},
        {&w.control(&C::txtPrvYmin), "-1e999", "-1048576", "1048576"},
        {&w.control(&C::txtPrvYmax), "1e999", "-1048576", "1048576"},
        {&w.control(&C::txtPrvYmin), "9007199254740993", "1048575", "1048576"}, // 2^53 + 1: +1 would be lost
        {&w.control(&C::txtPrvYmax), "-5e300", "1048575", "1048576"},
        {&w.control(&C::txtPrvYmin), "0.1", "0.1", "1048576"},
        {&w.control(&C::txtPrvYmax), "0.1000000000000001", "0.1", "1.1"}, // above Ymin, but not by a float's height
    };
    for (const Case& c : cases) {
        HeadlessWindow::pasteOver(*c.box, c.typed);
        EXPECT_EQ(w.control(&C::txtPrvYmin).text(), c.ymin) << '"' << c.typed << '"';
        EXPECT_EQ(w.control(&C::txtPrvYmax).text(), c.ymax) << '"' << c.typed << '"';
        const toolkit::UserScale s = w.control(&C::picPreview).scale();
        EXPECT_TRUE(std::isfinite(s.top) && std::isfinite(s.height) && s.height > 0.0f) << '"' << c.typed << '"';
    }
}

TEST_F(MainWindowLogicTest, AboutBoxesAndQuit) {
    w.control(&C::cmdAboutThis).click();
    w.control(&C::cmdAboutUs).click();
    ASSERT_EQ(w.messageBox.shown.size(), 2u);
    EXPECT_EQ(w.messageBox.shown[0].title, "About Ondulix V1");
    EXPECT_TRUE(w.messageBox.shown[0].text.ends_with("made for you anyway ;)\r\n"));
    EXPECT_NE(w.messageBox.shown[0].text.find("\r\n\r\nIf you are a coder"), std::string::npos);
    EXPECT_EQ(w.messageBox.shown[1].title, "Who Are We?!");
    EXPECT_TRUE(w.messageBox.shown[1].text.starts_with("so if ya really don't know who\r\nwe are check these URL's:\r\n\r\n"));
    EXPECT_FALSE(w.messageBox.shown[1].text.ends_with("\n"));
    EXPECT_EQ(std::count(w.messageBox.shown[1].text.begin(), w.messageBox.shown[1].text.end(), '\n'), 9);
    EXPECT_EQ(calcCount(0), 1) << "about boxes change nothing";

    w.control(&C::cmdQuit).click();
    EXPECT_EQ(w.endProgramCalls, 1);
}

// The preview's tooltip answers for what the window holds when it is asked: a bound, a check box
// and a table each change the answer.
TEST_F(MainWindowLogicTest, PreviewToolTipFollowsBoundsCheckBoxesAndTables) {
    auto& preview = w.control(&C::picPreview);
    EXPECT_EQ(preview.toolTip(), "The sum stays within -512 to 512 in every frame.\nIt runs from -316 to 310.");
    HeadlessWindow::pasteOver(w.control(&C::txtPrvYmax), "300");
    EXPECT_EQ(preview.toolTip(), "The sum leaves -512 to 300: it passes the bottom edge.\nIt runs from -316 to 310.");
    for (int i = 1; i < 4; ++i)
        w.control(&C::checkSin, i).setChecked(false);
    EXPECT_EQ(preview.toolTip(), "The sum stays within -512 to 300 in every frame.\nIt runs from -128 to 128.");
    HeadlessWindow::pasteOver(w.control(&C::txtSinMax, 0), "400");
    EXPECT_EQ(preview.toolTip(), "The sum leaves -512 to 300: it passes the bottom edge.\nIt runs from -128 to 400.");
    // Frames move the positions along the same cycle: the answer stands.
    for (int frame = 0; frame < 7; ++frame)
        w.control(&C::tmrPreview).tick();
    EXPECT_EQ(preview.toolTip(), "The sum leaves -512 to 300: it passes the bottom edge.\nIt runs from -128 to 400.");
}

} // namespace
} // namespace ondulix::ui
