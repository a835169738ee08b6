#include "ui/ParameterInput.h"

#include "engine/InputRules.h"

namespace ondulix::ui {
namespace {

using engine::TableField;
using toolkit::TextBox;

double valueOf(const TextBox& box) { return engine::ReadNumber(box.text()); }

// Replaces a value beyond its limits with the limit's text.
void clamp(TextBox& box, engine::Limits limits) {
    if (auto limit = engine::ReadValue(box.text(), limits).limitText)
        box.setText(*limit);
}

void clamp(TextBox& box, TableField field) { clamp(box, engine::RuleOf(field).limits); }

// The stored value of a box whose text is within its limits.
std::int32_t stored(const TextBox& box, TableField field) { return engine::StoredValue(field, valueOf(box)); }

TextBox& in(const TableRow<TextBox>& row, int table) { return *row[static_cast<std::size_t>(table)]; }

} // namespace

ParameterInput::ParameterInput(const FormControls& controls, engine::TableSet& set, engine::PreviewView& view)
    : controls_(controls), set_(set), view_(view) {}

void ParameterInput::ReadTableInputs(int table) {
    TextBox& length = in(controls_.txtSinLen, table);
    TextBox& offset = in(controls_.txtSinOffs, table);
    TextBox& periods = in(controls_.txtSinWaves, table);
    TextBox& speed = in(controls_.txtSinSpeed, table);
    TextBox& xmax = *controls_.txtPrvXmax;
    TextBox& ymin = *controls_.txtPrvYmin;
    TextBox& ymax = *controls_.txtPrvYmax;

    clamp(length, TableField::Length);
    clamp(offset, TableField::Offset);
    clamp(periods, TableField::Periods);
    clamp(xmax, engine::kPreviewWidthLimits);
    clamp(speed, TableField::Speed);
    clamp(ymin, engine::kPreviewTopLimits);
    clamp(ymax, engine::kPreviewBottomLimits);

    engine::TableParams& t = set_.table(table);
    t.Length = stored(length, TableField::Length);
    t.Offset = stored(offset, TableField::Offset);
    t.Periods = stored(periods, TableField::Periods);
    t.Speed = stored(speed, TableField::Speed);
    if (t.Speed == 0) // a table that stands still stands at its start
        set_.preview.Position[static_cast<std::size_t>(table)] = 0;

    view_.setWidth(static_cast<float>(valueOf(xmax)));
    view_.setTop(static_cast<float>(valueOf(ymin)));
    showView();

    // Rewriting Ymax runs its handler nested, which reads everything above again.
    if (auto raised = engine::RaisedBottomText(valueOf(ymin), valueOf(ymax)))
        ymax.setText(*raised);
    view_.setHeight(engine::PreviewHeight(valueOf(ymin), valueOf(ymax)));
    showView();
}

void ParameterInput::ReadMinMax(int table) {
    readAmplitude(table, {{{TableField::Minimum, &FormControls::txtSinMin}, {TableField::Maximum, &FormControls::txtSinMax}}});
}

void ParameterInput::ReadOriginRange(int table) {
    readAmplitude(table, {{{TableField::Range, &FormControls::txtSinRange}, {TableField::Origin, &FormControls::txtSinOrigin}}});
}

void ParameterInput::readAmplitude(int table, const std::array<FieldBox, 2>& boxes) {
    // Both boxes are clamped first, in this order, and then both are stored.
    for (const auto& [field, row] : boxes)
        clamp(in(controls_.*row, table), field);
    engine::TableParams& t = set_.table(table);
    for (const auto& [field, row] : boxes)
        t.*engine::RuleOf(field).member = stored(in(controls_.*row, table), field);
}

void ParameterInput::showView() {
    const engine::PreviewScale& s = view_.scale();
    controls_.picPreview->setScale({s.left, s.top, s.width, s.height});
}

} // namespace ondulix::ui
