#include "display/PreviewFrame.h"

#include "display/PlotColours.h"

namespace ondulix::display {

PeakFlags DrawPreviewFrame(toolkit::Surface& picture, const engine::TableSet& set, const engine::PreviewView& view,
                           const engine::Participation& ticked) {
    const toolkit::DrawingBurst burst(picture); // the frame's wipes and points, shown together
    PeakFlags flags;
    const double top = view.shownTop(); // read once, not again after each drawing call
    const double bottom = view.shownBottom();
    engine::ForEachPreviewColumn(set, view, ticked, [&](std::int32_t x, std::int32_t sum) {
        const auto column = static_cast<float>(x);
        picture.wipeColumn(column, kPlotBack);
        // A sum equal to an edge as its box shows it is drawn on that edge, even where the edge
        // in single precision lies a hair inside it (a top of -10.1 and a bottom of 512 make
        // the bottom 511.99997).
        if (sum < top)
            flags.upper = true;
        else if (sum > bottom)
            flags.lower = true;
        else
            picture.point(column, static_cast<float>(sum), kPlotGreen); // exact below 2^24
    });
    return flags;
}

} // namespace ondulix::display
