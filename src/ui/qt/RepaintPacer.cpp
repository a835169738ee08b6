#include "ui/qt/RepaintPacer.h"

#include <chrono>

namespace ondulix::ui::qt {
namespace {

// A repaint owed within a refresh period waits this much past the period for later drawing to
// pay it, which the preview's next tick, 2 ms on, does first.
constexpr int kRepaintSlackMs = 5;

} // namespace

std::int64_t RepaintPacer::SteadyMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

RepaintPacer::RepaintPacer(std::function<int()> period, std::function<void(When)> repaint, Clock clock)
    : period_(std::move(period)), repaint_(std::move(repaint)), clock_(std::move(clock)) {
    later_.setSingleShot(true);
    QObject::connect(&later_, &QTimer::timeout, [this] { due(); });
}

void RepaintPacer::drawn() {
    const std::int64_t now = clock_();
    if (lastRepaint_ && now - *lastRepaint_ <= periodMs_) {
        owed_ = true;
        if (!later_.isActive())
            later_.start(static_cast<int>(*lastRepaint_ + periodMs_ - now) + kRepaintSlackMs);
        return;
    }
    const bool paying = owed_;
    if (later_.isActive())
        later_.stop();
    owed_ = false;
    lastRepaint_ = now;
    periodMs_ = period_();
    repaint_(paying ? When::Now : When::NextPass);
}

void RepaintPacer::due() {
    if (owed_)
        drawn();
}

} // namespace ondulix::ui::qt
