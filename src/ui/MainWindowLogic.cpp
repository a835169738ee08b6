#include "ui/MainWindowLogic.h"

#include "display/PreviewFrame.h"
#include "display/TablePlot.h"
#include "engine/AmplitudeForms.h"
#include "engine/NumberText.h"
#include "engine/PreviewCheck.h"
#include "engine/PreviewVerdict.h"
#include "engine/SumRange.h"
#include "engine/TableGenerator.h"
#include "export/SaveCommand.h"
#include "ui/AboutBoxes.h"

#include <span>

namespace ondulix::ui {

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
// box that always passes table 0), named as the layout names them, and its sequence.
struct ChangeHandler {
    const char* box;
    TableRow<TextBox> FormControls::*row;
    TextBox* FormControls::*single;
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

MainWindowLogic::MainWindowLogic(const FormControls& controls, const FormServices& services)
    : controls_(controls), services_(services), input_(controls_, tableSet_, previewView_) {
    attachHandlers();
}

void MainWindowLogic::attachHandlers() {
    static constexpr ChangeHandler kHandlers[] = {
        {"txtSinMin", &FormControls::txtSinMin, nullptr, kBoundsEdit},
        {"txtSinMax", &FormControls::txtSinMax, nullptr, kBoundsEdit},
        {"txtSinOrigin", &FormControls::txtSinOrigin, nullptr, kCentreEdit},
        {"txtSinRange", &FormControls::txtSinRange, nullptr, kCentreEdit},
        {"txtSinLen", &FormControls::txtSinLen, nullptr, kShapeEdit},
        {"txtSinOffs", &FormControls::txtSinOffs, nullptr, kShapeEdit},
        {"txtSinWaves", &FormControls::txtSinWaves, nullptr, kShapeEdit},
        {"txtSinSpeed", &FormControls::txtSinSpeed, nullptr, kPreviewEdit},
        {"txtPrvXmax", nullptr, &FormControls::txtPrvXmax, kPreviewEdit},
        {"txtPrvYmin", nullptr, &FormControls::txtPrvYmin, kPreviewEdit},
        {"txtPrvYmax", nullptr, &FormControls::txtPrvYmax, kPreviewEdit},
    };
    for (const ChangeHandler& handler : kHandlers) {
        if (handler.row) {
            for (int i = 0; i < engine::kTableCount; ++i) {
                TextBox* box = (controls_.*handler.row)[static_cast<std::size_t>(i)];
                box->setChangeHandler([this, box, i, &handler] { runChange(*box, i, handler); });
            }
        } else {
            TextBox* box = controls_.*handler.single;
            box->setChangeHandler([this, box, &handler] { runChange(*box, 0, handler); });
        }
    }

    using Click = void (MainWindowLogic::*)();
    static constexpr std::pair<toolkit::Button* FormControls::*, Click> kClicks[] = {
        {&FormControls::cmdWriteFile, &MainWindowLogic::onWriteFile},
        {&FormControls::cmdAboutThis, &MainWindowLogic::onAboutThis},
        {&FormControls::cmdAboutUs, &MainWindowLogic::onAboutUs},
        {&FormControls::cmdQuit, &MainWindowLogic::onQuit},
    };
    for (const auto& [button, click] : kClicks)
        (controls_.*button)->setClickHandler([this, click] { (this->*click)(); });

    controls_.tmrPreview->setTickHandler([this] { onPreviewTick(); });
    controls_.picPreview->setToolTipSource([this] { return previewToolTip(); });
}

// The frame every change handler shares. The sequence rewrites the box being edited, so the
// caret is saved before and put back after; nested runs (a clamp rewriting another box) keep
// their own, and the outermost run restores the user's caret last.
void MainWindowLogic::runChange(TextBox& box, int table, const ChangeHandler& handler) {
    if (Refreshing_) {
        if (trace_)
            trace_(handler.box, table, HandlerEvent::Ignored);
        return;
    }
    if (trace_)
        trace_(handler.box, table, HandlerEvent::Started);
    const int caret = box.caret();
    for (const EditStep step : handler.steps)
        runStep(step, table);
    box.setCaret(caret);
    if (trace_)
        trace_(handler.box, table, HandlerEvent::Finished);
}

void MainWindowLogic::runStep(EditStep step, int table) {
    engine::TableParams& params = tableSet_.table(table);
    switch (step) {
    case EditStep::ClearPreview: clearPreview(); break;
    case EditStep::ReadTableInputs: input_.ReadTableInputs(table); break;
    case EditStep::ReadMinMax: input_.ReadMinMax(table); break;
    case EditStep::ReadOriginRange: input_.ReadOriginRange(table); break;
    case EditStep::OriginRangeFromMinMax: engine::OriginRangeFromMinMax(params); break;
    case EditStep::MinMaxFromOriginRange: engine::MinMaxFromOriginRange(params); break;
    case EditStep::ShowTableParams: ShowTableParams(table); break;
    case EditStep::CalcTable: CalcTable(table); break;
    }
}

void MainWindowLogic::clearPreview() { controls_.picPreview->clear(); }

void MainWindowLogic::start() { engine::InitialiseTableSet(tableSet_, *this); }

// Writes table i's parameters and the preview's extents back into the boxes. The guard keeps
// the change notifications these writes raise from running any handler.
void MainWindowLogic::ShowTableParams(int table) {
    struct Guard {
        bool& flag;
        explicit Guard(bool& f) : flag(f) { flag = true; }
        ~Guard() { flag = false; }
    } guard(Refreshing_);

    const auto i = static_cast<std::size_t>(table);
    const engine::TableParams& t = tableSet_.table(table);
    const FormControls& b = controls_;
    b.txtSinMin[i]->setText(engine::IntegerText(t.Minimum));
    b.txtSinMax[i]->setText(engine::IntegerText(t.Maximum));
    b.txtSinLen[i]->setText(engine::IntegerText(t.Length));
    b.txtSinOffs[i]->setText(engine::IntegerText(t.Offset));
    b.txtSinWaves[i]->setText(engine::IntegerText(t.Periods));
    b.txtSinSpeed[i]->setText(engine::IntegerText(t.Speed));
    b.txtSinOrigin[i]->setText(engine::IntegerText(t.Origin));
    b.txtSinRange[i]->setText(engine::IntegerText(t.Range));

    // The edges are sums taken in single precision, as the preview's scale holds them.
    b.txtPrvXmax->setText(engine::FloatText(previewView_.Xmax()));
    b.txtPrvYmin->setText(engine::FloatText(previewView_.Ymin()));
    b.txtPrvYmax->setText(engine::FloatText(previewView_.Ymax()));
}

void MainWindowLogic::CalcTable(int table) {
    const engine::TableParams& params = tableSet_.table(table);
    std::optional<engine::TableParams>& computed = computedFrom_[static_cast<std::size_t>(table)];
    if (computed == params)
        return;
    toolkit::Surface& plot = *controls_.SinusPic[static_cast<std::size_t>(table)];
    display::PrepareTablePlot(plot, params);
    engine::ComputeTable(tableSet_, table);
    display::PlotTableEntries(plot, params, tableSet_.values.row(table));
    computed = params;
}

engine::Participation MainWindowLogic::participation() const {
    engine::Participation ticked{};
    for (std::size_t t = 0; t < ticked.size(); ++t)
        ticked[t] = controls_.checkSin[t]->isChecked();
    return ticked;
}

std::string MainWindowLogic::previewToolTip() {
    const engine::Participation ticked = participation();
    engine::PreviewCycleInput input = engine::CycleInputOf(tableSet_, previewView_, ticked);
    if (verdict_ && verdict_->tables == tableSet_.tables && verdict_->ticked == ticked &&
        verdict_->scale == previewView_.scale()) {
        // The frames since then walked on along the same cycle, unless an edit moved a position.
        for (std::size_t t = 0; t < input.tables.size(); ++t)
            input.tables[t].Position = verdict_->positions[t];
        if (engine::ComesToPositions(input, tableSet_.preview.Position))
            return verdict_->toolTip;
        input = engine::CycleInputOf(tableSet_, previewView_, ticked);
    }
    verdict_ = {tableSet_.tables, ticked, previewView_.scale(), tableSet_.preview.Position,
                engine::PreviewToolTip(engine::PreviewSumRange(input), previewView_)};
    return verdict_->toolTip;
}

void MainWindowLogic::PreviewFrame() {
    const engine::Participation ticked = participation();
    const display::PeakFlags flags = display::DrawPreviewFrame(*controls_.picPreview, tableSet_, previewView_, ticked, frameScratch_);
    controls_.lblpeakhigh->setVisible(flags.upper);
    controls_.lblpeaklow->setVisible(flags.lower);
    engine::AdvancePositions(tableSet_);
}

void MainWindowLogic::onPreviewTick() { PreviewFrame(); }

void MainWindowLogic::onWriteFile() {
    if (!services_.saveDialog || !services_.fileStore)
        return;
    const exporter::SaveOutcome outcome =
        exporter::RunSaveCommand(*services_.saveDialog, *services_.fileStore, tableSet_, services_.programFolder);
    if (outcome.result == exporter::SaveOutcome::Result::Failed && services_.messageBox)
        services_.messageBox->show(kSaveFailedTitle, exporter::SaveFailureMessage(outcome));
}

void MainWindowLogic::onAboutThis() {
    if (services_.messageBox)
        services_.messageBox->show(kAboutThisTitle, kAboutThisText);
}

void MainWindowLogic::onAboutUs() {
    if (services_.messageBox)
        services_.messageBox->show(kAboutUsTitle, kAboutUsText);
}

void MainWindowLogic::onQuit() { onClose(); }

void MainWindowLogic::onClose() {
    if (services_.endProgram)
        services_.endProgram();
}

std::string MainWindowLogic::tableFileText(exporter::ExportStyle style) const {
    return exporter::WriteTableFile(tableSet_, style);
}

} // namespace ondulix::ui
