#pragma once

#include "toolkit/Surface.h"

#include <QElapsedTimer>
#include <QFrame>
#include <QImage>
#include <QTimer>

#include <cstdint>
#include <optional>
#include <vector>

namespace ondulix::ui::qt {

// A picture box: a widget that keeps its picture in a backing image at device resolution, so that
// what is drawn before the window is first shown appears with it and a drawing survives being
// covered. Repaints are spaced by the display's refresh period, so a preview drawn hundreds of
// times a second reaches the screen at most at the display's refresh rate.
//
// While drawing goes on, the repaint owed for one period is paid by the first burst after it, at
// once and only over the rectangle where the picture differs from what the screen was last given
// of it: a running preview moves a dot in each column, and the window system gets that band of
// rows instead of the whole picture 60 times a second.
//
// A burst of drawing (one preview frame, one plot) is kept as its primitives and rasterised only
// when its pixels can matter: before a paint, before picture() is read, and before anything that
// would change what the primitives mean (a new scale, a new size or device pixel ratio, drawing
// outside a burst). A burst that a later one paints over completely, as each preview frame wipes
// the very columns the frame before drew in, is dropped unrasterised. The picture that is shown
// or read is pixel for pixel the one that rasterising every primitive at once would give. Paint
// code only brings the picture up to date, copies it and notes what its own repaints showed.
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
    void setToolTipSource(ToolTipSource source) override { toolTipSource_ = std::move(source); }

    // The picture at device resolution (its devicePixelRatio says how many device pixels make
    // one logical pixel), with everything drawn so far rasterised into it.
    const QImage& picture();
    toolkit::Colour backColour() const { return back_; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    struct DevicePoint {
        int x;
        int y;
    };
    // The picture's pixels, looked up once per rasterised burst rather than once per dot: a wipe
    // line of the preview stamps dozens of dots, and every QImage accessor is a library call.
    struct Pixels {
        uchar* bits;
        qsizetype bytesPerLine;
        int width;
        int height;
        int dot; // device pixels per logical pixel, at least 1
    };
    // One primitive as it was drawn, in user coordinates, waiting to be rasterised. A wipe is a
    // line at one x found, when it was recorded, to reach from the top row to the bottom one.
    struct Primitive {
        enum class Kind : std::uint8_t { Point, Line, Wipe };
        Kind kind;
        float x1, y1, x2, y2; // a point keeps its position in x1, y1
        QRgb colour;
    };
    // The primitives of one burst, and the columns it wipes. A wipe at x fills, in every row, the
    // device columns that a dot at x covers (one dot wide: 2 columns at a device pixel ratio of
    // 2, moved left to stay inside at the right edge). Any point or line drawn at the same x
    // touches only pixels of those columns: for one scale and picture size the device column
    // is a function of x alone, and a dot never leaves the picture.
    struct Recording {
        std::vector<Primitive> primitives;
        std::vector<float> wipedColumns; // the x of each full-height wipe, in the order drawn
        bool withinWipedColumns = true;  // nothing was drawn outside those columns
        // The ends of the last wipe found to reach from the top row to the bottom one.
        float fullTop = 0.0f;
        float fullBottom = 0.0f;
        bool fullKnown = false;

        bool empty() const { return primitives.empty(); }
        void reset();
        // Whether drawing this burst after `earlier` leaves no pixel of `earlier` showing: it
        // wipes every column that `earlier` drew in, whole. Same columns in the same order is
        // all the preview needs, and is cheap to compare.
        bool hides(const Recording& earlier) const {
            return earlier.withinWipedColumns && earlier.wipedColumns == wipedColumns;
        }
    };

    // Keeps the picture at the widget's current client size and device pixel ratio; a change of
    // either (a move to a screen of another resolution) rescales what is drawn, after drawing
    // what is pending at the size it was drawn for.
    void syncPicture();
    Pixels pixels();
    // Rasterises the pending burst and what the open one has drawn so far, in that order.
    void rasteriseRecorded();
    void rasterise(const Recording& recording);
    void rasterise(const Pixels& target, const Primitive& primitive) const;
    // A primitive outside a burst: what is recorded is rasterised first, then the primitive.
    void drawNow(const Primitive& primitive);
    // Whether a line from (x, y1) to (x, y2) reaches from the top row to the bottom one; the
    // first answer of the open burst serves its other wipes between the same two edges.
    bool reachesTopToBottom(float y1, float y2);
    bool spansFullHeight(float y1, float y2) const;
    // A repaint at most once per refresh period: posted (update()) when nothing was owed, made at
    // once when a burst pays what the period before owed; a paint in between shows the latest
    // picture.
    void requestRepaint();
    void repaintLaterDue();
    // Paints now the part of the box where the screen shows something else than the picture.
    void repaintChanges();
    // That part, in widget coordinates: the whole box where what the screen shows is unknown.
    QRect unshownRect() const;
    bool knowsShown() const;
    // Keeps `shown_` up to date after a paint of `painted`.
    void noteShown(const QRegion& painted);
    // The device pixel ratio where it is a whole number, 0 where it is not.
    int wholeRatio() const;
    void paintBorder(QPaintEvent* event);

    // The device pixel nearest to (x, y); false where the scale or the point is degenerate. The
    // result comes back through `device`, not as an optional: GCC returns an optional of two ints
    // through the stack and reads it back across two stores, which stalled the processor on
    // every call and made this the hottest function of the running preview.
    bool toDevice(const Pixels& pixels, float x, float y, DevicePoint& device) const;
    // The device row of y in a picture `height` pixels high; nothing where y or the scale is
    // degenerate.
    std::optional<int> toDeviceRow(int height, float y) const;
    void rasterisePoint(const Pixels& pixels, float x, float y, QRgb colour) const;
    void rasteriseLine(const Pixels& pixels, float x1, float y1, float x2, float y2, QRgb colour) const;
    void rasteriseWipe(const Pixels& pixels, float x, QRgb colour) const;
    static void stamp(const Pixels& pixels, int x, int y, QRgb colour);
    // The dots of rows first to last in column x, as stamping each of them would draw them.
    static void stampColumn(const Pixels& pixels, int x, int first, int last, QRgb colour);

    toolkit::Colour back_;
    toolkit::UserScale scale_;
    QImage picture_;
    int burstDepth_ = 0;
    Recording pending_; // the last burst that ended, not rasterised yet
    Recording open_;    // the burst being drawn
    QElapsedTimer lastUpdate_; // since the last repaint asked for
    int repaintPeriodMs_ = 0;  // the display's refresh period at the last repaint asked for
    bool repaintOwed_ = false; // drawn within the period since that repaint
    QTimer repaintLater_;      // pays an owed repaint when no later burst does
    // The picture as the screen shows it, kept by the surface's own repaints; null or of another
    // size where that is not known.
    QImage shown_;
    bool ownRepaint_ = false; // within repaintChanges()
    ToolTipSource toolTipSource_;
};

} // namespace ondulix::ui::qt
