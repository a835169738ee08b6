#include "ui/qt/PictureDifference.h"

#include <cstring>

namespace ondulix::ui::qt {
namespace {

bool rowsMatch(const QImage& a, const QImage& b, int y, int left, int width) {
    const auto* from = reinterpret_cast<const QRgb*>(a.constScanLine(y)) + left;
    const auto* to = reinterpret_cast<const QRgb*>(b.constScanLine(y)) + left;
    return std::memcmp(from, to, static_cast<std::size_t>(width) * sizeof(QRgb)) == 0;
}

} // namespace

QRect DifferingBounds(const QImage& now, const QImage& before, QRect within) {
    within &= now.rect();
    if (within.isEmpty())
        return {};
    const int first = within.left();
    const int width = within.width();
    int top = within.top();
    while (top <= within.bottom() && rowsMatch(now, before, top, first, width))
        ++top;
    if (top > within.bottom())
        return {};
    int bottom = within.bottom();
    while (rowsMatch(now, before, bottom, first, width))
        --bottom;

    // The columns: from each end, the nearest one that differs in any of the rows between,
    // looked for column by column. A preview moves the dot of nearly every column, so the first
    // column tried from each end usually differs, while a search along the rows would cross
    // the band's whole width in most of them.
    const uchar* nowTop = now.constBits() + top * now.bytesPerLine();
    const uchar* beforeTop = before.constBits() + top * before.bytesPerLine();
    const qsizetype nowStride = now.bytesPerLine();
    const qsizetype beforeStride = before.bytesPerLine();
    const auto columnDiffers = [&](int x) {
        const uchar* a = nowTop + x * qsizetype(sizeof(QRgb));
        const uchar* b = beforeTop + x * qsizetype(sizeof(QRgb));
        for (int y = top; y <= bottom; ++y, a += nowStride, b += beforeStride)
            if (*reinterpret_cast<const QRgb*>(a) != *reinterpret_cast<const QRgb*>(b))
                return true;
        return false;
    };
    int left = first;
    while (!columnDiffers(left))
        ++left;
    int right = within.right();
    while (!columnDiffers(right))
        --right;
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace ondulix::ui::qt
