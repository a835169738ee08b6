#include "ui/qt/StraightToScreen.h"

#include <QBackingStore>
#include <QWidget>
#include <QWindow>

#include <cstring>

namespace ondulix::ui::qt {
namespace {

// Whether a visible widget stacked above `widget` or one of its ancestors overlaps it: the
// children of a parent later in its list are drawn over the earlier ones.
bool coveredByOthers(const QWidget& widget) {
    const QWidget* inner = &widget;
    QRect area = widget.rect();
    while (!inner->isWindow()) {
        const QWidget* parent = inner->parentWidget();
        area.translate(inner->pos());
        const QObjectList& siblings = parent->children();
        for (auto it = siblings.rbegin(); it != siblings.rend() && *it != inner; ++it) {
            const auto* sibling = qobject_cast<const QWidget*>(*it);
            if (sibling && !sibling->isWindow() && sibling->isVisible() && sibling->geometry().intersects(area))
                return true;
        }
        inner = parent;
    }
    return false;
}

// Whether the widget is drawn into its top-level window's own surface, with no native child
// window of its own or between (whose pixels Qt flushes elsewhere).
bool drawnIntoItsWindow(const QWidget& widget, const QWidget* top) {
    return &widget == top || (widget.internalWinId() == 0 && widget.nativeParentWidget() == top);
}

bool opaqueRgb(const QImage& image) {
    return image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32_Premultiplied;
}

void copyPixels(const QImage& from, QPoint fromOrigin, QImage& to, QPoint toOrigin, const QRect& logical, int ratio) {
    const QRect device(logical.topLeft() * ratio, logical.size() * ratio);
    const QPoint source = device.topLeft() - fromOrigin * ratio;
    const QPoint target = device.topLeft() + toOrigin * ratio;
    const auto bytes = static_cast<std::size_t>(device.width()) * sizeof(QRgb);
    // Row by row from the first, without a library call for each (scanLine() is one).
    const qsizetype fromStride = from.bytesPerLine();
    const qsizetype toStride = to.bytesPerLine();
    const uchar* fromRow = from.constBits() + source.y() * fromStride + source.x() * qsizetype(sizeof(QRgb));
    uchar* toRow = to.bits() + target.y() * toStride + target.x() * qsizetype(sizeof(QRgb));
    for (int row = 0; row < device.height(); ++row, fromRow += fromStride, toRow += toStride)
        std::memcpy(toRow, fromRow, bytes);
}

} // namespace

bool PaintStraightToScreen(QWidget& widget, const QImage& picture, QPoint origin, const QRect& rect) {
    QWidget* top = widget.window();
    QWindow* window = top->windowHandle();
    QBackingStore* store = widget.backingStore();
    const qreal ratio = picture.devicePixelRatio();
    const auto whole = static_cast<int>(ratio);
    if (!window || !window->isExposed() || !store || !widget.isVisible() || !widget.updatesEnabled() ||
        !drawnIntoItsWindow(widget, top) || whole < 1 || whole != ratio || !opaqueRgb(picture) ||
        !QRect(origin, picture.size() / whole).contains(rect) || coveredByOthers(widget))
        return false;
    const QPoint inWindow = widget.mapTo(top, QPoint(0, 0));
    const QRect painted = rect.translated(inWindow);
    store->beginPaint(painted);
    QPaintDevice* device = store->paintDevice();
    auto* image = device && device->devType() == QInternal::Image ? static_cast<QImage*>(device) : nullptr;
    const bool fits = image && image->devicePixelRatio() == ratio && opaqueRgb(*image) &&
                      QRect(QPoint(0, 0), image->size() / whole).contains(painted);
    if (fits)
        copyPixels(picture, origin, *image, inWindow, rect, whole);
    store->endPaint();
    if (!fits)
        return false; // the caller's repaint paints what beginPaint() may have cleared
    store->flush(painted, window);
    return true;
}

} // namespace ondulix::ui::qt
