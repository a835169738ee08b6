#pragma once

#include <cstdint>
#include <optional>

namespace ondulix::bench {

// What the operating system counts for this process: processor time, resident memory, and a
// monotonic clock that every process on the machine shares, so that a child can stamp an instant
// that its parent compares with its own.
class ProcessStats {
public:
    // Processor time used by the process so far, user and system, in seconds.
    static double CpuSeconds();
    // The largest resident set the process has had, in KiB; nothing where it is not counted.
    static std::optional<std::int64_t> PeakResidentKiB();
    // The resident set now, in KiB; nothing where it cannot be read.
    static std::optional<std::int64_t> ResidentKiB();
    // Nanoseconds of the system-wide monotonic clock.
    static std::int64_t MonotonicNanoseconds();
};

} // namespace ondulix::bench
