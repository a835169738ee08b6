#include "ui/HeadlessWindow.h"

namespace ondulix::ui {
namespace {

template <class Control, class Interface>
toolkit::ControlArray<Interface> pointersTo(std::array<Control, engine::kTableCount>& row) {
    toolkit::ControlArray<Interface> pointers{};
    for (std::size_t i = 0; i < row.size(); ++i)
        pointers[i] = &row[i];
    return pointers;
}

// The texts the layout gives the boxes; start-up replaces every one of them.
constexpr const char* kLayoutTexts[8][4] = {
    {"512", "256", "128", "64"},   // txtSinLen
    {"0", "64", "128", "192"},     // txtSinOffs
    {"1", "2", "4", "8"},          // txtSinWaves
    {"0", "64", "96", "112"},      // txtSinMin
    {"255", "196", "160", "144"},  // txtSinMax
    {"0", "0", "0", "0"},          // txtSinOrigin
    {"0", "0", "0", "0"},          // txtSinRange
    {"1", "3", "5", "7"},          // txtSinSpeed
};

} // namespace

HeadlessWindow::HeadlessWindow() {
    Row<Box>* rows[] = {&txtSinLen, &txtSinOffs, &txtSinWaves, &txtSinMin, &txtSinMax, &txtSinOrigin, &txtSinRange, &txtSinSpeed};
    for (std::size_t r = 0; r < std::size(rows); ++r)
        for (std::size_t i = 0; i < engine::kTableCount; ++i)
            (*rows[r])[i] = Box(kLayoutTexts[r][i]);
    // The plots start in twips, 1548 x 1068, until their first table sets a scale.
    for (auto& plot : SinusPic)
        plot.setScale({0.0f, 0.0f, 1548.0f, 1068.0f});

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
