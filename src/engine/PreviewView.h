#pragma once

#include "engine/TableSet.h"

#include <array>
#include <cstdint>
#include <vector>

namespace ondulix::engine {

// The preview picture's user coordinate system, in the single precision the picture holds it:
// x runs from left to left + width across it, y from top down to top + height.
struct PreviewScale {
    float left = 0.0f;
    float top = 0.0f;
    float width = 1.0f;
    float height = 1.0f;

    friend constexpr bool operator==(const PreviewScale&, const PreviewScale&) = default;
};

// The scale the preview starts with, before the first edit reads its boxes: 512 units across,
// from -512 at the top to 512 at the bottom.
inline constexpr PreviewScale kDesignPreviewScale{0.0f, -512.0f, 512.0f, 1024.0f};

// The widest preview a frame draws, whatever its extent says.
inline constexpr double kWidestPreview = kMaxLength;

// The preview's extents, Xmax, Ymin and Ymax, as model values, and the columns a frame draws.
// They are kept as the picture's scale, because the boxes show the edges as sums taken in single
// precision (a typed Ymax is shown back as Ymin + height). A zero or non-finite height is never
// taken, as a picture refuses it: the view keeps the height it had.
class PreviewView {
public:
    explicit PreviewView(PreviewScale scale = kDesignPreviewScale);

    const PreviewScale& scale() const { return scale_; }

    // The right, top and bottom edges, as the extent boxes show them.
    float Xmax() const { return scale_.width + scale_.left; }
    float Ymin() const { return scale_.top; }
    float Ymax() const { return scale_.height + scale_.top; }

    // The top and bottom edges as their boxes show them ("512" for a bottom of 511.99997): a sum
    // equal to one is on the edge, lighting no marker, in the frame and in the cycle's check.
    double shownTop() const { return shownTop_; }
    double shownBottom() const { return shownBottom_; }

    // The x of the left edge becomes 0 and the right edge `width`.
    void setWidth(float width);
    void setTop(float top);
    void setHeight(float height);

    // Columns x = 0, columnStep, 2 * columnStep, ... while x <= lastColumn: about 128 of them
    // whatever the width. Both follow the width as its box shows it, since that text, not the
    // float behind it, is what a frame goes by: "300" for a width just below 300 gives 151
    // columns, not 150.
    int columnStep() const { return columnStep_; }
    double lastColumn() const { return lastColumn_; }
    // The x of the last column drawn: 300 for a lastColumn of 300.5 or 301 and a step of 2.
    std::int32_t lastDrawnColumn() const {
        return static_cast<std::int32_t>(lastColumn_) / columnStep_ * columnStep_;
    }

private:
    void placeColumns();
    void placeEdges();

    PreviewScale scale_;
    int columnStep_ = 1;
    double lastColumn_ = 0.0;
    double shownTop_ = 0.0;
    double shownBottom_ = 0.0;
};

// Which tables take part in the preview: the state of their check boxes.
using Participation = std::array<bool, kTableCount>;

// All four take part when the window opens.
inline constexpr Participation kStartUpParticipation{true, true, true, true};

// Brings an entry index into 0 .. length - 1, as stepping back and forth by whole lengths would.
inline std::int32_t WrapIndex(std::int64_t index, std::int32_t length) {
    if (length < 1) // only before start-up has given every table its length
        return 0;
    const auto r = static_cast<std::int32_t>(index % length);
    return r < 0 ? r + length : r;
}

// One frame's sums, column by column: for x = 0, step, ... up to the last column, the sum of
// entry (Position + x) mod Length of every ticked table, into `sums` (resized to the columns).
// Reads the tables, the positions and the entries; changes nothing.
void PreviewColumnSums(const TableSet& set, const PreviewView& view, const Participation& ticked,
                       std::vector<std::int32_t>& sums);

// After a frame: every table's position moves on by its Speed, wrapped into its length, whether
// the table takes part or not.
void AdvancePositions(TableSet& set);

} // namespace ondulix::engine
