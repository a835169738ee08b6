#pragma once

#include "engine/TableSet.h"
#include "toolkit/Controls.h"
#include "toolkit/Dialogs.h"
#include "toolkit/Surface.h"
#include "toolkit/TextBox.h"

#include <array>
#include <functional>
#include <string>

namespace ondulix::ui {

// The per-table controls come in arrays of four, index = table index.
template <class Control>
using TableRow = std::array<Control*, engine::kTableCount>;

// Every control the window logic reads, writes or listens to, owned by whoever built the window
// (the Qt window, or the in-memory one). The window's layout table binds each of its rows to
// one place here; labels with fixed captions and lines have no place: the logic never touches
// them. A place carries its control's name, except where the layout only numbers the control
// (the buttons "write file", "about this" and "about us", and the preview's timer): those places
// are named for what the control does.
struct FormControls {
    TableRow<toolkit::TextBox> txtSinLen{};
    TableRow<toolkit::TextBox> txtSinOffs{};
    TableRow<toolkit::TextBox> txtSinWaves{};
    TableRow<toolkit::TextBox> txtSinMin{};
    TableRow<toolkit::TextBox> txtSinMax{};
    TableRow<toolkit::TextBox> txtSinOrigin{};
    TableRow<toolkit::TextBox> txtSinRange{};
    TableRow<toolkit::TextBox> txtSinSpeed{};
    toolkit::TextBox* txtPrvXmax = nullptr;
    toolkit::TextBox* txtPrvYmin = nullptr;
    toolkit::TextBox* txtPrvYmax = nullptr;
    TableRow<toolkit::CheckBox> checkSin{};
    TableRow<toolkit::Surface> SinusPic{};
    toolkit::Surface* picPreview = nullptr;
    toolkit::Label* lblpeakhigh = nullptr;
    toolkit::Label* lblpeaklow = nullptr;
    toolkit::Button* cmdWriteFile = nullptr;
    toolkit::Button* cmdAboutThis = nullptr;
    toolkit::Button* cmdAboutUs = nullptr;
    toolkit::Button* cmdQuit = nullptr;
    toolkit::Timer* tmrPreview = nullptr;
};

// The platform services the window's buttons use. The Qt window puts the real one in place of
// each left empty: the platform's save dialog and message box, files replaced through
// exporter::AtomicFileStore, the executable's folder, and leaving the application's event loop.
struct FormServices {
    toolkit::SaveDialog* saveDialog = nullptr;
    toolkit::MessageBox* messageBox = nullptr;
    toolkit::FileStore* fileStore = nullptr;
    std::string programFolder; // where the save dialog opens
    // Ends the program at once. The Qt window closes itself first, then runs it.
    std::function<void()> endProgram;
};

} // namespace ondulix::ui
