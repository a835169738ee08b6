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

    // The columns: from each end, the nearest one that differs in any of the rows between. Most
    // rows hold no difference beyond the bounds found so far, which one vectorised comparison
    // tells; only a row that widens them is searched pixel by pixel.
    int left = within.right() + 1;
    int right = first - 1;
    const auto bytes = [](int pixels) { return static_cast<std::size_t>(pixels) * sizeof(QRgb); };
    for (int y = top; y <= bottom; ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(now.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(before.constScanLine(y));
        if (left > first && std::memcmp(a + first, b + first, bytes(left - first)) != 0)
            for (int x = first; x < left; ++x)
                if (a[x] != b[x]) {
                    left = x;
                    break;
                }
        if (right < within.right() && std::memcmp(a + right + 1, b + right + 1, bytes(within.right() - right)) != 0)
            for (int x = within.right(); x > right; --x)
                if (a[x] != b[x]) {
                    right = x;
                    break;
                }
    }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace ondulix::ui::qt
