#pragma once

#include "ui/MainWindowLayout.h"
#include "ui/FormControls.h"

namespace ondulix::ui {

// Makes the controls of one kind of window: the Qt widgets, or the in-memory controls. Each call
// creates the control a row of the layout describes and returns the interface the window logic
// uses, or nothing for a control the logic never touches (a label with a fixed caption, a line,
// the save dialog's component).
class ControlFactory {
public:
    virtual ~ControlFactory() = default;
    virtual toolkit::TextBox* textBox(const LayoutItem& item) = 0;
    virtual toolkit::CheckBox* checkBox(const LayoutItem& item) = 0;
    virtual toolkit::Surface* pictureBox(const LayoutItem& item) = 0;
    virtual toolkit::Label* label(const LayoutItem& item) = 0;
    virtual toolkit::Button* button(const LayoutItem& item) = 0;
    virtual void line(const LayoutItem& item) = 0;
    virtual toolkit::Timer* timer(const LayoutItem& item) = 0;
    virtual void commonDialog(const LayoutItem& item) = 0;
};

// Walks the layout table once and puts every control the factory makes into its place among
// the form's controls. Controls are made in drawing order, back to front: the labels on the
// window's background, then the lines over them, then the windowed controls, which cover
// everything drawn on the background. Throws std::logic_error when the layout leaves a place
// empty, fills one twice, or binds a control to a place of another kind.
FormControls BuildForm(ControlFactory& factory);

} // namespace ondulix::ui
