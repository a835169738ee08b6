#pragma once

#include "toolkit/Controls.h"

#include <QLabel>

namespace ondulix::ui::qt {

// A label the window logic shows and hides. Visible means "not hidden": before the window is
// first shown a label counts as visible when it will appear with the window.
class QtLabel final : public toolkit::Label {
public:
    explicit QtLabel(QLabel& label) : label_(label) {}
    bool isVisible() const override { return !label_.isHidden(); }
    void setVisible(bool visible) override {
        if (visible != isVisible()) // the preview sets both markers on every frame
            label_.setVisible(visible);
    }

private:
    QLabel& label_;
};

} // namespace ondulix::ui::qt
