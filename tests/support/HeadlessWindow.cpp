#include "support/HeadlessWindow.h"

#include "ui/FormBuilder.h"

namespace ondulix::ui {

// Every control starts as the layout has it: the boxes' design-time texts (which start-up
// replaces), the check boxes ticked, the plots in twips and the preview in its design scale.
class HeadlessWindow::Factory final : public ControlFactory {
public:
    explicit Factory(HeadlessWindow& window) : w_(window) {}

    toolkit::TextBox* textBox(const LayoutItem& item) override {
        return &w_.textBoxes_.emplace_back(std::string(item.caption));
    }
    toolkit::CheckBox* checkBox(const LayoutItem& item) override { return &w_.checkBoxes_.emplace_back(item.checked); }
    toolkit::Surface* pictureBox(const LayoutItem& item) override { return &w_.surfaces_.emplace_back(item.scale); }
    toolkit::Label* label(const LayoutItem& item) override {
        return item.isBound() ? &w_.labels_.emplace_back(true) : nullptr;
    }
    toolkit::Button* button(const LayoutItem&) override { return &w_.buttons_.emplace_back(); }
    void line(const LayoutItem&) override {}
    toolkit::Timer* timer(const LayoutItem&) override { return &w_.timers_.emplace_back(); }
    void commonDialog(const LayoutItem&) override {}

private:
    HeadlessWindow& w_;
};

HeadlessWindow::HeadlessWindow() {
    Factory factory(*this);
    controls_ = BuildForm(factory);

    FormServices services;
    services.saveDialog = &saveDialog;
    services.messageBox = &messageBox;
    services.fileStore = &fileStore;
    services.programFolder = ".";
    services.endProgram = [this] { ++endProgramCalls; };
    logic_ = std::make_unique<MainWindowLogic>(controls_, services);
}

void HeadlessWindow::typeOver(toolkit::MemoryTextBox& box, std::string_view text) {
    box.select(0, static_cast<int>(box.text().size()));
    if (text.empty()) {
        box.backspace();
        return;
    }
    box.type(text);
}

void HeadlessWindow::pasteOver(toolkit::MemoryTextBox& box, std::string_view text) {
    box.select(0, static_cast<int>(box.text().size()));
    box.paste(text);
}

} // namespace ondulix::ui
