#pragma once

#include "engine/TableSet.h"
#include "toolkit/Controls.h"
#include "toolkit/Surface.h"
#include "toolkit/TextBox.h"

namespace ondulix::display {

// The animated preview of f(x) = sin1(x+x1) + sin2(x+x2) + sin3(x+x3) + sin4(x+x4): each frame
// sums the checked tables column by column at their current positions, redraws those columns,
// flags sums beyond the top or bottom edge, and advances every table's position by its speed.
// Reads the entries, never computes them.
class PreviewAnimation {
public:
    struct Controls {
        toolkit::ControlArray<toolkit::CheckBox> checkSin{};
        toolkit::Surface* picPreview = nullptr;
        toolkit::Label* lblpeakhigh = nullptr;
        toolkit::Label* lblpeaklow = nullptr;
        toolkit::TextBox* txtPrvXmax = nullptr;
    };

    PreviewAnimation(const Controls& controls, engine::TableSet& set);

    void PreviewFrame();

    // About 128 columns whatever the width: Xmax / 128 rounded, at least 1.
    static int ColumnStep(double xmax);

private:
    Controls controls_;
    engine::TableSet& set_;
};

} // namespace ondulix::display
