#include "support/HeadlessWindow.h"

#include "engine/NumberText.h"
#include "engine/TableGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace ondulix::ui {
namespace {

using Box = toolkit::MemoryTextBox;
using C = FormControls;

// Texts a user (or a cat on the keyboard) might put into a box.
std::string randomText(std::mt19937& rng) {
    static const std::vector<std::string> pieces = {
        "0", "1", "7", "9", "16384", "16385", "-", "+", ".", "e", "E", "D", "d", "&H", "&O", "&h", "F", "Z",
        " ", "\t", "\n", ",", "x", "abc", "1e39", "1e999", "-1e999", "32768", "-32768", "256", "1e-400",
        "9007199254740993", "0.1000000000000001", "4.5", "-2.5", "1048575.5", "&HFFFFFFFFFFFF", "é", "\r",
    };
    std::uniform_int_distribution<int> kind(0, 9);
    std::string text;
    if (kind(rng) == 0) { // a very long string
        const std::size_t length = std::uniform_int_distribution<std::size_t>(100, 4000)(rng);
        for (std::size_t i = 0; i < length; ++i)
            text += "0123456789.e-+&H "[std::uniform_int_distribution<int>(0, 16)(rng)];
        return text;
    }
    const int count = std::uniform_int_distribution<int>(0, 4)(rng);
    for (int i = 0; i < count; ++i)
        text += pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(rng)];
    return text;
}

void expectWithin(std::int32_t value, std::int32_t low, std::int32_t high, const char* what, int table) {
    EXPECT_GE(value, low) << what << " of table " << table;
    EXPECT_LE(value, high) << what << " of table " << table;
}

TEST(RandomInput, ThousandsOfRandomEditsKeepEveryInvariant) {
    HeadlessWindow w;
    w.load();
    std::mt19937 rng(20261207);

    std::vector<std::pair<Box*, int>> boxes; // box and the table whose row it edits
    for (int i = 0; i < 4; ++i)
        for (auto row : {&C::txtSinLen, &C::txtSinOffs, &C::txtSinWaves, &C::txtSinMin, &C::txtSinMax, &C::txtSinOrigin,
                         &C::txtSinRange, &C::txtSinSpeed})
            boxes.emplace_back(&w.control(row, i), i);
    for (Box* b : {&w.control(&C::txtPrvXmax), &w.control(&C::txtPrvYmin), &w.control(&C::txtPrvYmax)})
        boxes.emplace_back(b, 0);
    w.control(&C::picPreview).setRecording(false);
    for (int i = 0; i < 4; ++i)
        w.control(&C::SinusPic, i).setRecording(false);
    engine::TableSet fresh; // the edited table computed anew, to compare with what the window holds

    for (int edit = 0; edit < 4000; ++edit) {
        const auto& [box, t] = boxes[std::uniform_int_distribution<std::size_t>(0, boxes.size() - 1)(rng)];
        const std::string text = randomText(rng);
        if (edit % 3 == 0)
            HeadlessWindow::typeOver(*box, text.substr(0, 40));
        else
            HeadlessWindow::pasteOver(*box, text);
        if (edit % 7 == 0)
            w.control(&C::tmrPreview).tick();

        const auto& p = w.tableSet().tables[static_cast<std::size_t>(t)];
        SCOPED_TRACE("edit " + std::to_string(edit) + ": \"" + text.substr(0, 60) + "\"");
        expectWithin(p.Length, 1, 16384, "Length", t);
        expectWithin(p.Offset, -16384, 16384, "Offset", t);
        expectWithin(p.Periods, -16384, 16384, "Periods", t);
        expectWithin(p.Speed, -256, 256, "Speed", t);
        expectWithin(p.Minimum, -32768, 16384, "Minimum", t);
        expectWithin(p.Maximum, -16384, 32768, "Maximum", t);
        expectWithin(p.Origin, -16384, 16384, "Origin", t);
        EXPECT_EQ(p.Range, p.Maximum - p.Minimum);
        // A shrunk Length wraps the position at the next frame, not at once.
        expectWithin(w.tableSet().preview.Position[static_cast<std::size_t>(t)], 0, 16383, "Position", t);
        // A table the window did not compute again holds what computing it would give.
        fresh.table(t) = p;
        engine::ComputeTable(fresh, t);
        const auto held = w.tableSet().values.row(t).first(static_cast<std::size_t>(p.Length) + 1);
        EXPECT_TRUE(std::ranges::equal(held, fresh.values.row(t).first(held.size()))) << "entries of table " << t;

        const int at = t;
        EXPECT_EQ(w.control(&C::txtSinLen, at).text(), engine::IntegerText(p.Length));
        EXPECT_EQ(w.control(&C::txtSinOffs, at).text(), engine::IntegerText(p.Offset));
        EXPECT_EQ(w.control(&C::txtSinWaves, at).text(), engine::IntegerText(p.Periods));
        EXPECT_EQ(w.control(&C::txtSinMin, at).text(), engine::IntegerText(p.Minimum));
        EXPECT_EQ(w.control(&C::txtSinMax, at).text(), engine::IntegerText(p.Maximum));
        EXPECT_EQ(w.control(&C::txtSinOrigin, at).text(), engine::IntegerText(p.Origin));
        EXPECT_EQ(w.control(&C::txtSinRange, at).text(), engine::IntegerText(p.Range));
        EXPECT_EQ(w.control(&C::txtSinSpeed, at).text(), engine::IntegerText(p.Speed));

        const toolkit::UserScale s = w.control(&C::picPreview).scale();
        EXPECT_TRUE(std::isfinite(s.left) && std::isfinite(s.top) && std::isfinite(s.width) && std::isfinite(s.height));
        EXPECT_NE(s.height, 0.0f);
        EXPECT_EQ(w.control(&C::txtPrvXmax).text(), engine::FloatText(s.width + s.left));
        EXPECT_EQ(w.control(&C::txtPrvYmin).text(), engine::FloatText(s.top));
        EXPECT_EQ(w.control(&C::txtPrvYmax).text(), engine::FloatText(s.height + s.top));
        EXPECT_FALSE(w.logic().isRefreshing());
        if (::testing::Test::HasFailure())
            break; // one broken invariant is enough to read
    }
}

} // namespace
} // namespace ondulix::ui
