#include "ui/qt/QtTextBox.h"

#include "ui/qt/VectorState.h"

#include <QLineEdit>

#include <algorithm>

namespace ondulix::ui::qt {

QtTextBox::QtTextBox(QLineEdit& edit) : QObject(&edit), edit_(edit), knownText_(edit.text()) {
    // textChanged covers typing, pasting, undo and drops alike; the comparison with the known
    // text keeps it to one notification per real change.
    connect(&edit_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!settingText_)
            noticeChange(text);
    });
}

std::string QtTextBox::text() const { return edit_.text().toStdString(); }

void QtTextBox::setText(std::string_view text) {
    const QString next = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (next != edit_.text()) {
        // Qt announces the new text with the caret still at the end; the handler must see the
        // caret where it will stay, at the start, so announce it ourselves once it is there.
        settingText_ = true;
        edit_.setText(next);
        settingText_ = false;
    }
    edit_.setCursorPosition(0);
    noticeChange(edit_.text());
}

int QtTextBox::caret() const {
    return edit_.hasSelectedText() ? edit_.selectionStart() : edit_.cursorPosition();
}

void QtTextBox::setCaret(int position) {
    // QLineEdit ignores a position past the end instead of clamping it.
    const int end = static_cast<int>(edit_.text().size());
    edit_.setCursorPosition(std::clamp(position, 0, end));
    edit_.deselect();
}

void QtTextBox::noticeChange(const QString& text) {
    if (text == knownText_)
        return;
    knownText_ = text;
    ClearUpperVectorState(); // the handler's work is ours, after Qt's
    if (handler_)
        handler_();
}

} // namespace ondulix::ui::qt
