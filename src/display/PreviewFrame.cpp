#include "display/PreviewFrame.h"

#include "display/PlotColours.h"

namespace ondulix::display {

PeakFlags DrawPreviewFrame(toolkit::Surface& picture, const engine::TableSet& set, const engine::PreviewView& view,
                           const engine::Participation& ticked, FrameScratch& scratch) {
    const toolkit::DrawingBurst burst(picture); // the frame's wipes and points, shown together
    PeakFlags flags;
    const double top = view.shownTop();
    const double bottom = view.shownBottom();
    std::vector<std::int32_t>& sums = scratch.sums;
    engine::PreviewColumnSums(set, view, ticked, sums);
    std::vector<toolkit::Surface::ColumnDot>& columns = scratch.columns;
    columns.resize(sums.size());
    const std::int32_t step = view.columnStep();
    for (std::size_t i = 0; i < sums.size(); ++i) {
        // A sum equal to an edge as its box shows it is drawn on that edge, even where the edge
        // in single precision lies a hair inside it (a top of -10.1 and a bottom of 512 make
        // the bottom 511.99997).
        const std::int32_t sum = sums[i];
        const bool above = sum < top;
        const bool below = !above && sum > bottom; // one marker a column, the upper first
        flags.upper = flags.upper || above;
        flags.lower = flags.lower || below;
        const auto x = static_cast<std::int32_t>(i) * step;
        columns[i] = {static_cast<float>(x), static_cast<float>(sum), !above && !below}; // exact below 2^24
    }
    picture.wipeColumnsAndDot(columns, kPlotBack, kPlotGreen);
    return flags;
}

} // namespace ondulix::display
