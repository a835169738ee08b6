#pragma once

#include "ui/Form1Layout.h"

#include <QFont>

namespace ondulix::ui::qt {

// The window's three fonts. Each is the designed face at its designed size where the machine has
// it ("MS Sans Serif" and "Terminal" are Windows faces); elsewhere the platform's sans-serif or
// fixed-pitch face, at the designed pixel size or, where that face runs wider, the largest size
// at which every caption of its controls still fits them. Sizes are in pixels of the layout, so
// the text keeps its proportion to the controls at any screen resolution.
struct Form1Fonts {
    QFont dialog;  // every control without a font of its own
    QFont heading; // bold, "Tables" and "Preview "
    QFont peak;    // bold fixed-pitch, the two overflow markers

    static Form1Fonts choose();
    const QFont& forRole(FontRole role) const;
};

} // namespace ondulix::ui::qt
