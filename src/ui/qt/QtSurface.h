#pragma once

#include "toolkit/Surface.h"

#include <QFrame>
#include <QImage>
#include <QTimer>

#include <optional>

namespace ondulix::ui::qt {

// A picture box: a widget that keeps its picture in a backing image at device resolution, so that
// what is drawn before the window is first shown appears with it and a drawing survives being
// covered. Drawing goes into the image and asks for a repaint; repaints are spaced by the
// display's refresh period, so a preview drawn hundreds of times a second reaches the screen at
// most at the display's refresh rate. A burst of drawing (one preview frame) sets up the image
// once and asks for one repaint. Paint code only copies the image.
//
// User coordinates map onto pixel centres: the left edge of the scale is the first column, the
// right edge the last one (likewise top and bottom rows), so a point on the right edge is drawn
// inside the box. A point is one device-independent pixel; at a device pixel ratio of 2 it is a
// 2 x 2 block placed with device precision, so curves are finer but not thinner.
class QtSurface final : public QFrame, public toolkit::Surface {
public:
    // With a border the surface draws a sunken 2-pixel 3D frame and its picture lies inside it.
    QtSurface(toolkit::Colour back, toolkit::UserScale initial, bool sunkenBorder, QWidget* parent = nullptr);

    toolkit::UserScale scale() const override { return scale_; }
    void setScale(toolkit::UserScale scale) override;
    void clear() override;
    void point(float x, float y, toolkit::Colour colour) override;
    void line(float x1, float y1, float x2, float y2, toolkit::Colour colour) override;
    void beginDrawing() override;
    void endDrawing() override;

    // The picture at device resolution (its devicePixelRatio says how many device pixels make
    // one logical pixel).
    const QImage& picture() const;
    toolkit::Colour backColour() const { return back_; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void paintBorder(QPaintEvent* event);
    struct DevicePoint {
        int x;
        int y;
    };
    // Keeps the picture at the widget's current client size and device pixel ratio; a change of
    // either (a move to a screen of another resolution) rescales what is drawn.
    void syncPicture() const;
    // The picture's pixels, looked up once per primitive, or once per burst, rather than once
    // per dot: a wipe line of the preview stamps dozens of dots, and every QImage accessor (like
    // the widget's size and device pixel ratio behind syncPicture) is a library call.
    struct Pixels {
        uchar* bits;
        qsizetype bytesPerLine;
        int width;
        int height;
        int dot; // device pixels per logical pixel, at least 1
    };
    Pixels pixels();
    // The pixels to draw into now: those of the current burst, or freshly synced ones.
    Pixels prepare();
    // After a primitive changed the picture: a repaint now, or at the end of the burst.
    void drawn();
    // update() at most once per refresh period; a paint in between shows the latest picture.
    void requestRepaint();
    void repaintPeriodEnded();
    std::optional<DevicePoint> toDevice(const Pixels& pixels, float x, float y) const;
    static void stamp(const Pixels& pixels, int x, int y, QRgb colour);
    // The dots of rows first to last in column x, as stamping each of them would draw them.
    static void stampColumn(const Pixels& pixels, int x, int first, int last, QRgb colour);

    toolkit::Colour back_;
    toolkit::UserScale scale_;
    mutable QImage picture_;
    int burstDepth_ = 0;
    std::optional<Pixels> burst_; // set while a burst runs
    bool burstDrew_ = false;
    QTimer repaintPeriod_;     // runs for one refresh period after each update()
    bool repaintOwed_ = false; // drawn since the last paint while the period ran
};

} // namespace ondulix::ui::qt
