// Runs with a device pixel ratio of 2 (QT_SCALE_FACTOR=2): the window keeps its layout in logical
// pixels and doubles on the screen, and the plots are drawn at device pixels.

#include "MainWindowFixture.h"
#include "display/PlotColours.h"

#include <QScreen>

namespace ondulix::ui::qt {
namespace {

constexpr toolkit::Colour kDarkGrey = display::kPlotBack;
using display::kPlotGreen;


TEST_F(MainWindowTest, AtADevicePixelRatioOfTwoThePlotsAreDrawnAtDevicePixels) {
    ASSERT_EQ(window->devicePixelRatio(), 2) << "run with QT_SCALE_FACTOR=2";
    EXPECT_EQ(window->size(), QSize(599, 478)); // the layout is unchanged in logical pixels

    const QImage& plot = window->plot(0).picture();
    ASSERT_EQ(plot.size(), QSize(258, 178));
    EXPECT_EQ(plot.devicePixelRatio(), 2.0);
    // Table 0's entry 128 is the crest, 128, on the bottom edge: device column 128 / 512 * 257,
    // rounded to 64. A point is one logical pixel, a 2 x 2 block, kept inside the picture.
    for (const QPoint p : {QPoint(64, 176), QPoint(65, 176), QPoint(64, 177), QPoint(65, 177)})
        EXPECT_EQ(colourAt(plot, p.x(), p.y()), kPlotGreen) << p.x() << "," << p.y();
    // Entry 0 on the left edge at mid-height: 0.5 * 177 = 88.5, rounded to row 89.
    EXPECT_EQ(colourAt(plot, 0, 89), kPlotGreen);
    EXPECT_EQ(colourAt(plot, 1, 90), kPlotGreen);
    EXPECT_EQ(colourAt(plot, 64, 0), kDarkGrey);

    // On the screen the picture appears at full resolution.
    window->show();
    const QImage shot = window->grab().toImage();
    EXPECT_EQ(shot.size(), QSize(1198, 956));
    EXPECT_EQ(colourAt(shot, 2 * 20 + 64, 2 * 192 + 177), kPlotGreen);
}

} // namespace
} // namespace ondulix::ui::qt
