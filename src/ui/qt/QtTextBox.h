#pragma once

#include "toolkit/TextBox.h"

#include <QObject>
#include <QString>

class QLineEdit;

namespace ondulix::ui::qt {

// A text box on a QLineEdit, with the semantics the window logic relies on: setting the text
// puts the caret at the start, a caret past the end goes to the end, and the change handler runs
// synchronously, exactly once per real change of the text, whether the program or the user made
// it. Owns nothing: the line edit belongs to the window.
class QtTextBox final : public QObject, public toolkit::TextBox {
public:
    explicit QtTextBox(QLineEdit& edit);

    std::string text() const override;
    void setText(std::string_view text) override;
    int caret() const override;
    void setCaret(int position) override;
    void setChangeHandler(ChangeHandler handler) override { handler_ = std::move(handler); }

    QLineEdit& lineEdit() const { return edit_; }

private:
    void noticeChange(const QString& text);

    QLineEdit& edit_;
    QString knownText_;   // the text the handler last heard about
    bool settingText_ = false;
    ChangeHandler handler_;
};

} // namespace ondulix::ui::qt
