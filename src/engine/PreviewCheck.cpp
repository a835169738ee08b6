#include "engine/PreviewCheck.h"

namespace ondulix::engine {

PreviewCycleInput CycleInputOf(const TableSet& set, const PreviewView& view, const Participation& ticked) {
    PreviewCycleInput input;
    for (int t = 0; t < kTableCount; ++t) {
        const auto at = static_cast<std::size_t>(t);
        const TableParams& table = set.table(t);
        input.tables[at] = {.entries = set.values.row(t).first(static_cast<std::size_t>(table.Length)),
                            .Length = table.Length,
                            .Speed = table.Speed,
                            .Position = set.preview.Position[at],
                            .ticked = ticked[at]};
    }
    input.columnStep = view.columnStep();
    input.lastColumn = view.lastColumn();
    input.top = view.shownTop();
    input.bottom = view.shownBottom();
    return input;
}

} // namespace ondulix::engine
