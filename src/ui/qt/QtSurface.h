#pragma once

#include "toolkit/Surface.h"
#include "ui/qt/Rasteriser.h"
#include "ui/qt/RepaintPacer.h"
#include "ui/qt/ShownPicture.h"

#include <QFrame>
#include <QImage>

#include <span>
#include <vector>

namespace ondulix::ui::qt {

// A picture box: a widget that keeps its picture in a backing image at device resolution (the
// Rasteriser draws into it as each primitive comes), so that what is drawn before the window is
// first shown appears with it and a drawing survives being covered. Paints only copy that image.
//
// Repaints are spaced by the display's refresh period (RepaintPacer). A repaint that drawing
// goes on through is made at once and only over the rectangle where the picture differs from
// what the screen was last given of it (ShownPicture): a running preview moves a dot in each
// column, and the window system gets that band of rows instead of the whole picture 60 times a
// second. Such a repaint copies the band into the window's backing store and flushes it without
// a paint event where that is exactly what a paint would give (StraightToScreen.h). A burst of
// drawing (one preview frame, one plot) asks for one repaint, at its end.
//
// A preview frame said in a burst is held as it was said rather than drawn, until something needs
// the picture. The next frame wipes the same columns again, so when it comes first the held one
// is dropped undrawn: at 500 frames and 60 repaints a second, seven frames in eight never reach
// the picture, and the picture is the same as if all had.
class QtSurface final : public QFrame, public toolkit::Surface {
public:
    // With a border the surface draws a sunken 2-pixel 3D frame and its picture lies inside it.
    QtSurface(toolkit::Colour back, toolkit::UserScale initial, bool sunkenBorder, QWidget* parent = nullptr);

    toolkit::UserScale scale() const override { return raster_.scale(); }
    void setScale(toolkit::UserScale scale) override;
    void clear() override;
    void point(float x, float y, toolkit::Colour colour) override;
    void line(float x1, float y1, float x2, float y2, toolkit::Colour colour) override;
    void wipeColumn(float x, toolkit::Colour colour) override;
    void wipeColumnsAndDot(std::span<const ColumnDot> columns, toolkit::Colour wipe, toolkit::Colour dot) override;
    void beginDrawing() override;
    void endDrawing() override;
    void setToolTipSource(ToolTipSource source) override { toolTipSource_ = std::move(source); }

    // The picture at device resolution (its devicePixelRatio says how many device pixels make
    // one logical pixel), with everything drawn so far in it.
    const QImage& picture();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Keeps the picture at the widget's current client size and device pixel ratio; a change of
    // either (a move to a screen of another resolution) rescales what is drawn.
    void syncPicture();
    // syncPicture() where the widget's size is not the one the picture was last made for; a
    // change of screen or frame calls syncPicture() itself. Asking the widget's resolution and
    // contents rectangle at each of 500 frames a second cost more than the rest of the check.
    void syncPictureToSize() {
        if (size() != syncedSize_)
            syncPicture();
    }
    // Before a primitive that draws at once, and after any primitive.
    void beforeDrawing() {
        if (burstDepth_ == 0)
            syncPictureToSize();
        drawHeldFrame();
    }
    void afterDrawing() {
        if (burstDepth_ == 0)
            pacer_.drawn();
        else
            drawnInBurst_ = true;
    }
    void repaint(RepaintPacer::When when);
    // Paints now the part of the box where the screen shows something else than the picture.
    void repaintChanges();
    // That part, in widget coordinates: the whole box where what the screen shows is unknown.
    QRect unshownRect();
    // Keeps `shown_` up to date after a paint of `painted`.
    void noteShown(const QRegion& painted);
    // The device pixel ratio where it is a whole number, 0 where it is not.
    int wholeRatio() const;
    int refreshPeriodMs() const;
    void paintBorder(QPaintEvent* event);

    // Draws the held preview frame, if there is one, into the picture.
    void drawHeldFrame();
    // Whether a frame of these columns overwrites everything the held one would draw.
    bool heldFrameCoveredBy(std::span<const ColumnDot> columns) const;

    Rasteriser raster_;
    std::vector<ColumnDot> held_; // the last preview frame, not drawn yet
    QRgb heldWipe_ = 0;
    QRgb heldDot_ = 0;
    RepaintPacer pacer_;
    ShownPicture shown_;
    QSize syncedSize_{-1, -1}; // the widget's size at the last syncPicture()
    int burstDepth_ = 0;
    bool drawnInBurst_ = false;
    bool ownRepaint_ = false; // within repaintChanges()
    ToolTipSource toolTipSource_;
};

} // namespace ondulix::ui::qt
