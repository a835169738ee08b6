#include "ui/qt/PictureDifference.h"
#include "ui/qt/QtSurface.h"
#include "ui/qt/Rasteriser.h"
#include "ui/qt/RepaintPacer.h"
#include "ui/qt/ShownPicture.h"
#include "OnScreen.h"

#include <QCoreApplication>
#include <QImage>
#include <QPaintEvent>
#include <QPalette>
#include <QPixmap>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace ondulix::ui::qt {
namespace {

using toolkit::Colour;
// The colours the window draws its pictures in.
constexpr toolkit::Colour kDarkGrey{64, 64, 64};
constexpr toolkit::Colour kPlotGreen{0, 255, 0};
using toolkit::UserScale;

constexpr Colour kRed{255, 0, 0};

Colour colourAt(const QImage& image, int x, int y) {
    const QRgb rgb = image.pixel(x, y);
    return {static_cast<std::uint8_t>(qRed(rgb)), static_cast<std::uint8_t>(qGreen(rgb)),
            static_cast<std::uint8_t>(qBlue(rgb))};
}

int countOf(const QImage& image, Colour colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += colourAt(image, x, y) == colour;
    return n;
}

// A plot box of the window: 129 x 89 pixels, no border, scaled as table 0 at start-up.
struct Plot {
    QtSurface surface{kDarkGrey, UserScale{0, 0, 1548, 1068}, false};
    Plot() {
        surface.setGeometry(0, 0, 129, 89);
        surface.setScale({0, -128, 512, 256});
    }
};

TEST(QtSurface, AZeroOrNonFiniteHeightIsNotApplied) {
    Plot p;
    p.surface.setScale({1, 2, 3, 0});
    EXPECT_EQ(p.surface.scale(), (UserScale{1, 2, 3, 256}));
    p.surface.setScale({0, 0, 10, std::numeric_limits<float>::infinity()});
    EXPECT_EQ(p.surface.scale(), (UserScale{0, 0, 10, 256}));
    p.surface.setScale({0, 5, 10, -20});
    EXPECT_EQ(p.surface.scale(), (UserScale{0, 5, 10, -20}));
}

TEST(QtSurface, EdgesOfTheScaleLandOnTheFirstAndLastPixels) {
    Plot p;
    p.surface.clear();
    p.surface.point(0, -128, kPlotGreen);  // top left corner
    p.surface.point(512, 128, kPlotGreen); // bottom right corner, on the box, not beyond it
    p.surface.point(0, 0, kRed);           // mid-height: 44 of rows 0 to 88
    p.surface.point(128, 128, kRed);       // a quarter across: 128 / 512 * 128 = column 32
    const QImage& image = p.surface.picture();
    ASSERT_EQ(image.size(), QSize(129, 89));
    EXPECT_EQ(colourAt(image, 0, 0), kPlotGreen);
    EXPECT_EQ(colourAt(image, 128, 88), kPlotGreen);
    EXPECT_EQ(colourAt(image, 0, 44), kRed);
    EXPECT_EQ(colourAt(image, 32, 88), kRed);
    EXPECT_EQ(countOf(image, kPlotGreen), 2); // one pixel per point
    EXPECT_EQ(countOf(image, kRed), 2);
    EXPECT_EQ(countOf(image, kDarkGrey), 129 * 89 - 4);
}

TEST(QtSurface, PointsOutsideTheScaleOrNotFiniteDrawNothing) {
    Plot p;
    p.surface.clear();
    // The edge pixels reach half a pixel (2 units across, 1.5 down) beyond the scale; further out
    // nothing is drawn.
    p.surface.point(514.1f, 0, kPlotGreen);
    p.surface.point(0, -129.6f, kPlotGreen);
    p.surface.point(std::nanf(""), 0, kPlotGreen);
    p.surface.point(0, std::numeric_limits<float>::infinity(), kPlotGreen);
    p.surface.line(0, std::nanf(""), 10, 10, kPlotGreen);
    EXPECT_EQ(countOf(p.surface.picture(), kPlotGreen), 0);
}

TEST(QtSurface, ANegativeHeightTurnsTheYAxisUpward) {
    Plot p;
    p.surface.setScale({0, 128, 512, -256}); // top edge 128, bottom edge -128
    p.surface.clear();
    p.surface.point(0, 128, kPlotGreen);
    p.surface.point(0, -128, kRed);
    EXPECT_EQ(colourAt(p.surface.picture(), 0, 0), kPlotGreen);
    EXPECT_EQ(colourAt(p.surface.picture(), 0, 88), kRed);
}

TEST(QtSurface, AColumnWipeErasesThePointDrawnInIt) {
    Plot p;
    p.surface.clear();
    p.surface.point(100, 17, kPlotGreen);
    p.surface.point(104, 17, kPlotGreen);
    p.surface.line(100, -128, 100, 128, kRed); // the preview wipes a column before redrawing it
    const QImage& image = p.surface.picture();
    EXPECT_EQ(countOf(image, kPlotGreen), 1);
    EXPECT_EQ(countOf(image, kRed), 89); // the whole column, top row to bottom row
    EXPECT_EQ(colourAt(image, 25, 0), kRed);
    EXPECT_EQ(colourAt(image, 25, 88), kRed);
}

// A frame held undrawn is dropped only where the next one wipes the same columns again.
TEST(QtSurface, AFrameOfOtherColumnsLeavesTheHeldFrameDrawn) {
    using Column = toolkit::Surface::ColumnDot;
    const std::vector<std::vector<Column>> frames = {
        {{100, 17, true}, {200, 40, true}},  // drawn: the next frame has another second column
        {{100, -30, true}, {250, 10, true}}, // drawn likewise
        {{100, 5, true}, {300, 60, true}},   // drawn: the next frame has fewer columns
        {{100, 9, true}},                    // dropped undrawn: the next frame wipes column 100 again
        {{100, 12, true}},
    };
    Plot held;
    Plot direct;
    held.surface.clear();
    direct.surface.clear();
    for (const std::vector<Column>& frame : frames) {
        const toolkit::DrawingBurst burst(held.surface);
        held.surface.wipeColumnsAndDot(frame, kRed, kPlotGreen);
        direct.surface.wipeColumnsAndDot(frame, kRed, kPlotGreen); // outside a burst: at once
    }
    EXPECT_EQ(held.surface.picture(), direct.surface.picture());
    EXPECT_EQ(countOf(held.surface.picture(), kPlotGreen), 4); // in columns 100, 200, 250 and 300
}

TEST(QtSurface, LinesAreClippedToThePicture) {
    Plot p;
    p.surface.clear();
    p.surface.line(-1e9f, 0, 1e9f, 0, kRed); // far beyond both edges, along the middle row
    const QImage& image = p.surface.picture();
    EXPECT_EQ(countOf(image, kRed), 129);
    EXPECT_EQ(colourAt(image, 0, 44), kRed);
    EXPECT_EQ(colourAt(image, 128, 44), kRed);
    p.surface.line(0, 200, 512, 300, kPlotGreen); // wholly below the picture
    EXPECT_EQ(countOf(image, kPlotGreen), 0);
}

TEST(QtSurface, ClearFillsWithTheBackColour) {
    Plot p;
    p.surface.point(10, 10, kPlotGreen);
    p.surface.clear();
    EXPECT_EQ(countOf(p.surface.picture(), kDarkGrey), 129 * 89);
}

TEST(QtSurface, WhatIsDrawnBeforeTheFirstShowAppearsWithIt) {
    Plot p;
    p.surface.clear();
    p.surface.point(512, 128, kPlotGreen);
    p.surface.show();
    const QImage shown = p.surface.grab().toImage();
    EXPECT_EQ(colourAt(shown, 128, 88), kPlotGreen);
    EXPECT_EQ(colourAt(shown, 0, 0), kDarkGrey);
}

TEST(QtSurface, TheSunkenBorderFramesTheClientArea) {
    // The preview box: 281 x 89 with a 2-pixel border each side, client area 277 x 85.
    QtSurface preview(kDarkGrey, UserScale{0, -512, 512, 1024}, true);
    preview.setGeometry(0, 0, 281, 89);
    preview.clear();
    preview.point(0, -512, kPlotGreen);
    preview.point(512, 512, kPlotGreen);
    ASSERT_EQ(preview.picture().size(), QSize(277, 85));
    preview.show();
    const QImage shown = preview.grab().toImage();
    EXPECT_EQ(colourAt(shown, 2, 2), kPlotGreen);
    EXPECT_EQ(colourAt(shown, 278, 86), kPlotGreen);
    for (const QPoint border : {QPoint(0, 0), QPoint(1, 40), QPoint(280, 88), QPoint(140, 87)})
        EXPECT_NE(colourAt(shown, border.x(), border.y()), kDarkGrey) << border.x() << "," << border.y();
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

TEST(QtSurface, ManyDrawingsBetweenTwoPassesOfTheEventLoopRepaintOnce) {
    Plot p;
    p.surface.show();
    QCoreApplication::processEvents();
    PaintCounter counter;
    p.surface.installEventFilter(&counter);
    // One preview frame draws 129 wipes and up to 129 points.
    for (int x = 0; x <= 512; x += 4) {
        p.surface.line(static_cast<float>(x), -128, static_cast<float>(x), 128, kDarkGrey);
        p.surface.point(static_cast<float>(x), 0, kPlotGreen);
    }
    EXPECT_EQ(counter.paints, 0); // nothing painted synchronously
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, 1);
}

// A preview frame and a plot draw as one burst; what they draw must not depend on it.
TEST(QtSurface, DrawingInABurstGivesTheSamePicture) {
    const auto draw = [](QtSurface& surface) {
        surface.clear();
        for (int x = 0; x <= 512; x += 4) {
            surface.line(static_cast<float>(x), -128, static_cast<float>(x), 128, kDarkGrey);
            surface.point(static_cast<float>(x), static_cast<float>(x % 200 - 100), kPlotGreen);
        }
        surface.line(0, -128, 512, 128, kRed); // a diagonal, and a row beyond the right edge
        surface.line(300, 0, 1e9f, 0, kRed);
    };
    Plot direct;
    Plot burst;
    draw(direct.surface);
    {
        const toolkit::DrawingBurst drawing(burst.surface);
        draw(burst.surface);
    }
    EXPECT_EQ(burst.surface.picture(), direct.surface.picture());
    EXPECT_GT(countOf(burst.surface.picture(), kPlotGreen), 100);
}

TEST(QtSurface, DrawingSoonAfterARepaintIsShownByALaterOne) {
    Plot p;
    p.surface.show();
    QCoreApplication::processEvents();
    PaintCounter counter;
    p.surface.installEventFilter(&counter);
    p.surface.point(0, -128, kPlotGreen);
    QCoreApplication::processEvents();
    ASSERT_EQ(counter.paints, 1);
    // Within the refresh period that repaint started: shown once the period is over (straight
    // into the window's surface, without a paint event).
    p.surface.point(512, 128, kRed);
    const auto shown = [&] { return OnScreen(p.surface, p.surface.contentsRect()); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return colourAt(shown(), 128, 88) == kRed; }, 1000));
    EXPECT_EQ(colourAt(shown(), 0, 0), kPlotGreen);
}

// Repaints of a running preview go straight into the window's surface, except where another
// widget lies over the box: that widget's pixels stay.
TEST(QtSurface, AWidgetStackedOverTheBoxKeepsItsPixels) {
    QWidget window;
    window.resize(160, 100);
    QtSurface surface(kDarkGrey, UserScale{0, -128, 512, 256}, false, &window);
    surface.setGeometry(0, 0, 129, 89);
    QWidget cover(&window); // made later, so stacked over the box
    cover.setGeometry(10, 10, 30, 30);
    cover.setAutoFillBackground(true);
    cover.setPalette(QPalette(QColor(0, 0, 255)));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    for (int frame = 0; frame < 40; ++frame) {
        {
            const toolkit::DrawingBurst burst(surface);
            for (int x = 0; x <= 512; x += 4) {
                surface.wipeColumn(static_cast<float>(x), kDarkGrey);
                surface.point(static_cast<float>(x), static_cast<float>((x + frame * 16) % 256 - 128), kPlotGreen);
            }
        }
        QTest::qWait(2);
    }
    QTest::qWait(40);
    QCoreApplication::processEvents();
    const QImage shown = OnScreen(window, window.rect());
    EXPECT_EQ(colourAt(shown, 20, 20), (Colour{0, 0, 255}));
    EXPECT_EQ(OnScreen(surface, QRect(50, 0, 79, 89)), surface.picture().copy(50, 0, 79, 89));
}

// A repaint within the refresh period of the last one is owed, and the first drawing after the
// period pays it at once; drawing after a quiet spell asks for one in the next pass of the loop.
TEST(RepaintPacer, ARepaintOwedWithinThePeriodIsPaidAtOnceByTheFirstDrawingAfterIt) {
    using When = RepaintPacer::When;
    std::int64_t now = 1000;
    std::vector<When> repaints;
    RepaintPacer pacer([] { return 16; }, [&](When when) { repaints.push_back(when); }, [&] { return now; });
    pacer.drawn();
    for (int tick = 0; tick < 8; ++tick) { // a frame every 2 ms, to the end of the period
        now += 2;
        pacer.drawn();
    }
    EXPECT_EQ(repaints, std::vector<When>{When::NextPass});
    now += 1;
    pacer.drawn();
    EXPECT_EQ(repaints, (std::vector<When>{When::NextPass, When::Now}));
    now += 100;
    pacer.drawn(); // nothing was owed
    EXPECT_EQ(repaints, (std::vector<When>{When::NextPass, When::Now, When::NextPass}));
}

// Against a look at every pixel: pictures differing in a few scattered pixels, within random
// rectangles.
TEST(PictureDifference, TheBoundsHoldEveryDifferingPixelAndNoMore) {
    std::mt19937 random(5);
    for (int round = 0; round < 300; ++round) {
        QImage before(1 + static_cast<int>(random() % 90), 1 + static_cast<int>(random() % 40), QImage::Format_RGB32);
        before.fill(qRgb(64, 64, 64));
        QImage now = before.copy();
        const int changes = static_cast<int>(random() % 6);
        for (int i = 0; i < changes; ++i)
            now.setPixel(static_cast<int>(random() % static_cast<unsigned>(now.width())),
                         static_cast<int>(random() % static_cast<unsigned>(now.height())), qRgb(0, 255, 0));
        const QRect within(static_cast<int>(random() % 100) - 5, static_cast<int>(random() % 50) - 5,
                           static_cast<int>(random() % 100), static_cast<int>(random() % 50));
        QRect expected;
        for (int y = 0; y < now.height(); ++y)
            for (int x = 0; x < now.width(); ++x)
                if (within.contains(x, y) && now.pixel(x, y) != before.pixel(x, y))
                    expected |= QRect(x, y, 1, 1);
        EXPECT_EQ(DifferingBounds(now, before, within), expected) << "round " << round;
    }
}

// Once the screen has the whole picture, what it lacks after a frame is the band of rows where
// the frame's dots moved, and nothing after the same frame again.
TEST(ShownPicture, AfterAWholePaintOnlyTheRowsThatChangedAreUnshown) {
    const QRgb back = qRgb(kDarkGrey.red, kDarkGrey.green, kDarkGrey.blue);
    Rasteriser raster(back);
    raster.resize({281, 89}, 1.0);
    raster.setScale({0, -512, 512, 1024});
    ShownPicture shown;
    const QRect whole = raster.picture().rect();
    const auto frame = [&](float y) {
        for (int x = 0; x <= 512; x += 4) {
            raster.wipeColumn(static_cast<float>(x), back);
            raster.point(static_cast<float>(x), y, qRgb(0, 255, 0));
        }
        shown.noteDrawn(raster.takeChanged());
    };
    frame(0);
    EXPECT_EQ(shown.unshown(raster.picture()), whole) << "nothing shown yet";
    shown.noteShown(raster.picture(), whole);
    EXPECT_TRUE(shown.unshown(raster.picture()).isEmpty());
    frame(512); // from the middle row to the bottom one
    EXPECT_EQ(shown.unshown(raster.picture()), QRect(0, 44, 281, 45));
    shown.noteShown(raster.picture(), QRect(0, 44, 281, 45));
    frame(512);
    EXPECT_TRUE(shown.unshown(raster.picture()).isEmpty());
}

} // namespace
} // namespace ondulix::ui::qt
