#pragma once

#include "toolkit/Surface.h"

#include <QFrame>
#include <QImage>

#include <optional>

namespace ondulix::ui::qt {

// A picture box: a widget that keeps its picture in a backing image at device resolution, so that
// what is drawn before the window is first shown appears with it and a drawing survives being
// covered. Drawing goes into the image and asks for a repaint; repaints coalesce, so a preview
// drawn hundreds of times a second reaches the screen at most at the display's refresh rate.
// Paint code only copies the image.
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

    // The picture at device resolution (its devicePixelRatio says how many device pixels make
    // one logical pixel).
    const QImage& picture() const;
    toolkit::Colour backColour() const { return back_; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    struct DevicePoint {
        int x;
        int y;
    };
    std::optional<DevicePoint> toDevice(float x, float y) const;
    // Keeps the picture at the widget's current client size and device pixel ratio; a change of
    // either (a move to a screen of another resolution) rescales what is drawn.
    void syncPicture() const;
    // The picture's pixels, looked up once per primitive rather than once per dot: a wipe line
    // of the preview stamps hundreds of dots, and every QImage accessor is a library call.
    struct Pixels {
        uchar* bits;
        qsizetype bytesPerLine;
        int width;
        int height;
        int dot; // device pixels per logical pixel, at least 1
    };
    Pixels pixels();
    static void stamp(const Pixels& pixels, int x, int y, QRgb colour);
    // The dots of rows first to last in column x, as stamping each of them would draw them.
    static void stampColumn(const Pixels& pixels, int x, int first, int last, QRgb colour);

    toolkit::Colour back_;
    toolkit::UserScale scale_;
    mutable QImage picture_;
};

} // namespace ondulix::ui::qt
