#include "ui/qt/QtSurface.h"

#include "ui/qt/PictureDifference.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace ondulix::ui::qt {
namespace {

QRgb toRgb(toolkit::Colour c) { return qRgb(c.red, c.green, c.blue); }

// A repaint owed within a refresh period waits this much past the period for a later burst to
// pay it, which the preview's next tick, 2 ms on, does first.
constexpr int kRepaintSlackMs = 5;
// The refresh period where the display does not tell its rate.
constexpr int kDefaultRefreshMs = 16;

// std::floor for a value well inside the int range, without the library call: truncation moves
// a negative fraction up, so step back one there.
int floorToInt(double v) {
    const auto truncated = static_cast<int>(v);
    return v < static_cast<double>(truncated) ? truncated - 1 : truncated;
}

// Liang-Barsky: clips the segment to [0, maxX] x [0, maxY]; false when nothing of it is inside.
bool clipSegment(double& x1, double& y1, double& x2, double& y2, double maxX, double maxY) {
    double t0 = 0.0;
    double t1 = 1.0;
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x1, maxX - x1, y1, maxY - y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const double ox = x1;
    const double oy = y1;
    x1 = ox + t0 * dx;
    y1 = oy + t0 * dy;
    x2 = ox + t1 * dx;
    y2 = oy + t1 * dy;
    return true;
}

// The pixel whose centre is nearest, clamped far outside any picture but safely inside int.
int nearestPixel(double pixel) {
    const double limit = 1e6;
    return floorToInt(std::clamp(pixel + 0.5, -limit, limit));
}

} // namespace

QtSurface::QtSurface(toolkit::Colour back, toolkit::UserScale initial, bool sunkenBorder, QWidget* parent)
    : QFrame(parent), back_(back), scale_(initial) {
    if (sunkenBorder)
        setFrameStyle(QFrame::WinPanel | QFrame::Sunken); // the classic 2-pixel sunken edge
    else
        setFrameStyle(QFrame::NoFrame);
    // The picture covers the client area completely; nothing underneath needs painting.
    setAttribute(Qt::WA_OpaquePaintEvent);
    repaintLater_.setSingleShot(true);
    connect(&repaintLater_, &QTimer::timeout, this, [this] { repaintLaterDue(); });
}

void QtSurface::setScale(toolkit::UserScale scale) {
    // A zero height would make every y coordinate meaningless; keep the one in force.
    if (scale.height == 0.0f || !std::isfinite(scale.height))
        scale.height = scale_.height;
    if (scale == scale_)
        return;
    rasteriseRecorded(); // drawn in the scale that was in force
    scale_ = scale;
}

const QImage& QtSurface::picture() {
    syncPicture();
    rasteriseRecorded();
    return picture_;
}

QtSurface::Pixels QtSurface::pixels() {
    return {picture_.bits(), picture_.bytesPerLine(), picture_.width(), picture_.height(),
            std::max(1, static_cast<int>(std::lround(picture_.devicePixelRatio())))};
}

void QtSurface::syncPicture() {
    const qreal ratio = devicePixelRatioF();
    const QSize size = contentsRect().size() * ratio;
    if (picture_.size() == size && picture_.devicePixelRatio() == ratio)
        return;
    rasteriseRecorded(); // at the size they were drawn for, as drawing them at once would have
    QImage next(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    next.fill(toRgb(back_));
    if (!picture_.isNull()) {
        QPainter painter(&next);
        painter.drawImage(next.rect(), picture_, picture_.rect());
    }
    next.setDevicePixelRatio(ratio);
    picture_ = std::move(next);
}

bool QtSurface::toDevice(const Pixels& pixels, float x, float y, DevicePoint& device) const {
    // Pixel centres 0 .. n-1 span the scale from edge to edge.
    const auto px = scale_.toPixelX(x, pixels.width - 1);
    const auto py = scale_.toPixelY(y, pixels.height - 1);
    if (!px || !py)
        return false;
    device = {nearestPixel(*px), nearestPixel(*py)};
    return true;
}

std::optional<int> QtSurface::toDeviceRow(int height, float y) const {
    const auto py = scale_.toPixelY(y, height - 1);
    if (!py)
        return std::nullopt;
    return nearestPixel(*py);
}

void QtSurface::stamp(const Pixels& pixels, int x, int y, QRgb colour) {
    // A dot of one logical pixel; at the right and bottom edges it stays inside the picture.
    const int size = pixels.dot;
    if (x < 0 || y < 0 || x >= pixels.width || y >= pixels.height)
        return;
    const int left = std::min(x, pixels.width - size);
    const int top = std::min(y, pixels.height - size);
    for (int row = std::max(top, 0); row < top + size; ++row) {
        auto* line = reinterpret_cast<QRgb*>(pixels.bits + row * pixels.bytesPerLine);
        std::fill(line + std::max(left, 0), line + left + size, colour);
    }
}

void QtSurface::stampColumn(const Pixels& pixels, int x, int first, int last, QRgb colour) {
    // Consecutive dots overlap, so together they cover one rectangle; rows outside the picture
    // are left out as stamp() leaves them out.
    const int size = pixels.dot;
    first = std::max(first, 0);
    last = std::min(last, pixels.height - 1);
    if (x < 0 || x >= pixels.width || first > last)
        return;
    const int left = std::min(x, pixels.width - size);
    const int top = std::max(std::min(first, pixels.height - size), 0);
    const int end = std::min(last, pixels.height - size) + size;
    const int from = std::max(left, 0);
    const int to = left + size;
    uchar* row = pixels.bits + top * pixels.bytesPerLine;
    if (to - from == 1) { // one pixel a row, the usual case
        for (int y = top; y < end; ++y, row += pixels.bytesPerLine)
            reinterpret_cast<QRgb*>(row)[from] = colour;
        return;
    }
    for (int y = top; y < end; ++y, row += pixels.bytesPerLine)
        std::fill(reinterpret_cast<QRgb*>(row) + from, reinterpret_cast<QRgb*>(row) + to, colour);
}

void QtSurface::Recording::reset() {
    primitives.clear(); // keeps the capacity: a running preview records without allocating
    wipedColumns.clear();
    withinWipedColumns = true;
    fullKnown = false;
}

void QtSurface::rasteriseRecorded() {
    if (pending_.empty() && open_.empty())
        return;
    rasterise(pending_);
    rasterise(open_);
    pending_.reset();
    open_.reset();
}

void QtSurface::rasterise(const Recording& recording) {
    if (recording.empty())
        return;
    const Pixels target = pixels();
    for (const Primitive& primitive : recording.primitives)
        rasterise(target, primitive);
}

void QtSurface::rasterise(const Pixels& target, const Primitive& primitive) const {
    switch (primitive.kind) {
    case Primitive::Kind::Point: rasterisePoint(target, primitive.x1, primitive.y1, primitive.colour); break;
    case Primitive::Kind::Line:
        rasteriseLine(target, primitive.x1, primitive.y1, primitive.x2, primitive.y2, primitive.colour);
        break;
    case Primitive::Kind::Wipe: rasteriseWipe(target, primitive.x1, primitive.colour); break;
    }
}

void QtSurface::drawNow(const Primitive& primitive) {
    syncPicture();
    rasteriseRecorded(); // what came before is drawn first
    rasterise(pixels(), primitive);
    requestRepaint();
}

bool QtSurface::reachesTopToBottom(float y1, float y2) {
    Recording& r = open_;
    if (r.fullKnown && y1 == r.fullTop && y2 == r.fullBottom)
        return true;
    if (!spansFullHeight(y1, y2))
        return false;
    r.fullTop = y1;
    r.fullBottom = y2;
    r.fullKnown = true;
    return true;
}

bool QtSurface::spansFullHeight(float y1, float y2) const {
    // rasteriseLine() draws a line at one x as the rows between its ends' rows, clipped to the
    // picture: ends on or beyond the top and the bottom row give every row. (The clip works on
    // whole numbers below 10^6 and lands within far less than half a row of the edge rows, which
    // rounding then gives exactly.)
    const int height = picture_.height();
    const auto a = toDeviceRow(height, y1);
    const auto b = toDeviceRow(height, y2);
    return a && b && std::min(*a, *b) <= 0 && std::max(*a, *b) >= height - 1;
}

void QtSurface::beginDrawing() {
    if (burstDepth_++ > 0)
        return;
    // Nothing inside a burst processes events, so the widget keeps its size and screen until
    // the burst ends; the primitives are recorded against the picture as it is now.
    syncPicture();
}

void QtSurface::endDrawing() {
    if (--burstDepth_ > 0 || open_.empty())
        return;
    if (!open_.hides(pending_))
        rasterise(pending_);
    std::swap(pending_, open_);
    open_.reset();
    requestRepaint();
}

void QtSurface::requestRepaint() {
    if (lastUpdate_.isValid() && !lastUpdate_.hasExpired(repaintPeriodMs_)) {
        // Owed: a burst after the period pays it, so that a running preview wakes the loop for
        // nothing more than its ticks; when no burst comes, the timer does, a little after the
        // period.
        repaintOwed_ = true;
        if (!repaintLater_.isActive())
            repaintLater_.start(static_cast<int>(repaintPeriodMs_ - lastUpdate_.elapsed()) + kRepaintSlackMs);
        return;
    }
    const bool paying = repaintOwed_;
    repaintLater_.stop();
    repaintOwed_ = false;
    lastUpdate_.start();
    const QScreen* display = screen();
    const qreal hertz = display ? display->refreshRate() : 0.0;
    repaintPeriodMs_ = hertz >= 1.0 ? std::max(1, qRound(1000.0 / hertz)) : kDefaultRefreshMs;
    if (paying)
        repaintChanges();
    else
        update(contentsRect()); // the border stays as it is
}

void QtSurface::repaintChanges() {
    // Drawing goes on, burst after burst: the picture is brought up to date now, and only the
    // part of it that changed since the screen last got it is painted, at once rather than in a
    // later pass of the event loop, which would have to be woken for it.
    rasteriseRecorded();
    const QRect changes = unshownRect();
    if (changes.isEmpty())
        return;
    ownRepaint_ = true;
    repaint(changes);
    ownRepaint_ = false;
}

int QtSurface::wholeRatio() const {
    const qreal ratio = picture_.devicePixelRatio();
    const auto whole = static_cast<int>(std::lround(ratio));
    return whole >= 1 && ratio == whole ? whole : 0;
}

bool QtSurface::knowsShown() const {
    return wholeRatio() != 0 && shown_.size() == picture_.size() &&
           shown_.devicePixelRatio() == picture_.devicePixelRatio();
}

QRect QtSurface::unshownRect() const {
    const QRect box = contentsRect();
    if (!knowsShown())
        return box;
    const QRect device = DifferingBounds(picture_, shown_);
    if (device.isEmpty())
        return {};
    const int ratio = wholeRatio();
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
        shown_ = QImage();
        return;
    }
    if (!knowsShown()) {
        if (QRegion(box).subtracted(painted).isEmpty()) // the whole box
            shown_ = picture_.copy();
        return;
    }
    for (const QRect& rect : painted & box) {
        const QRect device =
            QRect(rect.translated(-box.topLeft()).topLeft() * ratio, rect.size() * ratio) & picture_.rect();
        for (int y = device.top(); y <= device.bottom(); ++y) {
            const auto* from = reinterpret_cast<const QRgb*>(picture_.constScanLine(y));
            std::copy(from + device.left(), from + device.right() + 1,
                      reinterpret_cast<QRgb*>(shown_.scanLine(y)) + device.left());
        }
    }
}

void QtSurface::repaintLaterDue() {
    if (repaintOwed_)
        requestRepaint();
}

void QtSurface::clear() {
    // Erasing overwrites every pixel: whatever is recorded would never be seen.
    pending_.reset();
    open_.reset();
    syncPicture();
    picture_.fill(toRgb(back_));
    requestRepaint();
}

// In a burst a primitive is recorded, built in place: the preview records hundreds of thousands
// a second, and a primitive built on the stack and copied on stalls the processor as it reads
// back what it has just stored.
void QtSurface::point(float x, float y, toolkit::Colour colour) {
    if (burstDepth_ == 0) {
        drawNow({Primitive::Kind::Point, x, y, x, y, toRgb(colour)});
        return;
    }
    // A frame draws each column's point right after wiping that column.
    if (open_.wipedColumns.empty() || x != open_.wipedColumns.back())
        open_.withinWipedColumns = false;
    open_.primitives.push_back({Primitive::Kind::Point, x, y, x, y, toRgb(colour)});
}

void QtSurface::line(float x1, float y1, float x2, float y2, toolkit::Colour colour) {
    if (burstDepth_ == 0) {
        drawNow({Primitive::Kind::Line, x1, y1, x2, y2, toRgb(colour)});
        return;
    }
    const bool wipe = x1 == x2 && reachesTopToBottom(y1, y2);
    if (wipe)
        open_.wipedColumns.push_back(x1);
    else
        open_.withinWipedColumns = false;
    open_.primitives.push_back({wipe ? Primitive::Kind::Wipe : Primitive::Kind::Line, x1, y1, x2, y2, toRgb(colour)});
}

void QtSurface::rasterisePoint(const Pixels& pixels, float x, float y, QRgb colour) const {
    if (DevicePoint p{}; toDevice(pixels, x, y, p))
        stamp(pixels, p.x, p.y, colour);
}

void QtSurface::rasteriseWipe(const Pixels& pixels, float x, QRgb colour) const {
    // rasteriseLine() would map both ends (both map, as the wipe was found to reach from the top
    // row to the bottom one with this scale and height), clip the rows to the picture and fill
    // the column from row 0 to the last; the column is all that needs looking up.
    if (const auto px = scale_.toPixelX(x, pixels.width - 1))
        stampColumn(pixels, nearestPixel(*px), 0, pixels.height - 1, colour);
}

void QtSurface::rasteriseLine(const Pixels& pixels, float x1, float y1, float x2, float y2, QRgb colour) const {
    DevicePoint a{};
    DevicePoint b{};
    if (!toDevice(pixels, x1, y1, a) || !toDevice(pixels, x2, y2, b))
        return;
    double ax = a.x, ay = a.y, bx = b.x, by = b.y;
    if (!clipSegment(ax, ay, bx, by, pixels.width - 1, pixels.height - 1))
        return;
    // Bresenham between the clipped ends, with the same dot as a point, so a line drawn over a
    // point in the background colour erases it completely.
    int x = static_cast<int>(std::lround(ax));
    int y = static_cast<int>(std::lround(ay));
    const int endX = static_cast<int>(std::lround(bx));
    const int endY = static_cast<int>(std::lround(by));
    if (x == endX) { // a vertical line, such as the preview's column wipe: one rectangle
        stampColumn(pixels, x, std::min(y, endY), std::max(y, endY), colour);
        return;
    }
    const int dx = std::abs(endX - x);
    const int dy = -std::abs(endY - y);
    const int stepX = x < endX ? 1 : -1;
    const int stepY = y < endY ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        stamp(pixels, x, y, colour);
        if (x == endX && y == endY)
            break;
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += stepX;
        }
        if (twice <= dx) {
            error += dx;
            y += stepY;
        }
    }
}

bool QtSurface::event(QEvent* event) {
    // The tooltip's text is asked for when it is about to show, not kept up to date.
    if (event->type() == QEvent::ToolTip && toolTipSource_) {
        const std::string text = toolTipSource_();
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), QString::fromStdString(text), this);
        return true;
    }
    // A move to a screen of another resolution changes the device pixel ratio, a resize the
    // size; either way the picture follows before the next paint, which copies it unscaled.
    const QEvent::Type type = event->type();
    if (type == QEvent::ScreenChangeInternal || type == QEvent::Show || type == QEvent::Resize) {
        syncPicture();
        update();
    }
    return QFrame::event(event);
}

void QtSurface::paintEvent(QPaintEvent* event) {
    // Here, at most once per refresh period while drawing goes on, the picture catches up with
    // what was drawn; frames that a later one painted over were never rasterised.
    rasteriseRecorded();
    // A repaint owed stays owed: this paint may not reach the screen (grab() paints into a
    // pixmap), and paying it twice costs at most one more repaint.
    if (!contentsRect().contains(event->rect()))
        paintBorder(event); // unless only the picture is repainted
    {
        QPainter painter(this);
        painter.drawImage(contentsRect().topLeft(), picture_);
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
