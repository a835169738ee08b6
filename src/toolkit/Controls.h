#pragma once

#include <functional>

namespace ondulix::toolkit {

class CheckBox {
public:
    virtual ~CheckBox() = default;
    virtual bool isChecked() const = 0;
};

class Label {
public:
    virtual ~Label() = default;
    virtual bool isVisible() const = 0;
    virtual void setVisible(bool visible) = 0;
};

// A push button; the window logic only listens to its clicks.
class Button {
public:
    using ClickHandler = std::function<void()>;
    virtual ~Button() = default;
    virtual void setClickHandler(ClickHandler handler) = 0;
};

// A periodic timer; the window logic only listens to its ticks.
class Timer {
public:
    using TickHandler = std::function<void()>;
    virtual ~Timer() = default;
    virtual void setTickHandler(TickHandler handler) = 0;
};

} // namespace ondulix::toolkit
