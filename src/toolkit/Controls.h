#pragma once

#include <array>
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

// A periodic timer; the window logic only listens to its ticks.
class Timer {
public:
    using TickHandler = std::function<void()>;
    virtual ~Timer() = default;
    virtual void setTickHandler(TickHandler handler) = 0;
};

// The per-table controls come in arrays of four, index = table index.
inline constexpr int kTableCount = 4;

template <class Control>
using ControlArray = std::array<Control*, kTableCount>;

} // namespace ondulix::toolkit
