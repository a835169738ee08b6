#pragma once

#include "ui/MainWindowLayout.h"

#include <QRect>
#include <QSize>

#include <algorithm>

namespace ondulix::ui::qt {

// Where the layout puts things, in the window's logical pixels: the one conversion from its
// twips, for the window, its fonts and the benchmarks' bare copies of it.

inline QRect toPixels(const TwipRect& r) {
    return {r.left / kTwipsPerPixel, r.top / kTwipsPerPixel, r.width / kTwipsPerPixel, r.height / kTwipsPerPixel};
}

// The pixels a line control covers: a pen of its width centred on the line and running half a
// pen past both ends, so that a 2-pixel rule along a box's edge shows one pixel outside the box.
// The layout's lines are all horizontal or vertical.
inline QRect toPixels(const TwipLine& l) {
    const int x1 = std::min(l.x1, l.x2) / kTwipsPerPixel;
    const int x2 = std::max(l.x1, l.x2) / kTwipsPerPixel;
    const int y1 = std::min(l.y1, l.y2) / kTwipsPerPixel;
    const int y2 = std::max(l.y1, l.y2) / kTwipsPerPixel;
    const int half = l.widthPx / 2;
    return {x1 - half, y1 - half, x2 - x1 + l.widthPx, y2 - y1 + l.widthPx};
}

// A control's place, whatever its kind.
inline QRect toPixels(const LayoutItem& item) {
    return item.kind == ControlKind::Line ? toPixels(item.line) : toPixels(item.rect);
}

inline QSize clientSizeInPixels() { return {kClientWidthTwips / kTwipsPerPixel, kClientHeightTwips / kTwipsPerPixel}; }

} // namespace ondulix::ui::qt
