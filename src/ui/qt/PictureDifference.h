#pragma once

#include <QImage>
#include <QRect>

namespace ondulix::ui::qt {

// The smallest rectangle of pixels holding every pixel inside `within` where two pictures of one
// size and format (32 bits a pixel) differ; empty where they are the same there. Between two
// repaints a running preview moves one dot in each column, so its changes lie in a band of rows,
// often half the picture.
QRect DifferingBounds(const QImage& now, const QImage& before, QRect within);

} // namespace ondulix::ui::qt
