#pragma once

#include "engine/ParameterBoxes.h"
#include "toolkit/Controls.h"
#include "toolkit/Dialogs.h"
#include "toolkit/Surface.h"

#include <functional>
#include <string>

namespace ondulix::ui {

// Every control the window logic reads or writes, owned by whoever built the window (the Qt
// window, or the in-memory one in tests). Buttons, labels with fixed captions and lines are not
// here: the logic never touches them.
struct FormControls {
    engine::ParameterBoxes boxes;
    toolkit::ControlArray<toolkit::CheckBox> checkSin{};
    toolkit::ControlArray<toolkit::Surface> SinusPic{};
    toolkit::Surface* picPreview = nullptr;
    toolkit::Label* lblpeakhigh = nullptr;
    toolkit::Label* lblpeaklow = nullptr;
    toolkit::Timer* Timer1 = nullptr;
};

// The platform services the window's buttons use.
struct FormServices {
    toolkit::SaveDialog* saveDialog = nullptr;
    toolkit::MessageBox* messageBox = nullptr;
    toolkit::FileStore* fileStore = nullptr;
    std::string programFolder;      // where the save dialog opens
    std::function<void()> endProgram; // closes the window and ends the program at once
};

} // namespace ondulix::ui
