#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace ondulix::toolkit {

// A single-line text box as the window logic sees it. Writing a different text raises the change
// notification synchronously: the handler runs to its end, nested, before setText returns.
// Writing the text the box already holds raises nothing.
class TextBox {
public:
    using ChangeHandler = std::function<void()>;

    virtual ~TextBox() = default;

    virtual std::string text() const = 0;
    // Replaces the whole text and puts the caret at the start.
    virtual void setText(std::string_view text) = 0;

    // Caret position as a character index (the start of any selection).
    virtual int caret() const = 0;
    // Clears any selection; a position past the end puts the caret at the end.
    virtual void setCaret(int position) = 0;

    virtual void setChangeHandler(ChangeHandler handler) = 0;
};

} // namespace ondulix::toolkit
