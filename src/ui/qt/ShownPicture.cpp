#include "ui/qt/ShownPicture.h"

#include "ui/qt/PictureDifference.h"

#include <algorithm>

namespace ondulix::ui::qt {

bool ShownPicture::knows(const QImage& picture) const {
    return shown_.size() == picture.size() && shown_.devicePixelRatio() == picture.devicePixelRatio();
}

QRect ShownPicture::unshown(const QImage& picture) {
    if (!knows(picture))
        return picture.rect();
    suspect_ = DifferingBounds(picture, shown_, suspect_); // the rest matches, now and until drawn on
    return suspect_;
}

void ShownPicture::noteShown(const QImage& picture, const QRegion& painted) {
    if (!knows(picture)) {
        if (QRegion(picture.rect()).subtracted(painted).isEmpty()) { // the whole picture
            shown_ = picture.copy();
            suspect_ = QRect();
        }
        return;
    }
    for (const QRect& rect : painted & picture.rect()) {
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            const auto* from = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
            std::copy(from + rect.left(), from + rect.right() + 1,
                      reinterpret_cast<QRgb*>(shown_.scanLine(y)) + rect.left());
        }
    }
    suspect_ = QRegion(suspect_).subtracted(painted).boundingRect();
}

} // namespace ondulix::ui::qt
