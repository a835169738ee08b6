#pragma once

#include "toolkit/Controls.h"
#include "ui/qt/VectorState.h"

#include <QObject>
#include <QPushButton>

namespace ondulix::ui::qt {

// A push button whose clicks reach the window logic. Owned by its button.
class QtButton final : public QObject, public toolkit::Button {
public:
    explicit QtButton(QPushButton& button) : QObject(&button) {
        connect(&button, &QPushButton::clicked, this, [this] {
            ClearUpperVectorState();
            if (handler_)
                handler_();
        });
    }
    void setClickHandler(ClickHandler handler) override { handler_ = std::move(handler); }

private:
    ClickHandler handler_;
};

} // namespace ondulix::ui::qt
