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

void AdvancePositions(TableSet& set) {
    for (std::size_t t = 0; t < set.tables.size(); ++t) {
        std::int32_t& position = set.preview.Position[t];
        position = WrapIndex(static_cast<std::int64_t>(position) + set.tables[t].Speed, set.tables[t].Length);
    }
}

} // namespace ondulix::engine
