#pragma once

#include "toolkit/MemoryToolkit.h"
#include "ui/MainForm.h"

#include <array>
#include <memory>

namespace ondulix::ui {

// The main window without a display: every control in memory, the same MainForm behind them.
// Tests, benchmarks and the command-line exporter type into its boxes exactly as a user types
// into the real window, so they get exactly the window's numbers and files.
class HeadlessWindow {
public:
    using Box = toolkit::MemoryTextBox;
    template <class Control>
    using Row = std::array<Control, engine::kTableCount>;

    HeadlessWindow();
    HeadlessWindow(const HeadlessWindow&) = delete;
    HeadlessWindow& operator=(const HeadlessWindow&) = delete;

    // Runs start-up, as the real window does before it is first shown.
    void load() { form_->Form_Load(); }

    // Replaces a box's whole text as a user would: select all, type the new text key by key.
    // Every key raises the box's change notification, as it would in the window.
    static void typeOver(Box& box, std::string_view text);
    // Replaces a box's whole text in one edit, as pasting over a selection does: one change
    // notification, so "-5" arrives as -5 and not as "-" (read 0) followed by "5".
    static void pasteOver(Box& box, std::string_view text);

    MainForm& form() { return *form_; }
    const engine::TableSet& tableSet() const { return form_->tableSet(); }

    Row<Box> txtSinLen, txtSinOffs, txtSinWaves, txtSinMin, txtSinMax, txtSinOrigin, txtSinRange, txtSinSpeed;
    Box txtPrvXmax, txtPrvYmin, txtPrvYmax;
    Row<toolkit::MemoryCheckBox> checkSin;
    Row<toolkit::MemorySurface> SinusPic;
    toolkit::MemorySurface picPreview;
    toolkit::MemoryLabel lblpeakhigh, lblpeaklow;
    toolkit::MemoryTimer Timer1;
    toolkit::MemorySaveDialog saveDialog;
    toolkit::MemoryMessageBox messageBox;
    toolkit::MemoryFileStore fileStore;
    int endProgramCalls = 0;

private:
    std::unique_ptr<MainForm> form_;
};

} // namespace ondulix::ui
