#pragma once

#include <QImage>
#include <QRect>
#include <QRegion>

namespace ondulix::ui::qt {

// What the screen shows of a picture box's picture, in device pixels, as far as the box's own
// repaints tell: a copy of the pixels each of them gave the screen. Where that is not known (a
// paint the box did not start may never reach the screen, as grab() paints into a pixmap), the
// whole picture counts as unshown until a repaint of all of it.
class ShownPicture {
public:
    // Pixels of the picture written since the last call of unshown() or noteShown().
    void noteDrawn(const QRect& device) { suspect_ |= device; }
    // The smallest rectangle holding every pixel of `picture` that the screen shows otherwise.
    QRect unshown(const QImage& picture);
    // After one of the box's own paints gave the screen `painted` (device pixels) of `picture`.
    void noteShown(const QImage& picture, const QRegion& painted);
    // After a paint that may not have reached the screen, or that ended inside a device pixel.
    void forget() { shown_ = QImage(); }

private:
    bool knows(const QImage& picture) const;

    QImage shown_;   // null, or of another size than the picture, where not known
    QRect suspect_;  // where the picture may differ from shown_; nowhere else does it
};

} // namespace ondulix::ui::qt
