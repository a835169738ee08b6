#include "ui/HeadlessWindow.h"

#include "ui/Form1Layout.h"

#include <utility>

namespace ondulix::ui {
namespace {

template <class Control, class Interface>
toolkit::ControlArray<Interface> pointersTo(std::array<Control, engine::kTableCount>& row) {
    toolkit::ControlArray<Interface> pointers{};
    for (std::size_t i = 0; i < row.size(); ++i)
        pointers[i] = &row[i];
    return pointers;
}

} // namespace

HeadlessWindow::HeadlessWindow() {
    // Every control starts as the layout has it: the boxes' design-time texts (which start-up
    // replaces), the check boxes ticked, the plots in twips and the preview in its design scale.
    const std::pair<Row<Box>*, std::string_view> rows[] = {
        {&txtSinLen, "txtSinLen"},     {&txtSinOffs, "txtSinOffs"},     {&txtSinWaves, "txtSinWaves"},
        {&txtSinMin, "txtSinMin"},     {&txtSinMax, "txtSinMax"},       {&txtSinOrigin, "txtSinOrigin"},
        {&txtSinRange, "txtSinRange"}, {&txtSinSpeed, "txtSinSpeed"},
    };
    for (const auto& [row, name] : rows)
        for (int i = 0; i < engine::kTableCount; ++i)
            (*row)[static_cast<std::size_t>(i)] = Box(std::string(layoutItem(name, i).caption));
    for (int i = 0; i < engine::kTableCount; ++i) {
        checkSin[static_cast<std::size_t>(i)].setChecked(layoutItem("checkSin", i).checked);
        SinusPic[static_cast<std::size_t>(i)].setScale(layoutItem("SinusPic", i).scale);
    }
    txtPrvXmax = Box(std::string(layoutItem("txtPrvXmax").caption));
    txtPrvYmin = Box(std::string(layoutItem("txtPrvYmin").caption));
    txtPrvYmax = Box(std::string(layoutItem("txtPrvYmax").caption));
    picPreview.setScale(layoutItem("picPreview").scale);

    FormControls controls;
    controls.boxes.txtSinLen = pointersTo<Box, toolkit::TextBox>(txtSinLen);
    controls.boxes.txtSinOffs = pointersTo<Box, toolkit::TextBox>(txtSinOffs);
    controls.boxes.txtSinWaves = pointersTo<Box, toolkit::TextBox>(txtSinWaves);
    controls.boxes.txtSinMin = pointersTo<Box, toolkit::TextBox>(txtSinMin);
    controls.boxes.txtSinMax = pointersTo<Box, toolkit::TextBox>(txtSinMax);
    controls.boxes.txtSinOrigin = pointersTo<Box, toolkit::TextBox>(txtSinOrigin);
    controls.boxes.txtSinRange = pointersTo<Box, toolkit::TextBox>(txtSinRange);
    controls.boxes.txtSinSpeed = pointersTo<Box, toolkit::TextBox>(txtSinSpeed);
    controls.boxes.txtPrvXmax = &txtPrvXmax;
    controls.boxes.txtPrvYmin = &txtPrvYmin;
    controls.boxes.txtPrvYmax = &txtPrvYmax;
    controls.checkSin = pointersTo<toolkit::MemoryCheckBox, toolkit::CheckBox>(checkSin);
    controls.SinusPic = pointersTo<toolkit::MemorySurface, toolkit::Surface>(SinusPic);
    controls.picPreview = &picPreview;
    controls.lblpeakhigh = &lblpeakhigh;
    controls.lblpeaklow = &lblpeaklow;
    controls.Timer1 = &Timer1;

    FormServices services;
    services.saveDialog = &saveDialog;
    services.messageBox = &messageBox;
    services.fileStore = &fileStore;
    services.programFolder = ".";
    services.endProgram = [this] { ++endProgramCalls; };

    form_ = std::make_unique<MainForm>(controls, services);
}

void HeadlessWindow::typeOver(Box& box, std::string_view text) {
    box.select(0, static_cast<int>(box.text().size()));
    if (text.empty()) {
        box.backspace();
        return;
    }
    box.type(text);
}

void HeadlessWindow::pasteOver(Box& box, std::string_view text) {
    box.select(0, static_cast<int>(box.text().size()));
    box.paste(text);
}

} // namespace ondulix::ui
