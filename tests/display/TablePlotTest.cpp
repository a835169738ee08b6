#include "display/TablePlot.h"

#include "display/PlotColours.h"

#include "engine/AmplitudeForms.h"
#include "engine/Defaults.h"
#include "engine/TableGenerator.h"
#include "support/MemorySurface.h"

#include <gtest/gtest.h>

namespace ondulix::display {
namespace {

using toolkit::DrawOp;
using toolkit::MemorySurface;

std::vector<DrawOp> points(const MemorySurface& plot) {
    std::vector<DrawOp> out;
    for (const DrawOp& op : plot.operations())
        if (op.kind == DrawOp::Kind::Point)
            out.push_back(op);
    return out;
}

void computeAndPlot(MemorySurface& plot, engine::TableSet& set, int table) {
    PrepareTablePlot(plot, set.tables[static_cast<std::size_t>(table)]);
    engine::ComputeTable(set, table);
    PlotTableEntries(plot, set.tables[static_cast<std::size_t>(table)], set.values.row(table));
}

TEST(TablePlot, StrideKeepsAboutTwoHundredFiftySixPoints) {
    struct Case {
        std::int32_t length;
        int stride;
        std::size_t points;
        float lastX;
    };
    const Case cases[] = {
        {1, 1, 2, 1},       {100, 1, 101, 100}, {383, 1, 384, 383}, {384, 2, 193, 384}, {512, 2, 257, 512},
        {640, 2, 321, 640}, {1000, 4, 251, 1000}, {16384, 64, 257, 16384}, {16383, 64, 256, 16320},
    };
    engine::TableSet set;
    engine::ApplyDefaults(set);
    engine::OriginRangeFromMinMax(set.tables[0]);
    for (const Case& c : cases) {
        set.tables[0].Length = c.length;
        MemorySurface plot;
        computeAndPlot(plot, set, 0);
        const auto drawn = points(plot);
        EXPECT_EQ(PlotStride(c.length), c.stride) << "length " << c.length;
        ASSERT_EQ(drawn.size(), c.points) << "length " << c.length;
        EXPECT_EQ(drawn.front().x1, 0.0f);
        EXPECT_EQ(drawn.back().x1, c.lastX) << "length " << c.length;
        EXPECT_EQ(drawn[1].x1, static_cast<float>(c.stride));
        EXPECT_EQ(plot.operations().front().kind, DrawOp::Kind::Clear) << "cleared before drawing";
    }
}

TEST(TablePlot, DefaultTableZeroSpansMinimumToMaximumInGreen) {
    engine::TableSet set;
    engine::ApplyDefaults(set);
    engine::OriginRangeFromMinMax(set.tables[0]);
    MemorySurface plot({0, 0, 1548, 1068});
    computeAndPlot(plot, set, 0);

    EXPECT_EQ(plot.scale(), (toolkit::UserScale{0.0f, -128.0f, 512.0f, 256.0f}));
    const auto drawn = points(plot);
    ASSERT_EQ(drawn.size(), 257u);
    EXPECT_EQ(drawn[0].y1, 0.0f);   // mid-height on the left edge
    EXPECT_EQ(drawn[64].x1, 128.0f);
    EXPECT_EQ(drawn[64].y1, 128.0f); // on the bottom edge
    for (const DrawOp& p : drawn)
        ASSERT_EQ(p.colour, kPlotGreen);
}

TEST(TablePlot, ZeroRangeKeepsTheHeightAndNegativeRangeTurnsTheAxis) {
    engine::TableSet set;
    engine::ApplyDefaults(set);
    engine::TableParams& t = set.tables[0];
    MemorySurface plot({0, 0, 1548, 1068});

    t.Minimum = 5;
    t.Maximum = 5;
    engine::OriginRangeFromMinMax(t);
    computeAndPlot(plot, set, 0);
    EXPECT_EQ(plot.scale(), (toolkit::UserScale{0.0f, 5.0f, 512.0f, 1068.0f})) << "the layout's height stays";
    for (const DrawOp& p : points(plot))
        ASSERT_EQ(p.y1, 5.0f) << "every point on the top edge";

    t.Minimum = 100;
    t.Maximum = 50;
    engine::OriginRangeFromMinMax(t);
    computeAndPlot(plot, set, 0);
    EXPECT_EQ(plot.scale(), (toolkit::UserScale{0.0f, 100.0f, 512.0f, -50.0f}));

    // A zero range after a plot keeps that plot's height.
    t.Maximum = 100;
    engine::OriginRangeFromMinMax(t);
    computeAndPlot(plot, set, 0);
    EXPECT_EQ(plot.scale().height, -50.0f);
}

} // namespace
} // namespace ondulix::display
