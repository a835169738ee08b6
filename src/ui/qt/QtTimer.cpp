#include "ui/qt/QtTimer.h"

#include "ui/qt/VectorState.h"

namespace ondulix::ui::qt {

QtTimer::QtTimer(int intervalMs, QObject* parent) : QObject(parent) {
    // A coarse timer may fire up to 5 % late and would be bunched with others; the preview's
    // speed follows the tick rate, so ask for the precise one.
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(intervalMs);
    connect(&timer_, &QTimer::timeout, this, [this] {
        ClearUpperVectorState();
        if (handler_)
            handler_();
    });
}

} // namespace ondulix::ui::qt
