#include "display/PreviewFrame.h"

#include "display/PlotColours.h"
#include "support/HeadlessWindow.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace ondulix::display {
namespace {

using toolkit::DrawOp;
using ui::HeadlessWindow;
using C = ui::FormControls;

struct Column {
    float x;
    bool wiped;
    std::optional<float> sum; // the point drawn, if any
};

// The columns a frame drew: each a wipe, then a point unless its sum was beyond an edge.
std::vector<Column> lastFrame(const toolkit::MemorySurface& preview) {
    std::vector<Column> columns;
    for (const DrawOp& op : preview.operations()) {
        if (op.kind == DrawOp::Kind::Wipe) {
            EXPECT_EQ(op.colour, kPlotBack);
            EXPECT_EQ(op.x1, op.x2);
            columns.push_back({op.x1, true, std::nullopt});
        } else if (op.kind == DrawOp::Kind::Point) {
            EXPECT_EQ(op.colour, kPlotGreen);
            EXPECT_EQ(op.x1, columns.back().x);
            columns.back().sum = op.y1;
        }
    }
    return columns;
}

class PreviewTest : public ::testing::Test {
protected:
    PreviewTest() { w.load(); }
    void frame() {
        w.control(&C::picPreview).forgetOperations();
        w.control(&C::tmrPreview).tick();
    }
    std::int32_t position(int i) const { return w.tableSet().preview.Position[static_cast<std::size_t>(i)]; }
    HeadlessWindow w;
};

TEST_F(PreviewTest, FirstFramesWithTheDefaults) {
    EXPECT_TRUE(w.control(&C::lblpeakhigh).isVisible() && w.control(&C::lblpeaklow).isVisible()) << "both markers show until the first frame";
    frame();
    const auto columns = lastFrame(w.control(&C::picPreview));
    ASSERT_EQ(columns.size(), 129u);
    EXPECT_EQ(columns[1].x, 4.0f);
    EXPECT_EQ(columns.back().x, 512.0f);
    EXPECT_EQ(columns[0].sum, 32.0f);
    EXPECT_EQ(columns[1].sum, 45.0f);
    EXPECT_EQ(columns[2].sum, 58.0f);
    for (const Column& c : columns) {
        ASSERT_TRUE(c.sum.has_value()) << "column " << c.x;
        EXPECT_GE(*c.sum, -281.0f);
        EXPECT_LE(*c.sum, 160.0f);
    }
    EXPECT_FALSE(w.control(&C::lblpeakhigh).isVisible());
    EXPECT_FALSE(w.control(&C::lblpeaklow).isVisible());
    EXPECT_EQ(position(0), 1);
    EXPECT_EQ(position(1), 509);
    EXPECT_EQ(position(2), 5);
    EXPECT_EQ(position(3), 505);

    frame();
    EXPECT_EQ(lastFrame(w.control(&C::picPreview))[0].sum, 24.0f);
}

TEST_F(PreviewTest, ColumnStepFollowsTheWidth) {
    struct Case {
        const char* xmax;
        std::size_t columns;
        float step;
    };
    for (const Case& c : {Case{"256", 129, 2}, Case{"320", 161, 2}, Case{"16384", 129, 128}, Case{"191", 192, 1},
                          Case{"1", 2, 1}, Case{"300.5", 151, 2},
                          // A float just below 300 that the box shows as "300": the frame goes by
                          // the box, so 300 is a column.
                          Case{"299.99997", 151, 2}}) {
        HeadlessWindow::pasteOver(w.control(&C::txtPrvXmax), c.xmax);
        frame();
        const auto columns = lastFrame(w.control(&C::picPreview));
        ASSERT_EQ(columns.size(), c.columns) << c.xmax;
        EXPECT_EQ(columns[1].x, c.step) << c.xmax;
    }
    HeadlessWindow::pasteOver(w.control(&C::txtPrvXmax), "384");
    EXPECT_EQ(w.logic().previewView().columnStep(), 3);
}

TEST_F(PreviewTest, SumsBeyondAnEdgeLightTheirMarkerAndEdgesThemselvesDraw) {
    for (int i = 0; i < 4; ++i)
        w.control(&C::checkSin, i).setChecked(false);
    // No table: every sum is 0, drawn while 0 lies within the extents.
    frame();
    for (const Column& c : lastFrame(w.control(&C::picPreview)))
        ASSERT_EQ(c.sum, 0.0f);

    HeadlessWindow::pasteOver(w.control(&C::txtPrvYmin), "10");
    HeadlessWindow::pasteOver(w.control(&C::txtPrvYmax), "20");
    frame();
    for (const Column& c : lastFrame(w.control(&C::picPreview)))
        ASSERT_FALSE(c.sum.has_value()) << "0 lies above the top edge";
    EXPECT_TRUE(w.control(&C::lblpeakhigh).isVisible());
    EXPECT_FALSE(w.control(&C::lblpeaklow).isVisible());

    // A sum equal to an edge is drawn on it and lights nothing.
    HeadlessWindow::pasteOver(w.control(&C::txtPrvYmin), "0");
    frame();
    EXPECT_EQ(lastFrame(w.control(&C::picPreview))[0].sum, 0.0f);
    EXPECT_FALSE(w.control(&C::lblpeakhigh).isVisible());
    HeadlessWindow::pasteOver(w.control(&C::txtPrvYmin), "-20");
    HeadlessWindow::pasteOver(w.control(&C::txtPrvYmax), "0");
    frame();
    EXPECT_EQ(lastFrame(w.control(&C::picPreview))[0].sum, 0.0f);
    EXPECT_FALSE(w.control(&C::lblpeaklow).isVisible());

    // Table 0 alone swings from -128 to 128: beyond both edges of -20..0.
    w.control(&C::checkSin, 0).setChecked(true);
    frame();
    EXPECT_TRUE(w.control(&C::lblpeakhigh).isVisible());
    EXPECT_TRUE(w.control(&C::lblpeaklow).isVisible());

    // The edge as its box shows it counts: a top of -130.3 makes the bottom 127.99998 in single
    // precision, which the box shows as 128, and 128 is drawn on it.
    HeadlessWindow::pasteOver(w.control(&C::txtPrvYmin), "-130.3");
    HeadlessWindow::pasteOver(w.control(&C::txtPrvYmax), "128");
    ASSERT_LT(w.logic().previewView().Ymax(), 128.0f);
    ASSERT_EQ(w.control(&C::txtPrvYmax).text(), "128");
    frame();
    const std::vector<Column> columns = lastFrame(w.control(&C::picPreview));
    EXPECT_TRUE(std::any_of(columns.begin(), columns.end(), [](const Column& c) { return c.sum == 128.0f; }));
    EXPECT_FALSE(w.control(&C::lblpeaklow).isVisible());
}

TEST_F(PreviewTest, PositionsWrapAndUncheckedTablesStillAdvance) {
    HeadlessWindow::pasteOver(w.control(&C::txtSinLen, 0), "100");
    HeadlessWindow::pasteOver(w.control(&C::txtSinSpeed, 0), "256");
    w.control(&C::checkSin, 0).setChecked(false);
    std::vector<std::int32_t> positions;
    for (int i = 0; i < 5; ++i) {
        positions.push_back(position(0));
        frame();
    }
    EXPECT_EQ(positions, (std::vector<std::int32_t>{0, 56, 12, 68, 24}));
    EXPECT_EQ(position(1), 512 - 15);
}

TEST_F(PreviewTest, ColumnsShowEntriesModuloLengthWhenTheStepExceedsIt) {
    for (int i = 1; i < 4; ++i)
        w.control(&C::checkSin, i).setChecked(false);
    HeadlessWindow::pasteOver(w.control(&C::txtSinLen, 0), "3");
    HeadlessWindow::pasteOver(w.control(&C::txtPrvXmax), "16384"); // step 128
    const std::int32_t start = position(0);
    frame();
    const auto columns = lastFrame(w.control(&C::picPreview));
    for (std::size_t k = 0; k < columns.size(); ++k) {
        const auto entry = (start + static_cast<std::int32_t>(k) * 128) % 3;
        ASSERT_EQ(columns[k].sum, static_cast<float>(w.tableSet().values(0, entry))) << "column " << k;
    }

    // Length 1: every column adds entry 0.
    HeadlessWindow::pasteOver(w.control(&C::txtSinLen, 0), "1");
    frame();
    for (const Column& c : lastFrame(w.control(&C::picPreview)))
        ASSERT_EQ(c.sum, static_cast<float>(w.tableSet().values(0, 0)));
}

} // namespace
} // namespace ondulix::display
