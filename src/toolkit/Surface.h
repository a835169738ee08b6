#pragma once

#include "toolkit/Colour.h"
#include "toolkit/UserScale.h"

#include <functional>
#include <span>
#include <string>

namespace ondulix::toolkit {

// A picture box: a drawing surface with a settable user coordinate system. Draws only the
// primitives the plots and the preview need.
class Surface {
public:
    virtual ~Surface() = default;

    virtual UserScale scale() const = 0;
    // Applies a new user coordinate system. A zero or non-finite height is never applied: the
    // surface keeps the height it had, as a picture box refuses a zero height.
    virtual void setScale(UserScale scale) = 0;

    // Erases the whole surface to its back colour.
    virtual void clear() = 0;
    virtual void point(float x, float y, Colour colour) = 0;
    virtual void line(float x1, float y1, float x2, float y2, Colour colour) = 0;
    // Paints the column at x from the top edge to the bottom edge (top + height, summed in single
    // precision) in `colour`: what line(x, top, x, top + height, colour) draws. The preview wipes
    // each of its columns so before drawing the column's point.
    virtual void wipeColumn(float x, Colour colour) = 0;

    // One column of a preview frame: the column at x, and the height of its dot where it has one.
    struct ColumnDot {
        float x = 0.0f;
        float y = 0.0f;
        bool dotted = false;
    };
    // Wipes each column in `wipe` and puts its dot in `dot`, column after column: what
    // wipeColumn() and point() draw, said for a whole preview frame at once, 500 times a second.
    virtual void wipeColumnsAndDot(std::span<const ColumnDot> columns, Colour wipe, Colour dot) {
        for (const ColumnDot& column : columns) {
            wipeColumn(column.x, wipe);
            if (column.dotted)
                point(column.x, column.y, dot);
        }
    }

    // Bracket a burst of primitives drawn in one go, such as one preview frame: a backend may
    // prepare its picture once before the burst and publish it once after it, instead of at
    // every primitive. What is drawn is the same either way. Bursts may nest; use DrawingBurst.
    virtual void beginDrawing() {}
    virtual void endDrawing() {}

    // The text shown while the pointer rests on the surface, asked of `source` only then, so
    // that nothing is computed for a tooltip nobody looks at.
    using ToolTipSource = std::function<std::string()>;
    virtual void setToolTipSource(ToolTipSource source) = 0;
};

// Holds a surface in one burst of drawing for the lifetime of the object.
class DrawingBurst {
public:
    explicit DrawingBurst(Surface& surface) : surface_(surface) { surface_.beginDrawing(); }
    ~DrawingBurst() { surface_.endDrawing(); }
    DrawingBurst(const DrawingBurst&) = delete;
    DrawingBurst& operator=(const DrawingBurst&) = delete;

private:
    Surface& surface_;
};

} // namespace ondulix::toolkit
