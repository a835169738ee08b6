#pragma once

#include "support/MemoryControls.h"
#include "support/MemoryDialogs.h"
#include "support/MemorySurface.h"
#include "support/MemoryTextBox.h"
#include "ui/FormControls.h"
#include "ui/MainWindowLogic.h"

#include <deque>
#include <memory>
#include <string_view>

namespace ondulix::ui {

// The in-memory control behind each toolkit interface (declared only, for decltype).
toolkit::MemoryTextBox memoryControlOf(toolkit::TextBox*);
toolkit::MemoryCheckBox memoryControlOf(toolkit::CheckBox*);
toolkit::MemorySurface memoryControlOf(toolkit::Surface*);
toolkit::MemoryLabel memoryControlOf(toolkit::Label*);
toolkit::MemoryButton memoryControlOf(toolkit::Button*);
toolkit::MemoryTimer memoryControlOf(toolkit::Timer*);
template <class Interface>
using MemoryControl = decltype(memoryControlOf(static_cast<Interface*>(nullptr)));

// The main window without a display: the layout's controls made in memory by the same walk that
// builds the Qt window, and the same MainWindowLogic behind them. Tests and benchmarks type into its
// boxes, tick its timer and click its buttons exactly as a user works the real window.
class HeadlessWindow {
public:
    HeadlessWindow();
    HeadlessWindow(const HeadlessWindow&) = delete;
    HeadlessWindow& operator=(const HeadlessWindow&) = delete;

    // Runs start-up, as the real window does before it is first shown.
    void load() { logic_->start(); }

    // Replaces a box's whole text as a user would: select all, type the new text key by key.
    // Every key raises the box's change notification, as it would in the window.
    static void typeOver(toolkit::MemoryTextBox& box, std::string_view text);
    // Replaces a box's whole text in one edit, as pasting over a selection does: one change
    // notification, so "-5" arrives as -5 and not as "-" (read 0) followed by "5".
    static void pasteOver(toolkit::MemoryTextBox& box, std::string_view text);

    MainWindowLogic& logic() { return *logic_; }
    const engine::TableSet& tableSet() const { return logic_->tableSet(); }
    const FormControls& controls() const { return controls_; }

    // The control at a place of the form: control(&FormControls::txtPrvXmax),
    // control(&FormControls::txtSinLen, 2).
    template <class Interface>
    MemoryControl<Interface>& control(Interface* FormControls::*place) {
        return static_cast<MemoryControl<Interface>&>(*(controls_.*place));
    }
    template <class Interface>
    MemoryControl<Interface>& control(TableRow<Interface> FormControls::*row, int table) {
        return static_cast<MemoryControl<Interface>&>(*(controls_.*row)[static_cast<std::size_t>(table)]);
    }

    toolkit::MemorySaveDialog saveDialog;
    toolkit::MemoryMessageBox messageBox;
    toolkit::MemoryFileStore fileStore;
    int endProgramCalls = 0;

private:
    class Factory;

    std::deque<toolkit::MemoryTextBox> textBoxes_;
    std::deque<toolkit::MemoryCheckBox> checkBoxes_;
    std::deque<toolkit::MemorySurface> surfaces_;
    std::deque<toolkit::MemoryLabel> labels_;
    std::deque<toolkit::MemoryButton> buttons_;
    std::deque<toolkit::MemoryTimer> timers_;
    FormControls controls_;
    std::unique_ptr<MainWindowLogic> logic_;
};

} // namespace ondulix::ui
