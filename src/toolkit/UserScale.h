#pragma once

#include <cmath>
#include <optional>

namespace ondulix::toolkit {

// The user coordinate system of a drawing surface: x runs from left to left + width across the
// surface, y from top to top + height down it (a negative height turns the y axis upward).
struct UserScale {
    float left = 0.0f;
    float top = 0.0f;
    float width = 1.0f;
    float height = 1.0f;

    friend constexpr bool operator==(const UserScale&, const UserScale&) = default;

    // Maps user coordinates onto a surface of the given size in pixels. Returns nothing where the
    // scale or the point is degenerate (zero or non-finite extents, non-finite coordinates), so
    // callers never hand a pixel engine an infinite or NaN coordinate.
    std::optional<double> toPixelX(double x, double pixelWidth) const {
        return mapAxis(x, left, width, pixelWidth);
    }
    std::optional<double> toPixelY(double y, double pixelHeight) const {
        return mapAxis(y, top, height, pixelHeight);
    }

private:
    static std::optional<double> mapAxis(double v, float origin, float extent, double pixels) {
        if (extent == 0.0f || !std::isfinite(extent) || !std::isfinite(origin) || !std::isfinite(v))
            return std::nullopt;
        const double p = (v - static_cast<double>(origin)) / static_cast<double>(extent) * pixels;
        if (!std::isfinite(p))
            return std::nullopt;
        return p;
    }
};

} // namespace ondulix::toolkit
