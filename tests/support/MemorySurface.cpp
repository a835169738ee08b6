#include "support/MemorySurface.h"

#include <cmath>

namespace ondulix::toolkit {

void MemorySurface::setScale(UserScale scale) {
    if (scale.height == 0.0f || !std::isfinite(scale.height))
        scale.height = scale_.height;
    scale_ = scale;
}

void MemorySurface::record(const DrawOp& op) {
    if (recording_)
        ops_.push_back(op);
}

void MemorySurface::clear() {
    ++clears_;
    ops_.clear();
    record({DrawOp::Kind::Clear, 0, 0, 0, 0, {}, scale_});
}

void MemorySurface::point(float x, float y, Colour colour) {
    record({DrawOp::Kind::Point, x, y, x, y, colour, scale_});
}

void MemorySurface::line(float x1, float y1, float x2, float y2, Colour colour) {
    record({DrawOp::Kind::Line, x1, y1, x2, y2, colour, scale_});
}

void MemorySurface::wipeColumn(float x, Colour colour) {
    record({DrawOp::Kind::Wipe, x, scale_.top, x, scale_.top + scale_.height, colour, scale_});
}

} // namespace ondulix::toolkit
