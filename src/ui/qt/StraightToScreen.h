#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

class QWidget;

namespace ondulix::ui::qt {

// Gives the screen `rect` of a widget (widget coordinates) from `picture`, whose top left
// corner lies at `origin` in the widget, by copying the pixels into the window's backing store
// and flushing them, without a paint event. Qt's own repaint of a few rows of one opaque
// widget costs ten times the copy: the repaint manager's bookkeeping, a painter set up for the
// widget, the clipped blend. A running preview repaints 60 times a second for as long as the
// window is open.
//
// Only where the copy is exactly what a paint would give: the window is on the screen, the
// widget shows, nothing is stacked over it, and the backing store is an opaque image at the
// picture's whole device pixel ratio. Answers false, having touched nothing, otherwise; the
// caller then repaints the usual way.
bool PaintStraightToScreen(QWidget& widget, const QImage& picture, QPoint origin, const QRect& rect);

} // namespace ondulix::ui::qt
