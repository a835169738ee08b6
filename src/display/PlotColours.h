#pragma once

#include "toolkit/Colour.h"

namespace ondulix::display {

// Every plot and the preview draw in pure green on dark grey; the preview's column wipe is drawn
// in that grey, the pictures' back colour.
inline constexpr toolkit::Colour kPlotGreen{0, 255, 0};
inline constexpr toolkit::Colour kPlotBack{64, 64, 64};

} // namespace ondulix::display
