#pragma once

#include "toolkit/Controls.h"
#include "toolkit/TextBox.h"

namespace ondulix::engine {

// The text boxes the parameters are typed into: one row of eight per table, and the three
// preview extents. The boxes belong to the window; this only names them.
struct ParameterBoxes {
    toolkit::ControlArray<toolkit::TextBox> txtSinLen{};
    toolkit::ControlArray<toolkit::TextBox> txtSinOffs{};
    toolkit::ControlArray<toolkit::TextBox> txtSinWaves{};
    toolkit::ControlArray<toolkit::TextBox> txtSinMin{};
    toolkit::ControlArray<toolkit::TextBox> txtSinMax{};
    toolkit::ControlArray<toolkit::TextBox> txtSinOrigin{};
    toolkit::ControlArray<toolkit::TextBox> txtSinRange{};
    toolkit::ControlArray<toolkit::TextBox> txtSinSpeed{};
    toolkit::TextBox* txtPrvXmax = nullptr;
    toolkit::TextBox* txtPrvYmin = nullptr;
    toolkit::TextBox* txtPrvYmax = nullptr;
};

} // namespace ondulix::engine
