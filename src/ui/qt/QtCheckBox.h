#pragma once

#include "toolkit/Controls.h"

#include <QCheckBox>

namespace ondulix::ui::qt {

// A check box the window logic reads; the user alone changes it.
class QtCheckBox final : public toolkit::CheckBox {
public:
    explicit QtCheckBox(const QCheckBox& box) : box_(box) {}
    bool isChecked() const override { return box_.isChecked(); }

private:
    const QCheckBox& box_;
};

} // namespace ondulix::ui::qt
