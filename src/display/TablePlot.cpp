#include "display/TablePlot.h"

#include "display/PlotColours.h"
#include "engine/Rounding.h"

namespace ondulix::display {

void PrepareTablePlot(toolkit::Surface& plot, const engine::TableParams& table) {
    plot.clear();
    toolkit::UserScale scale = plot.scale();
    scale.top = static_cast<float>(table.Minimum);
    if (table.Range != 0)
        scale.height = static_cast<float>(table.Range);
    scale.left = 0.0f;
    scale.width = static_cast<float>(table.Length);
    plot.setScale(scale);
}

int PlotStride(std::int32_t length) {
    constexpr double kPointsAcross = 256.0;
    const int stride = engine::RoundHalfEven(static_cast<double>(length) / kPointsAcross);
    return stride < 1 ? 1 : stride;
}

void PlotTableEntries(toolkit::Surface& plot, const engine::TableParams& table,
                      std::span<const std::int32_t, engine::kValueCapacity> entries) {
    const toolkit::DrawingBurst burst(plot);
    const int stride = PlotStride(table.Length);
    for (std::int32_t x = 0; x <= table.Length; x += stride)
        plot.point(static_cast<float>(x), static_cast<float>(entries[static_cast<std::size_t>(x)]), kPlotGreen);
}

} // namespace ondulix::display
