#pragma once

#include "toolkit/Controls.h"

namespace ondulix::toolkit {

// The small controls in memory: a check box and a label that hold their state, a button and a
// timer that a test clicks and ticks by hand.

class MemoryCheckBox final : public CheckBox {
public:
    explicit MemoryCheckBox(bool checked = true) : checked_(checked) {}
    bool isChecked() const override { return checked_; }
    void setChecked(bool checked) { checked_ = checked; }

private:
    bool checked_;
};

class MemoryLabel final : public Label {
public:
    explicit MemoryLabel(bool visible = true) : visible_(visible) {}
    bool isVisible() const override { return visible_; }
    void setVisible(bool visible) override { visible_ = visible; }

private:
    bool visible_;
};

class MemoryButton final : public Button {
public:
    void setClickHandler(ClickHandler handler) override { handler_ = std::move(handler); }
    void click() {
        if (handler_)
            handler_();
    }

private:
    ClickHandler handler_;
};

class MemoryTimer final : public Timer {
public:
    void setTickHandler(TickHandler handler) override { handler_ = std::move(handler); }
    void tick() {
        if (handler_)
            handler_();
    }

private:
    TickHandler handler_;
};

} // namespace ondulix::toolkit
