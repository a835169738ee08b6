#include "ui/qt/PictureDifference.h"

#include <cstring>

namespace ondulix::ui::qt {
namespace {

bool rowsMatch(const QImage& a, const QImage& b, int y) {
    return std::memcmp(a.constScanLine(y), b.constScanLine(y), static_cast<std::size_t>(a.width()) * sizeof(QRgb)) == 0;
}

} // namespace

QRect DifferingBounds(const QImage& now, const QImage& before) {
    const int height = now.height();
    int top = 0;
    while (top < height && rowsMatch(now, before, top))
        ++top;
    if (top == height)
        return {};
    int bottom = height - 1;
    while (rowsMatch(now, before, bottom))
        --bottom;

    // The columns: from each end, the nearest one that differs in any of the rows between.
    const int width = now.width();
    int left = width;
    int right = -1;
    for (int y = top; y <= bottom; ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(now.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(before.constScanLine(y));
        for (int x = 0; x < left; ++x)
            if (a[x] != b[x]) {
                left = x;
                break;
            }
        for (int x = width - 1; x > right; --x)
            if (a[x] != b[x]) {
                right = x;
                break;
            }
    }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace ondulix::ui::qt
