#include "ui/qt/QtSurface.h"

#include "ui/qt/StraightToScreen.h"
#include "ui/qt/VectorState.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace ondulix::ui::qt {
namespace {

QRgb toRgb(toolkit::Colour c) { return qRgb(c.red, c.green, c.blue); }

// The refresh period where the display does not tell its rate.
constexpr int kDefaultRefreshMs = 16;

} // namespace

QtSurface::QtSurface(toolkit::Colour back, toolkit::UserScale initial, bool sunkenBorder, QWidget* parent)
    : QFrame(parent), raster_(toRgb(back)), pacer_([this] { return refreshPeriodMs(); },
                                                   [this](RepaintPacer::When when) { repaint(when); }) {
    raster_.setScale(initial);
    if (sunkenBorder)
        setFrameStyle(QFrame::WinPanel | QFrame::Sunken); // the classic 2-pixel sunken edge
    else
        setFrameStyle(QFrame::NoFrame);
    // The picture covers the client area completely; nothing underneath needs painting.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void QtSurface::setScale(toolkit::UserScale scale) {
    // A zero height would make every y coordinate meaningless; keep the one in force.
    if (scale.height == 0.0f || !std::isfinite(scale.height))
        scale.height = raster_.scale().height;
    if (scale != raster_.scale()) {
        drawHeldFrame(); // it was said in the old scale
        raster_.setScale(scale);
    }
}

const QImage& QtSurface::picture() {
    syncPicture();
    drawHeldFrame();
    return raster_.picture();
}

void QtSurface::syncPicture() {
    syncedSize_ = size();
    const qreal ratio = devicePixelRatioF();
    const QSize size = (contentsRect().size() * ratio).expandedTo(QSize(1, 1));
    const QImage& picture = raster_.picture();
    if (picture.size() != size || picture.devicePixelRatio() != ratio) {
        drawHeldFrame(); // it belongs to the picture before the change
        raster_.resize(size, ratio);
    }
}

void QtSurface::beginDrawing() {
    if (burstDepth_++ > 0)
        return;
    // Nothing inside a burst processes events, so the widget keeps its size and screen until
    // the burst ends.
    syncPictureToSize();
    drawnInBurst_ = false;
}

void QtSurface::endDrawing() {
    if (--burstDepth_ == 0 && drawnInBurst_)
        pacer_.drawn();
}

void QtSurface::wipeColumnsAndDot(std::span<const ColumnDot> columns, toolkit::Colour wipe, toolkit::Colour dot) {
    if (burstDepth_ == 0) { // drawn at once, as each of its primitives would be
        toolkit::Surface::wipeColumnsAndDot(columns, wipe, dot);
        return;
    }
    if (!heldFrameCoveredBy(columns))
        drawHeldFrame();
    held_.assign(columns.begin(), columns.end());
    heldWipe_ = toRgb(wipe);
    heldDot_ = toRgb(dot);
    drawnInBurst_ = true;
}

bool QtSurface::heldFrameCoveredBy(std::span<const ColumnDot> columns) const {
    // The new frame wipes the held frame's columns again, and each dot lies in its own column. A
    // wipe spans the scale's whole height, which maps onto every row of the picture, so whatever
    // the held frame would draw is overwritten by the new one, whatever that draws meanwhile in
    // other columns. (The picture and its scale are those of both: a change of either draws the
    // held frame first.)
    if (held_.size() != columns.size())
        return held_.empty();
    for (std::size_t i = 0; i < held_.size(); ++i)
        if (held_[i].x != columns[i].x)
            return false;
    return true;
}

void QtSurface::drawHeldFrame() {
    for (const ColumnDot& column : held_) {
        raster_.wipeColumn(column.x, heldWipe_);
        if (column.dotted)
            raster_.point(column.x, column.y, heldDot_);
    }
    held_.clear();
}

void QtSurface::clear() {
    beforeDrawing();
    raster_.fill();
    afterDrawing();
}

void QtSurface::point(float x, float y, toolkit::Colour colour) {
    beforeDrawing();
    raster_.point(x, y, toRgb(colour));
    afterDrawing();
}

void QtSurface::line(float x1, float y1, float x2, float y2, toolkit::Colour colour) {
    beforeDrawing();
    raster_.line(x1, y1, x2, y2, toRgb(colour));
    afterDrawing();
}

void QtSurface::wipeColumn(float x, toolkit::Colour colour) {
    beforeDrawing();
    raster_.wipeColumn(x, toRgb(colour));
    afterDrawing();
}

int QtSurface::refreshPeriodMs() const {
    const QScreen* display = screen();
    const qreal hertz = display ? display->refreshRate() : 0.0;
    return hertz >= 1.0 ? std::max(1, qRound(1000.0 / hertz)) : kDefaultRefreshMs;
}

void QtSurface::repaint(RepaintPacer::When when) {
    if (when == RepaintPacer::When::Now)
        repaintChanges();
    else
        update(contentsRect()); // the border stays as it is
}

void QtSurface::repaintChanges() {
    // Drawing goes on, burst after burst: only the part of the picture that changed since the
    // screen last got it is painted, at once rather than in a later pass of the event loop,
    // which would have to be woken for it.
    const QRect changes = unshownRect();
    if (changes.isEmpty())
        return;
    ownRepaint_ = true;
    if (PaintStraightToScreen(*this, raster_.picture(), contentsRect().topLeft(), changes))
        noteShown(changes);
    else
        QWidget::repaint(changes);
    ownRepaint_ = false;
}

int QtSurface::wholeRatio() const {
    const qreal ratio = raster_.picture().devicePixelRatio();
    const auto whole = static_cast<int>(std::lround(ratio));
    return whole >= 1 && ratio == whole ? whole : 0;
}

QRect QtSurface::unshownRect() {
    drawHeldFrame();
    const QRect box = contentsRect();
    const int ratio = wholeRatio();
    shown_.noteDrawn(raster_.takeChanged());
    if (ratio == 0)
        return box;
    const QRect device = shown_.unshown(raster_.picture());
    if (device.isEmpty())
        return {};
    const QRect logical(QPoint(device.left() / ratio, device.top() / ratio),
                        QPoint(device.right() / ratio, device.bottom() / ratio));
    return logical.translated(box.topLeft());
}

void QtSurface::noteShown(const QRegion& painted) {
    // A paint the surface did not start may not reach the screen at all (grab() paints into a
    // pixmap), and at a fractional device pixel ratio a painted rectangle may end inside a device
    // pixel: what the screen shows is then unknown until the next repaint of the whole box.
    const QRect box = contentsRect();
    const int ratio = wholeRatio();
    if (!ownRepaint_ || ratio == 0) {
        shown_.forget();
        return;
    }
    QRegion device;
    for (const QRect& rect : painted & box)
        device += QRect(rect.translated(-box.topLeft()).topLeft() * ratio, rect.size() * ratio);
    shown_.noteDrawn(raster_.takeChanged());
    shown_.noteShown(raster_.picture(), device);
}

bool QtSurface::event(QEvent* event) {
    // The tooltip's text is asked for when it is about to show, not kept up to date.
    if (event->type() == QEvent::ToolTip && toolTipSource_) {
        ClearUpperVectorState();
        const std::string text = toolTipSource_();
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), QString::fromStdString(text), this);
        return true;
    }
    // A move to a screen of another resolution changes the device pixel ratio, a resize the
    // size, a new frame the contents rectangle; either way the picture follows before the next
    // paint, which copies it unscaled.
    const QEvent::Type type = event->type();
    if (type == QEvent::ScreenChangeInternal || type == QEvent::Show || type == QEvent::Resize ||
        type == QEvent::ContentsRectChange) {
        syncPicture();
        update();
    }
    return QFrame::event(event);
}

void QtSurface::paintEvent(QPaintEvent* event) {
    // A repaint owed stays owed: this paint may not reach the screen (grab() paints into a
    // pixmap), and paying it twice costs at most one more repaint.
    if (!contentsRect().contains(event->rect()))
        paintBorder(event); // unless only the picture is repainted
    drawHeldFrame();
    {
        QPainter painter(this);
        painter.drawImage(contentsRect().topLeft(), raster_.picture());
    }
    noteShown(event->region());
}

void QtSurface::paintBorder(QPaintEvent* event) {
    // The frame draws its lines one device pixel wide, so above a device pixel ratio of 1 they
    // leave a ring between them and the picture. The surface is opaque (nothing is painted
    // underneath it), so the ring gets the frame's darkest shade first rather than whatever
    // the window's backing store held there.
    {
        QPainter painter(this);
        for (const QRect& strip : QRegion(rect()).subtracted(contentsRect()))
            painter.fillRect(strip, palette().color(QPalette::Shadow));
    }
    QFrame::paintEvent(event);
}

} // namespace ondulix::ui::qt
