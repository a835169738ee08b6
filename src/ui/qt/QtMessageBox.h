#pragma once

#include "toolkit/Dialogs.h"

#include <memory>

class QMessageBox;
class QWidget;

namespace ondulix::ui::qt {

// A modal message box: title, plain text with its line breaks, a single OK button, and no icon
// anywhere, not even on the button (some styles decorate dialog buttons with icons).
class QtMessageBox final : public toolkit::MessageBox {
public:
    explicit QtMessageBox(QWidget* parent) : parent_(parent) {}

    void show(std::string_view title, std::string_view text) override;

    // The box as show() presents it, ready to run.
    static std::unique_ptr<QMessageBox> build(QWidget* parent, std::string_view title, std::string_view text);

private:
    QWidget* parent_;
};

} // namespace ondulix::ui::qt
