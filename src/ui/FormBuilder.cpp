#include "ui/FormBuilder.h"

#include <stdexcept>
#include <type_traits>

namespace ondulix::ui {
namespace {

// Every member of FormControls is a pointer or an array of pointers, so its size counts the
// places a complete form fills.
static_assert(std::is_standard_layout_v<FormControls>);
constexpr std::size_t kControlPlaces = sizeof(FormControls) / sizeof(void*);

// Back to front: the window's background items, then the windowed controls.
int drawingLayer(ControlKind kind) {
    switch (kind) {
    case ControlKind::Label:
        return 0;
    case ControlKind::Line:
        return 1;
    default:
        return 2;
    }
}
constexpr int kDrawingLayers = 3;

class Binder {
public:
    explicit Binder(FormControls& controls) : controls_(controls) {}

    template <class Interface>
    void bind(const LayoutItem& item, Interface* control) {
        if (!item.isBound())
            return;
        bool placed = false;
        std::visit(
            [&](auto member) {
                using Member = decltype(member);
                if constexpr (std::is_same_v<Member, Interface* FormControls::*>) {
                    place(item, controls_.*member, control);
                    placed = true;
                } else if constexpr (std::is_same_v<Member, TableRow<Interface> FormControls::*>) {
                    if (item.index < 0 || item.index >= engine::kTableCount)
                        fail(item, "has no table index 0 to 3 for its row");
                    place(item, (controls_.*member)[static_cast<std::size_t>(item.index)], control);
                    placed = true;
                }
            },
            item.slot);
        if (!placed)
            fail(item, "is bound to a place for another kind of control");
    }

    void checkComplete() const {
        if (filled_ != kControlPlaces)
            throw std::logic_error("the window's layout fills " + std::to_string(filled_) + " of the " +
                                   std::to_string(kControlPlaces) + " places of FormControls; bind every one");
    }

private:
    template <class Interface>
    void place(const LayoutItem& item, Interface*& place, Interface* control) {
        if (!control)
            fail(item, "was not made by the window's control factory");
        if (place)
            fail(item, "takes a place that another row of the layout already filled");
        place = control;
        ++filled_;
    }

    [[noreturn]] static void fail(const LayoutItem& item, const std::string& what) {
        throw std::logic_error("the window's layout row " + controlName(item) + " " + what);
    }

    FormControls& controls_;
    std::size_t filled_ = 0;
};

void makeControl(ControlFactory& factory, const LayoutItem& item, Binder& binder) {
    switch (item.kind) {
    case ControlKind::Label: binder.bind(item, factory.label(item)); break;
    case ControlKind::TextBox: binder.bind(item, factory.textBox(item)); break;
    case ControlKind::CheckBox: binder.bind(item, factory.checkBox(item)); break;
    case ControlKind::PictureBox: binder.bind(item, factory.pictureBox(item)); break;
    case ControlKind::Button: binder.bind(item, factory.button(item)); break;
    case ControlKind::Line: factory.line(item); break;
    case ControlKind::Timer: binder.bind(item, factory.timer(item)); break;
    case ControlKind::CommonDialog: factory.commonDialog(item); break;
    }
}

} // namespace

FormControls BuildForm(ControlFactory& factory) {
    FormControls controls;
    Binder binder(controls);
    for (int layer = 0; layer < kDrawingLayers; ++layer)
        for (const LayoutItem& item : kMainWindowLayout)
            if (drawingLayer(item.kind) == layer)
                makeControl(factory, item, binder);
    binder.checkComplete();
    return controls;
}

} // namespace ondulix::ui
