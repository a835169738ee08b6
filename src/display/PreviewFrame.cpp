#include "display/PreviewFrame.h"

#include "display/PlotColours.h"

namespace ondulix::display {

PeakFlags DrawPreviewFrame(toolkit::Surface& picture, const engine::TableSet& set, const engine::PreviewView& view,
                           const engine::Participation& ticked) {
    const toolkit::DrawingBurst burst(picture); // the frame's wipes and points, shown together
    const float top = view.Ymin();
    const float bottom = view.Ymax(); // the bottom edge, a sum taken in single precision
    PeakFlags flags;
    engine::ForEachPreviewColumn(set, view, ticked, [&](std::int32_t x, std::int32_t sum) {
        const auto column = static_cast<float>(x);
        picture.wipeColumn(column, kPlotBack);
        const auto y = static_cast<float>(sum); // exact: a sum of four entries stays below 2^18
        if (y < top)
            flags.upper = true;
        else if (y > bottom)
            flags.lower = true;
        else
            picture.point(column, y, kPlotGreen);
    });
    return flags;
}

} // namespace ondulix::display
