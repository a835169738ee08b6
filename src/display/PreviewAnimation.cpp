#include "display/PreviewAnimation.h"

#include "engine/NumberText.h"
#include "engine/Rounding.h"

#include <algorithm>
#include <array>

namespace ondulix::display {
namespace {

// Brings an entry index into 0 .. length - 1, as stepping back and forth by whole lengths would.
std::int32_t wrap(std::int64_t index, std::int32_t length) {
    if (length < 1) // only before start-up has given every table its length
        return 0;
    const auto r = static_cast<std::int32_t>(index % length);
    return r < 0 ? r + length : r;
}

// The input rules keep the preview width within 1 to 16384; a frame never trusts a text beyond
// that, so it cannot run away on a box written by other means.
constexpr double kWidestPreview = 16384.0;

} // namespace

PreviewAnimation::PreviewAnimation(const Controls& controls, engine::TableSet& set) : controls_(controls), set_(set) {}

int PreviewAnimation::ColumnStep(double xmax) {
    const int step = engine::RoundHalfEven(xmax / 128.0);
    return step < 1 ? 1 : step;
}

void PreviewAnimation::PreviewFrame() {
    toolkit::Surface& picture = *controls_.picPreview;
    const toolkit::DrawingBurst burst(picture); // the frame's wipes and points, shown together
    const double xmax = std::min(engine::ReadNumber(controls_.txtPrvXmax->text()), kWidestPreview);
    const int step = ColumnStep(xmax);

    std::array<std::int32_t, engine::kTableCount> cursor{};
    std::array<bool, engine::kTableCount> checked{};
    for (std::size_t t = 0; t < cursor.size(); ++t) {
        cursor[t] = set_.tables[t].Position;
        checked[t] = controls_.checkSin[t]->isChecked();
    }

    const toolkit::UserScale scale = picture.scale();
    const float top = scale.top;
    const float bottom = scale.top + scale.height; // the bottom edge, in single precision
    bool upper = false;
    bool lower = false;

    for (std::int32_t x = 0; x <= xmax; x += step) {
        std::int32_t sum = 0;
        for (std::size_t t = 0; t < cursor.size(); ++t) {
            const std::int32_t length = set_.tables[t].Length;
            cursor[t] = wrap(cursor[t], length);
            if (checked[t])
                sum += set_.values(static_cast<int>(t), cursor[t]);
            cursor[t] += step;
        }

        // Wipe the column, then draw its sum unless it lies beyond an edge.
        const auto column = static_cast<float>(x);
        picture.line(column, top, column, bottom, toolkit::kDarkGrey);
        const auto y = static_cast<float>(sum); // exact: a sum of four entries stays below 2^18
        if (y < top)
            upper = true;
        else if (y > bottom)
            lower = true;
        else
            picture.point(column, y, toolkit::kPlotGreen);
    }

    controls_.lblpeakhigh->setVisible(upper);
    controls_.lblpeaklow->setVisible(lower);

    for (engine::TableParams& t : set_.tables)
        t.Position = wrap(static_cast<std::int64_t>(t.Position) + t.Speed, t.Length);
}

} // namespace ondulix::display
