#pragma once

#include "toolkit/UserScale.h"

#include <QImage>
#include <QRect>

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

namespace ondulix::ui::qt {

// A picture box's picture at device resolution, and the drawing of points, clipped lines and
// column wipes into it in user coordinates.
//
// User coordinates map onto pixel centres: the left edge of the scale is the first column, the
// right edge the last one (likewise top and bottom rows), so a point on the right edge is drawn
// inside the picture. A point is one device-independent pixel; at a device pixel ratio of 2 it
// is a 2 x 2 block placed with device precision, so curves are finer but not thinner.
//
// For each device column the rasteriser keeps the rows that may hold something other than the
// back colour. Wiping a column in the back colour then rewrites only those rows: a running
// preview wipes 129 columns 500 times a second, and each of them holds one dot.
class Rasteriser {
public:
    explicit Rasteriser(QRgb back);

    // The picture may be copied from here on (a copy shares its pixels until either is written),
    // so the next primitive looks its pixels up again.
    const QImage& picture() const {
        lent_ = true;
        return picture_;
    }
    toolkit::UserScale scale() const { return scale_; }
    void setScale(toolkit::UserScale scale);

    // Makes the picture `size` device pixels at `ratio` device pixels per logical one, rescaling
    // what is drawn; a new picture starts in the back colour.
    void resize(QSize size, qreal ratio);
    // Erases the whole picture to the back colour.
    void fill();
    // Points and wipes come hundreds of thousands a second from a running preview, so their
    // usual case, one device pixel a dot, is written out here for the compiler to inline.
    void point(float x, float y, QRgb colour) {
        int column = 0;
        int row = 0;
        if (!mapColumn(x, column) || !y_.map(y, row))
            return;
        if (dot_ == 1 && column >= 0 && row >= 0 && column < width_ && row < height_)
            plot(column, row, colour);
        else
            stamp(column, row, colour);
    }
    void line(float x1, float y1, float x2, float y2, QRgb colour);
    // What line(x, top, x, top + height, colour) draws.
    void wipeColumn(float x, QRgb colour) {
        const WipeRows& rows = wipeRows();
        int column = 0;
        // Outside the picture the clip leaves nothing of the line.
        if (rows.first > rows.last || !mapColumn(x, column) || column < 0 || column >= width_)
            return;
        Ink& ink = ink_[static_cast<std::size_t>(column)];
        if (dot_ == 1 && colour == back_ && rows.first <= ink.top && ink.bottom <= rows.last) {
            // All the column holds, erased: the dot the last frame left in it.
            if (ink.top <= ink.bottom) {
                uchar* row = pixels() + ink.top * bytesPerLine_;
                for (int y = ink.top; y <= ink.bottom; ++y, row += bytesPerLine_)
                    reinterpret_cast<QRgb*>(row)[column] = colour;
                noteChanged(column, ink.top, column, ink.bottom);
            }
            ink = kNoInk;
            return;
        }
        stampColumn(column, rows.first, rows.last, colour);
    }

    // The smallest rectangle of device pixels holding every pixel written since the last call;
    // empty where none was.
    QRect takeChanged();

private:
    // The rows of a device column that may hold something other than the back colour; none
    // where top > bottom.
    struct Ink {
        int top;
        int bottom;
    };
    static constexpr Ink kNoInk{INT_MAX, INT_MIN};
    // The rows a wipe fills for the current scale and size, first to last; none where first > last.
    struct WipeRows {
        bool known = false;
        int first = 0;
        int last = -1;
    };
    // One axis of the scale, as toolkit::UserScale maps it, held ready for the hundreds of
    // thousands of points a running preview maps a second.
    struct Axis {
        double origin = 0.0;
        double extent = 1.0;
        double pixels = 0.0; // the last pixel's centre; the first is at 0
        bool valid = false;  // a finite origin and a finite extent other than 0

        void set(float origin, float extent, int count);
        // The pixel nearest to v; false where v is not finite. As toolkit::UserScale maps it, with
        // the scale checked once for all points: pixel centres 0 .. n-1 span the scale from edge
        // to edge. A value that is not finite maps to no finite p.
        bool map(float v, int& pixel) const {
            const double p = (static_cast<double>(v) - origin) / extent * pixels;
            if (!valid || !std::isfinite(p))
                return false;
            pixel = nearestPixel(p);
            return true;
        }
    };

    // The pixel whose centre is nearest, clamped far outside any picture but safely inside int.
    static int nearestPixel(double p) {
        // std::floor without the library call: truncation moves a negative fraction up, so step
        // back one there.
        const double limit = 1e6;
        const double v = std::clamp(p + 0.5, -limit, limit);
        const auto truncated = static_cast<int>(v);
        return v < static_cast<double>(truncated) ? truncated - 1 : truncated;
    }

    void placeAxes();
    // x_.map(), remembered for the last x: a wipe and then a point in one column map it once.
    bool mapColumn(float x, int& column) {
        if (x != lastX_) {
            lastX_ = x;
            lastMapped_ = x_.map(x, lastColumn_);
        }
        column = lastColumn_;
        return lastMapped_;
    }
    // The pixels to write into, looked up again after the picture was lent.
    uchar* pixels() {
        if (lent_) {
            bits_ = picture_.bits(); // copies them first where the picture is shared
            lent_ = false;
        }
        return bits_;
    }
    const WipeRows& wipeRows() {
        if (!wipe_.known)
            placeWipe();
        return wipe_;
    }
    void placeWipe();
    void stamp(int x, int y, QRgb colour);
    // One device pixel inside the picture.
    void plot(int x, int y, QRgb colour) {
        reinterpret_cast<QRgb*>(pixels() + y * bytesPerLine_)[x] = colour;
        if (colour != back_) {
            Ink& ink = ink_[static_cast<std::size_t>(x)];
            ink = {std::min(ink.top, y), std::max(ink.bottom, y)};
        }
        noteChanged(x, y, x, y);
    }
    // The dots of rows first to last in column x, as stamping each of them would draw them.
    void stampColumn(int x, int first, int last, QRgb colour);
    // Rows first to last (inside the picture) of device column x.
    void fillRows(int x, int first, int last, QRgb colour);
    void noteChanged(int left, int top, int right, int bottom) {
        // Mostly inside what is noted already: a branch each, rarely taken.
        if (left < changedLeft_)
            changedLeft_ = left;
        if (top < changedTop_)
            changedTop_ = top;
        if (right > changedRight_)
            changedRight_ = right;
        if (bottom > changedBottom_)
            changedBottom_ = bottom;
    }
    void inkEverywhere(bool maybe);

    QRgb back_;
    toolkit::UserScale scale_;
    Axis x_;
    Axis y_;
    float lastX_ = std::nanf(""); // equal to no x
    int lastColumn_ = 0;
    bool lastMapped_ = false;
    QImage picture_;
    // The picture's geometry, read once per resize: every QImage accessor is a library call.
    uchar* bits_ = nullptr;
    mutable bool lent_ = true;
    qsizetype bytesPerLine_ = 0;
    int width_ = 0;
    int height_ = 0;
    int dot_ = 1; // device pixels per logical pixel, at least 1
    std::vector<Ink> ink_;
    WipeRows wipe_;
    // The pixels written since takeChanged(), as inclusive bounds; none where left > right.
    int changedLeft_ = INT_MAX;
    int changedTop_ = INT_MAX;
    int changedRight_ = -1;
    int changedBottom_ = -1;
};

} // namespace ondulix::ui::qt
