#pragma once

#include "toolkit/TextBox.h"

#include <string>
#include <string_view>

namespace ondulix::toolkit {

// A text box in memory that behaves as the real one does: a change notification for every edit
// that changes the text, raised at once and nested when a handler writes another box; the caret
// put at the start by a program's write and after the typed text by a user's edit. Tests and
// benchmarks type into it as a user types into the window.
class MemoryTextBox final : public TextBox {
public:
    explicit MemoryTextBox(std::string text = {}) : text_(std::move(text)) {}

    std::string text() const override { return text_; }
    void setText(std::string_view text) override;
    int caret() const override { return caret_; }
    void setCaret(int position) override;
    void setChangeHandler(ChangeHandler handler) override { handler_ = std::move(handler); }

    // What a user does: select a range (for typing over it) and type or delete at the caret.
    void select(int start, int length);
    void type(std::string_view keys); // each key replaces the selection or inserts at the caret
    void paste(std::string_view text); // the whole text replaces the selection in one edit
    void backspace();

private:
    void replaceByUser(std::string text, int caret);

    std::string text_;
    int caret_ = 0;
    int selectionLength_ = 0;
    ChangeHandler handler_;
};

} // namespace ondulix::toolkit
