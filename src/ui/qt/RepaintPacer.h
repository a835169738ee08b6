#pragma once

#include <QTimer>

#include <cstdint>
#include <functional>
#include <optional>

namespace ondulix::ui::qt {

// Spaces a picture box's repaints by the display's refresh period, so that a preview drawn
// hundreds of times a second reaches the screen at most at the display's refresh rate.
//
// Drawing after a quiet spell asks for a repaint in the next pass of the event loop. Drawing
// within the period since then leaves a repaint owed, which the first drawing after the period
// pays at once: a running preview wakes the loop for nothing more than its ticks. When no later
// drawing comes, a timer pays it a little after the period.
class RepaintPacer {
public:
    enum class When { NextPass, Now };
    // Milliseconds on a monotonic clock.
    using Clock = std::function<std::int64_t()>;
    static std::int64_t SteadyMilliseconds();

    // `period` tells the display's refresh period in milliseconds, asked at the start of each
    // period; `repaint` repaints the box.
    RepaintPacer(std::function<int()> period, std::function<void(When)> repaint, Clock clock = SteadyMilliseconds);

    // Something was drawn.
    void drawn();

private:
    void due();

    std::function<int()> period_;
    std::function<void(When)> repaint_;
    Clock clock_;
    std::optional<std::int64_t> lastRepaint_; // when the last repaint was asked for
    int periodMs_ = 0;                        // the refresh period at that repaint
    bool owed_ = false;                       // drawn within the period since that repaint
    QTimer later_;                            // pays an owed repaint when no later drawing does
};

} // namespace ondulix::ui::qt
