#pragma once

#include "toolkit/Controls.h"

#include <QObject>
#include <QTimer>

namespace ondulix::ui::qt {

// The preview's periodic timer on a precise QTimer. Every timeout runs the tick handler once, to
// its end, on the user-interface thread. Created stopped: the window starts it once it is shown.
class QtTimer final : public QObject, public toolkit::Timer {
public:
    QtTimer(int intervalMs, QObject* parent);

    void setTickHandler(TickHandler handler) override { handler_ = std::move(handler); }
    void start() { timer_.start(); }
    void stop() { timer_.stop(); }
    const QTimer& timer() const { return timer_; }

private:
    QTimer timer_;
    TickHandler handler_;
};

} // namespace ondulix::ui::qt
