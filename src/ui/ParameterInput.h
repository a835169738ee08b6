#pragma once

#include "engine/InputRules.h"
#include "engine/PreviewView.h"
#include "engine/TableSet.h"
#include "ui/FormControls.h"

#include <array>

namespace ondulix::ui {

// Reads a table's boxes, and the preview's, into the model by the input rules: a value beyond
// its limit is replaced in its box by the limit, and that write raises the box's change
// notification, whose handler runs nested before the procedure goes on (the nested run finds
// the value inside its limits and writes nothing more). The preview's extents go into the
// model's view and, so that it draws in them, into the preview picture's scale.
class ParameterInput {
public:
    ParameterInput(const FormControls& controls, engine::TableSet& set, engine::PreviewView& view);

    // Length, Offset, Periods and Speed of a table, and the preview's extents.
    void ReadTableInputs(int table);
    // Minimum and Maximum of a table.
    void ReadMinMax(int table);
    // Origin and Range of a table.
    void ReadOriginRange(int table);

private:
    // A field and the row of boxes it is typed into.
    struct FieldBox {
        engine::TableField field;
        TableRow<toolkit::TextBox> FormControls::*row;
    };
    void readAmplitude(int table, const std::array<FieldBox, 2>& boxes);
    void showView();

    const FormControls& controls_;
    engine::TableSet& set_;
    engine::PreviewView& view_;
};

} // namespace ondulix::ui
