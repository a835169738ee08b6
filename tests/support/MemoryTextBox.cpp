#include "support/MemoryTextBox.h"

#include <algorithm>

namespace ondulix::toolkit {

void MemoryTextBox::setText(std::string_view text) {
    caret_ = 0;
    selectionLength_ = 0;
    if (text == text_)
        return;
    text_ = std::string(text);
    if (handler_)
        handler_();
}

void MemoryTextBox::setCaret(int position) {
    caret_ = std::clamp(position, 0, static_cast<int>(text_.size()));
    selectionLength_ = 0;
}

void MemoryTextBox::select(int start, int length) {
    const int size = static_cast<int>(text_.size());
    caret_ = std::clamp(start, 0, size);
    selectionLength_ = std::clamp(length, 0, size - caret_);
}

void MemoryTextBox::replaceByUser(std::string text, int caret) {
    caret_ = caret;
    selectionLength_ = 0;
    if (text == text_)
        return;
    text_ = std::move(text);
    if (handler_)
        handler_();
}

void MemoryTextBox::type(std::string_view keys) {
    for (const char key : keys) {
        std::string next = text_;
        const auto at = static_cast<std::size_t>(caret_);
        next.replace(at, static_cast<std::size_t>(selectionLength_), 1, key);
        replaceByUser(std::move(next), caret_ + 1);
    }
}

void MemoryTextBox::paste(std::string_view text) {
    std::string next = text_;
    next.replace(static_cast<std::size_t>(caret_), static_cast<std::size_t>(selectionLength_), text);
    replaceByUser(std::move(next), caret_ + static_cast<int>(text.size()));
}

void MemoryTextBox::backspace() {
    std::string next = text_;
    if (selectionLength_ > 0) {
        next.erase(static_cast<std::size_t>(caret_), static_cast<std::size_t>(selectionLength_));
        replaceByUser(std::move(next), caret_);
    } else if (caret_ > 0) {
        next.erase(static_cast<std::size_t>(caret_ - 1), 1);
        replaceByUser(std::move(next), caret_ - 1);
    }
}

} // namespace ondulix::toolkit
