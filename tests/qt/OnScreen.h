#pragma once

#include <QBackingStore>
#include <QImage>
#include <QWidget>

namespace ondulix::ui::qt {

// What the screen shows of a widget's client area: the pixels of its top-level window's backing
// store, which the offscreen platform keeps as the picture a display gets. Null where the store
// is no image.
inline QImage OnScreen(QWidget& widget, const QRect& area) {
    QPaintDevice* store = widget.backingStore()->paintDevice();
    if (store->devType() != QInternal::Image)
        return {};
    const auto& window = *static_cast<QImage*>(store);
    const qreal ratio = window.devicePixelRatio();
    const QRect inWindow = area.translated(widget.mapTo(widget.window(), QPoint(0, 0)));
    QImage image = window.copy(QRect(inWindow.topLeft() * ratio, inWindow.size() * ratio))
                       .convertToFormat(QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    return image;
}

} // namespace ondulix::ui::qt
