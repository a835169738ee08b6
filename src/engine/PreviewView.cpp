#include "engine/PreviewView.h"

#include "engine/NumberText.h"
#include "engine/Rounding.h"

#include <algorithm>
#include <cmath>

namespace ondulix::engine {

PreviewView::PreviewView(PreviewScale scale) : scale_(scale) {
    if (scale_.height == 0.0f || !std::isfinite(scale_.height))
        scale_.height = kDesignPreviewScale.height;
    placeColumns();
    placeEdges();
}

void PreviewView::setWidth(float width) {
    scale_.width = width;
    scale_.left = 0.0f;
    placeColumns();
}

void PreviewView::setTop(float top) {
    scale_.top = top;
    placeEdges();
}

void PreviewView::setHeight(float height) {
    if (height != 0.0f && std::isfinite(height))
        scale_.height = height;
    placeEdges();
}

void PreviewView::placeEdges() {
    shownTop_ = ReadNumber(FloatText(Ymin()));
    shownBottom_ = ReadNumber(FloatText(Ymax()));
}

void PreviewView::placeColumns() {
    // The input rules keep the width within 1 to 16384; a frame never trusts a width beyond that.
    constexpr double kColumnsAcross = 128.0;
    lastColumn_ = std::min(ReadNumber(FloatText(Xmax())), kWidestPreview);
    columnStep_ = std::max(1, RoundHalfEven(lastColumn_ / kColumnsAcross));
}

void PreviewColumnSums(const TableSet& set, const PreviewView& view, const Participation& ticked,
                       std::vector<std::int32_t>& sums) {
    // Columns x = 0, step, ... while x <= lastColumn; none where the preview has no width.
    const std::int32_t step = view.columnStep();
    const double last = view.lastColumn();
    const std::size_t columns = last >= 0.0 ? static_cast<std::size_t>(last) / static_cast<std::size_t>(step) + 1 : 0;
    sums.assign(columns, 0);
    // Table by table, so that each walk keeps its cursor, length and entries at hand.
    for (std::size_t t = 0; t < ticked.size(); ++t) {
        if (!ticked[t])
            continue;
        const std::int32_t length = set.tables[t].Length;
        const std::int32_t* entries = set.values.row(static_cast<int>(t)).data();
        std::int32_t cursor = set.preview.Position[t];
        for (std::int32_t& sum : sums) {
            if (cursor < 0 || cursor >= length) // a division only where the cursor leaves the table
                cursor = WrapIndex(cursor, length);
            sum += entries[cursor];
            cursor += step;
        }
    }
}

void AdvancePositions(TableSet& set) {
    for (std::size_t t = 0; t < set.tables.size(); ++t) {
        std::int32_t& position = set.preview.Position[t];
        position = WrapIndex(static_cast<std::int64_t>(position) + set.tables[t].Speed, set.tables[t].Length);
    }
}

} // namespace ondulix::engine
