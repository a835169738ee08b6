#include "ProcessStats.h"

#include <chrono>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

#if defined(__unix__) || defined(__APPLE__)
#include <sys/resource.h>
#define ONDULIX_HAVE_GETRUSAGE 1
#endif

namespace ondulix::bench {

double ProcessStats::CpuSeconds() {
#ifdef ONDULIX_HAVE_GETRUSAGE
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
#else
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
#endif
}

std::optional<std::int64_t> ProcessStats::PeakResidentKiB() {
#ifdef ONDULIX_HAVE_GETRUSAGE
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0)
        return std::nullopt;
#ifdef __APPLE__
    return static_cast<std::int64_t>(usage.ru_maxrss) / 1024; // bytes there
#else
    return static_cast<std::int64_t>(usage.ru_maxrss); // KiB on Linux and the BSDs
#endif
#else
    return std::nullopt;
#endif
}

std::optional<std::int64_t> ProcessStats::ResidentKiB() {
    // Linux: "VmRSS:    12345 kB" in the process's status file.
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) != 0)
            continue;
        std::istringstream fields(line.substr(6));
        std::int64_t kib = 0;
        if (fields >> kib)
            return kib;
    }
    return std::nullopt;
}

std::int64_t ProcessStats::MonotonicNanoseconds() {
    // steady_clock is CLOCK_MONOTONIC on Linux and the system-wide uptime clock on macOS and
    // Windows: one clock for all processes.
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace ondulix::bench
