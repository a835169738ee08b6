#include "ui/MainForm.h"

#include "display/TablePlot.h"
#include "engine/AmplitudeForms.h"
#include "engine/NumberText.h"
#include "engine/StartUp.h"
#include "engine/TableGenerator.h"
#include "export/SaveCommand.h"
#include "ui/AboutBoxes.h"

#include <span>

namespace ondulix::ui {

using engine::ParameterBoxes;
using toolkit::TextBox;

// The steps an edit is made of; each change handler runs a few of them, in its row's order.
enum class EditStep : std::uint8_t {
    ClearPreview,
    ReadTableInputs,
    ReadMinMax,
    ReadOriginRange,
    OriginRangeFromMinMax,
    MinMaxFromOriginRange,
    ShowTableParams,
    CalcTable,
};

// One row of the handler table: the boxes that raise it (an array of four, or a single preview
// box that always passes table 0) and its sequence.
struct ChangeHandler {
    const char* name;
    toolkit::ControlArray<TextBox> ParameterBoxes::*array;
    TextBox* ParameterBoxes::*single;
    std::span<const EditStep> steps;
};

namespace {

using S = EditStep;
constexpr auto kBoundsEdit = std::to_array({S::ReadMinMax, S::OriginRangeFromMinMax,
                                            S::ShowTableParams, S::CalcTable});
constexpr auto kCentreEdit = std::to_array({S::ReadOriginRange, S::MinMaxFromOriginRange,
                                            S::ShowTableParams, S::CalcTable});
constexpr auto kShapeEdit = std::to_array({S::ReadTableInputs, S::ShowTableParams, S::CalcTable});
// Speed and the preview extents do not change any entry: the preview is cleared instead.
constexpr auto kPreviewEdit = std::to_array({S::ClearPreview, S::ReadTableInputs, S::ShowTableParams});

} // namespace

MainForm::MainForm(const FormControls& controls, const FormServices& services)
    : controls_(controls),
      services_(services),
      inputRules_(controls_.boxes, *controls_.picPreview, tableSet_),
      preview_({controls_.checkSin, controls_.picPreview, controls_.lblpeakhigh, controls_.lblpeaklow,
                controls_.boxes.txtPrvXmax},
               tableSet_) {
    attachChangeHandlers();
    if (controls_.Timer1)
        controls_.Timer1->setTickHandler([this] { Timer1_Timer(); });
}

void MainForm::attachChangeHandlers() {
    static constexpr ChangeHandler kHandlers[] = {
        {"txtSinMin_Change", &ParameterBoxes::txtSinMin, nullptr, kBoundsEdit},
        {"txtSinMax_Change", &ParameterBoxes::txtSinMax, nullptr, kBoundsEdit},
        {"txtSinOrigin_Change", &ParameterBoxes::txtSinOrigin, nullptr, kCentreEdit},
        {"txtSinRange_Change", &ParameterBoxes::txtSinRange, nullptr, kCentreEdit},
        {"txtSinLen_Change", &ParameterBoxes::txtSinLen, nullptr, kShapeEdit},
        {"txtSinOffs_Change", &ParameterBoxes::txtSinOffs, nullptr, kShapeEdit},
        {"txtSinwaves_Change", &ParameterBoxes::txtSinWaves, nullptr, kShapeEdit},
        {"txtSinSpeed_Change", &ParameterBoxes::txtSinSpeed, nullptr, kPreviewEdit},
        {"txtPrvXmax_Change", nullptr, &ParameterBoxes::txtPrvXmax, kPreviewEdit},
        {"txtPrvYmin_Change", nullptr, &ParameterBoxes::txtPrvYmin, kPreviewEdit},
        {"txtPrvYmax_Change", nullptr, &ParameterBoxes::txtPrvYmax, kPreviewEdit},
    };
    for (const ChangeHandler& handler : kHandlers) {
        if (handler.array) {
            for (int i = 0; i < engine::kTableCount; ++i) {
                TextBox* box = (controls_.boxes.*handler.array)[static_cast<std::size_t>(i)];
                box->setChangeHandler([this, box, i, &handler] { runChange(*box, i, handler); });
            }
        } else {
            TextBox* box = controls_.boxes.*handler.single;
            box->setChangeHandler([this, box, &handler] { runChange(*box, 0, handler); });
        }
    }
}

// The frame every change handler shares. The sequence rewrites the box being edited, so the
// caret is saved before and put back after; nested runs (a clamp rewriting another box) keep
// their own, and the outermost run restores the user's caret last.
void MainForm::runChange(TextBox& box, int table, const ChangeHandler& handler) {
    if (Refreshing_) {
        if (trace_)
            trace_(handler.name, table, HandlerEvent::Ignored);
        return;
    }
    if (trace_)
        trace_(handler.name, table, HandlerEvent::Started);
    const int caret = box.caret();
    for (const EditStep step : handler.steps)
        runStep(step, table);
    box.setCaret(caret);
    if (trace_)
        trace_(handler.name, table, HandlerEvent::Finished);
}

void MainForm::runStep(EditStep step, int table) {
    engine::TableParams& params = tableSet_.tables[static_cast<std::size_t>(table)];
    switch (step) {
    case EditStep::ClearPreview: clearPreview(); break;
    case EditStep::ReadTableInputs: inputRules_.ReadTableInputs(table); break;
    case EditStep::ReadMinMax: inputRules_.ReadMinMax(table); break;
    case EditStep::ReadOriginRange: inputRules_.ReadOriginRange(table); break;
    case EditStep::OriginRangeFromMinMax: engine::OriginRangeFromMinMax(params); break;
    case EditStep::MinMaxFromOriginRange: engine::MinMaxFromOriginRange(params); break;
    case EditStep::ShowTableParams: ShowTableParams(table); break;
    case EditStep::CalcTable: CalcTable(table); break;
    }
}

void MainForm::clearPreview() { controls_.picPreview->clear(); }

void MainForm::Form_Load() { engine::InitialiseTableSet(tableSet_, *this); }

// Writes table i's parameters and the preview's extents back into the boxes. The guard keeps
// the change notifications these writes raise from running any handler.
void MainForm::ShowTableParams(int table) {
    struct Guard {
        bool& flag;
        explicit Guard(bool& f) : flag(f) { flag = true; }
        ~Guard() { flag = false; }
    } guard(Refreshing_);

    const auto i = static_cast<std::size_t>(table);
    const engine::TableParams& t = tableSet_.tables[i];
    const ParameterBoxes& b = controls_.boxes;
    b.txtSinMin[i]->setText(engine::IntegerText(t.Minimum));
    b.txtSinMax[i]->setText(engine::IntegerText(t.Maximum));
    b.txtSinLen[i]->setText(engine::IntegerText(t.Length));
    b.txtSinOffs[i]->setText(engine::IntegerText(t.Offset));
    b.txtSinWaves[i]->setText(engine::IntegerText(t.Periods));
    b.txtSinSpeed[i]->setText(engine::IntegerText(t.Speed));
    b.txtSinOrigin[i]->setText(engine::IntegerText(t.Origin));
    b.txtSinRange[i]->setText(engine::IntegerText(t.Range));

    // The extents live in the preview's scale; the edges are sums taken in single precision.
    const toolkit::UserScale scale = controls_.picPreview->scale();
    b.txtPrvXmax->setText(engine::FloatText(scale.width + scale.left));
    b.txtPrvYmin->setText(engine::FloatText(scale.top));
    b.txtPrvYmax->setText(engine::FloatText(scale.height + scale.top));
}

void MainForm::CalcTable(int table) {
    const engine::TableParams& params = tableSet_.tables[static_cast<std::size_t>(table)];
    toolkit::Surface& plot = *controls_.SinusPic[static_cast<std::size_t>(table)];
    display::PrepareTablePlot(plot, params);
    engine::ComputeTable(tableSet_, table);
    display::PlotTableEntries(plot, params, tableSet_.values.row(table));
}

void MainForm::PreviewFrame() { preview_.PreviewFrame(); }

void MainForm::Timer1_Timer() { PreviewFrame(); }

void MainForm::Command1_Click() {
    if (!services_.saveDialog || !services_.fileStore)
        return;
    const exporter::SaveOutcome outcome =
        exporter::RunSaveCommand(*services_.saveDialog, *services_.fileStore, tableSet_, services_.programFolder,
                                 {ExportStyle_, ValuesOnLine_});
    if (outcome.result == exporter::SaveOutcome::Result::Failed && services_.messageBox)
        services_.messageBox->show(kSaveFailedTitle, exporter::SaveFailureMessage(outcome));
}

void MainForm::Command2_Click() {
    if (services_.messageBox)
        services_.messageBox->show(kAboutThisTitle, kAboutThisText);
}

void MainForm::Command3_Click() {
    if (services_.messageBox)
        services_.messageBox->show(kAboutUsTitle, kAboutUsText);
}

void MainForm::cmdQuit_Click() { Form_Unload(); }

void MainForm::Form_Unload() {
    if (services_.endProgram)
        services_.endProgram();
}

std::string MainForm::tableFileText(exporter::ExportStyle style) {
    exporter::ValuesOnLine count = 0;
    std::string text;
    exporter::WriteTableFile(text, tableSet_, style, count);
    return text;
}

} // namespace ondulix::ui
