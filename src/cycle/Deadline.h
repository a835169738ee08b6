#pragma once

#include <chrono>
#include <functional>
#include <optional>

namespace ondulix::cycle {

// Thrown by Deadline::check once the search's time is up.
struct OutOfTime {};

// The end of a search's time, looked at now and then from its loops: check() is called between
// pieces of work of at most a millisecond or so, and reads the clock at every kCallsPerLook-th
// call, which keeps the looks cheap beside pieces of a microsecond. A look also passes the time
// on to whoever shows progress, about ten times a second.
class Deadline {
public:
    using Clock = std::chrono::steady_clock;

    Deadline() = default; // no end, no progress
    Deadline(std::optional<Clock::duration> limit, std::function<void(Clock::duration)> progress)
        : start_(Clock::now()), progress_(std::move(progress)) {
        if (limit)
            end_ = start_ + *limit;
    }

    // Throws OutOfTime once the end is past.
    void check() const {
        if ((!end_ && !progress_) || ++calls_ < kCallsPerLook)
            return;
        calls_ = 0;
        const Clock::time_point now = Clock::now();
        if (progress_ && now >= nextProgress_) {
            nextProgress_ = now + kProgressEvery;
            progress_(now - start_);
        }
        if (end_ && now >= *end_)
            throw OutOfTime{};
    }

    bool passed() const { return end_ && Clock::now() >= *end_; }

private:
    static constexpr unsigned kCallsPerLook = 32;
    static constexpr Clock::duration kProgressEvery = std::chrono::milliseconds(100);

    Clock::time_point start_{};
    std::optional<Clock::time_point> end_;
    std::function<void(Clock::duration)> progress_;
    mutable Clock::time_point nextProgress_{};
    mutable unsigned calls_ = 0;
};

} // namespace ondulix::cycle
