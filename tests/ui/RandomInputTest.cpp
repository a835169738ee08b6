#include "ui/HeadlessWindow.h"

#include "engine/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace ondulix::ui {
namespace {

using Box = HeadlessWindow::Box;

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
    for (int i = 0; i < 4; ++i) {
        const auto at = static_cast<std::size_t>(i);
        for (auto* row : {&w.txtSinLen, &w.txtSinOffs, &w.txtSinWaves, &w.txtSinMin, &w.txtSinMax, &w.txtSinOrigin,
                          &w.txtSinRange, &w.txtSinSpeed})
            boxes.emplace_back(&(*row)[at], i);
    }
    for (Box* b : {&w.txtPrvXmax, &w.txtPrvYmin, &w.txtPrvYmax})
        boxes.emplace_back(b, 0);
    w.picPreview.setRecording(false);
    for (auto& plot : w.SinusPic)
        plot.setRecording(false);

    for (int edit = 0; edit < 4000; ++edit) {
        const auto& [box, t] = boxes[std::uniform_int_distribution<std::size_t>(0, boxes.size() - 1)(rng)];
        const std::string text = randomText(rng);
        if (edit % 3 == 0)
            HeadlessWindow::typeOver(*box, text.substr(0, 40));
        else
            HeadlessWindow::pasteOver(*box, text);
        if (edit % 7 == 0)
            w.Timer1.tick();

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
        expectWithin(p.Position, 0, 16383, "Position", t);

        const auto at = static_cast<std::size_t>(t);
        EXPECT_EQ(w.txtSinLen[at].text(), engine::IntegerText(p.Length));
        EXPECT_EQ(w.txtSinOffs[at].text(), engine::IntegerText(p.Offset));
        EXPECT_EQ(w.txtSinWaves[at].text(), engine::IntegerText(p.Periods));
        EXPECT_EQ(w.txtSinMin[at].text(), engine::IntegerText(p.Minimum));
        EXPECT_EQ(w.txtSinMax[at].text(), engine::IntegerText(p.Maximum));
        EXPECT_EQ(w.txtSinOrigin[at].text(), engine::IntegerText(p.Origin));
        EXPECT_EQ(w.txtSinRange[at].text(), engine::IntegerText(p.Range));
        EXPECT_EQ(w.txtSinSpeed[at].text(), engine::IntegerText(p.Speed));

        const toolkit::UserScale s = w.picPreview.scale();
        EXPECT_TRUE(std::isfinite(s.left) && std::isfinite(s.top) && std::isfinite(s.width) && std::isfinite(s.height));
        EXPECT_NE(s.height, 0.0f);
        EXPECT_EQ(w.txtPrvXmax.text(), engine::FloatText(s.width + s.left));
        EXPECT_EQ(w.txtPrvYmin.text(), engine::FloatText(s.top));
        EXPECT_EQ(w.txtPrvYmax.text(), engine::FloatText(s.height + s.top));
        EXPECT_FALSE(w.form().isRefreshing());
        if (::testing::Test::HasFailure())
            break; // one broken invariant is enough to read
    }
}

} // namespace
} // namespace ondulix::ui
