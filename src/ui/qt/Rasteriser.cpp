#include "ui/qt/Rasteriser.h"

#include "ui/qt/VectorState.h"

#include <QPainter>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace ondulix::ui::qt {
namespace {

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

} // namespace

void Rasteriser::Axis::set(float from, float across, int count) {
    origin = from;
    extent = across;
    pixels = count - 1;
    valid = across != 0.0f && std::isfinite(across) && std::isfinite(from);
}

Rasteriser::Rasteriser(QRgb back) : back_(back) {}

void Rasteriser::setScale(toolkit::UserScale scale) {
    scale_ = scale;
    placeAxes();
}

void Rasteriser::placeAxes() {
    x_.set(scale_.left, scale_.width, width_);
    y_.set(scale_.top, scale_.height, height_);
    wipe_.known = false;
    lastX_ = std::nanf("");
}

void Rasteriser::resize(QSize size, qreal ratio) {
    QImage next(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    next.fill(back_);
    ClearUpperVectorState();
    const bool drawn = !picture_.isNull();
    if (drawn) {
        QPainter painter(&next);
        painter.drawImage(next.rect(), picture_, picture_.rect());
    }
    next.setDevicePixelRatio(ratio);
    picture_ = std::move(next);
    lent_ = true;
    bytesPerLine_ = picture_.bytesPerLine();
    width_ = picture_.width();
    height_ = picture_.height();
    dot_ = std::max(1, static_cast<int>(std::lround(ratio)));
    placeAxes();
    inkEverywhere(drawn); // a rescaled picture may hold anything anywhere
    noteChanged(0, 0, width_ - 1, height_ - 1);
}

void Rasteriser::fill() {
    picture_.fill(back_);
    ClearUpperVectorState();
    lent_ = true;
    inkEverywhere(false);
    noteChanged(0, 0, width_ - 1, height_ - 1);
}

void Rasteriser::inkEverywhere(bool maybe) {
    ink_.assign(static_cast<std::size_t>(width_), maybe ? Ink{0, height_ - 1} : kNoInk);
}

QRect Rasteriser::takeChanged() {
    const QRect changed(QPoint(changedLeft_, changedTop_), QPoint(changedRight_, changedBottom_));
    changedLeft_ = changedTop_ = INT_MAX;
    changedRight_ = changedBottom_ = -1;
    return changed.isValid() ? changed : QRect();
}

void Rasteriser::placeWipe() {
    // line() on a line at one x: both ends mapped, then clipped. The rows do not depend on which
    // column inside the picture the line is in, so they are found once, in column 0.
    wipe_ = {true, 0, -1};
    const float bottom = scale_.top + scale_.height; // summed in single precision
    int a = 0;
    int b = 0;
    if (!y_.map(scale_.top, a) || !y_.map(bottom, b))
        return;
    double ax = 0.0, ay = a, bx = 0.0, by = b;
    if (!clipSegment(ax, ay, bx, by, width_ - 1, height_ - 1))
        return;
    const auto y1 = static_cast<int>(std::lround(ay));
    const auto y2 = static_cast<int>(std::lround(by));
    wipe_.first = std::min(y1, y2);
    wipe_.last = std::max(y1, y2);
}

void Rasteriser::line(float x1, float y1, float x2, float y2, QRgb colour) {
    int ax0 = 0, ay0 = 0, bx0 = 0, by0 = 0;
    if (!x_.map(x1, ax0) || !y_.map(y1, ay0) || !x_.map(x2, bx0) || !y_.map(y2, by0))
        return;
    double ax = ax0, ay = ay0, bx = bx0, by = by0;
    if (!clipSegment(ax, ay, bx, by, width_ - 1, height_ - 1))
        return;
    // Bresenham between the clipped ends, with the same dot as a point, so a line drawn over a
    // point in the background colour erases it completely.
    int x = static_cast<int>(std::lround(ax));
    int y = static_cast<int>(std::lround(ay));
    const int endX = static_cast<int>(std::lround(bx));
    const int endY = static_cast<int>(std::lround(by));
    if (x == endX) { // a vertical line: one rectangle
        stampColumn(x, std::min(y, endY), std::max(y, endY), colour);
        return;
    }
    const int dx = std::abs(endX - x);
    const int dy = -std::abs(endY - y);
    const int stepX = x < endX ? 1 : -1;
    const int stepY = y < endY ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        stamp(x, y, colour);
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

void Rasteriser::stamp(int x, int y, QRgb colour) {
    // A dot of one logical pixel; at the right and bottom edges it stays inside the picture.
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    if (dot_ == 1) {
        plot(x, y, colour);
        return;
    }
    const int left = std::max(std::min(x, width_ - dot_), 0);
    const int top = std::max(std::min(y, height_ - dot_), 0);
    const int right = std::min(left + dot_, width_) - 1;
    const int bottom = std::min(top + dot_, height_) - 1;
    for (int row = top; row <= bottom; ++row)
        for (int column = left; column <= right; ++column)
            plot(column, row, colour);
}

void Rasteriser::stampColumn(int x, int first, int last, QRgb colour) {
    // Consecutive dots overlap, so together they cover one rectangle; rows outside the picture
    // are left out as stamp() leaves them out.
    first = std::max(first, 0);
    last = std::min(last, height_ - 1);
    if (x < 0 || x >= width_ || first > last)
        return;
    if (dot_ == 1) {
        fillRows(x, first, last, colour);
        return;
    }
    const int left = std::max(std::min(x, width_ - dot_), 0);
    const int right = std::min(left + dot_, width_) - 1;
    const int top = std::max(std::min(first, height_ - dot_), 0);
    const int bottom = std::min(std::min(last, height_ - dot_) + dot_, height_) - 1;
    for (int column = left; column <= right; ++column)
        fillRows(column, top, bottom, colour);
}

void Rasteriser::fillRows(int x, int first, int last, QRgb colour) {
    Ink& ink = ink_[static_cast<std::size_t>(x)];
    int from = first;
    int to = last;
    if (colour == back_) {
        // Rows outside the ink hold the back colour already.
        from = std::max(first, ink.top);
        to = std::min(last, ink.bottom);
        if (first <= ink.top && last >= ink.bottom)
            ink = kNoInk;
        else if (first <= ink.top && last >= ink.top)
            ink.top = last + 1;
        else if (last >= ink.bottom && first <= ink.bottom)
            ink.bottom = first - 1;
    } else {
        ink = {std::min(ink.top, first), std::max(ink.bottom, last)};
    }
    if (from > to)
        return;
    uchar* row = pixels() + from * bytesPerLine_;
    for (int y = from; y <= to; ++y, row += bytesPerLine_)
        reinterpret_cast<QRgb*>(row)[x] = colour;
    noteChanged(x, from, x, to);
}

} // namespace ondulix::ui::qt
