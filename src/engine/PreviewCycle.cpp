#include "engine/PreviewCycle.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <stdexcept>
#include <string>

namespace ondulix::engine {
namespace {

// Entries within +-2^22 keep a sum of four within +-2^24, exact in single precision.
constexpr std::int32_t kLargestEntry = 1 << 22;

void require(bool condition, const std::string& what) {
    if (!condition)
        throw std::invalid_argument("preview cycle: " + what);
}

} // namespace

void CheckCycleInput(const PreviewCycleInput& in) {
    for (std::size_t i = 0; i < in.tables.size(); ++i) {
        const PreviewCycleTable& t = in.tables[i];
        const std::string table = "table " + std::to_string(i);
        require(t.Length >= 1 && t.Length <= kMaxLength, table + " needs a Length of 1 to 16384");
        if (!t.ticked)
            continue;
        require(t.entries.size() >= static_cast<std::size_t>(t.Length), table + " has fewer entries than its Length");
        const auto entries = t.entries.first(static_cast<std::size_t>(t.Length));
        require(std::all_of(entries.begin(), entries.end(),
                            [](std::int32_t e) { return e >= -kLargestEntry && e <= kLargestEntry; }),
                table + " has an entry beyond +-2^22");
    }
    require(in.columnStep >= 1, "the column step must be at least 1");
    require(!(in.lastColumn > kMaxLength), "the last column must be at most 16384");
}

// The frame's loop `for (x = 0; x <= last; x += step)` draws whole x, so it stops after the last
// multiple of the step not above floor(last).
std::int32_t ColumnCount(const PreviewCycleInput& in) {
    if (!(in.lastColumn >= 0.0))
        return 0;
    return static_cast<std::int32_t>(std::floor(in.lastColumn)) / in.columnStep + 1;
}

// Table t's position is back every Length / gcd(Length, Speed) frames. Four such periods of at
// most 16384 have an lcm below 2^56.
std::uint64_t CycleFrames(const PreviewCycleInput& in) {
    std::uint64_t frames = 1;
    for (const PreviewCycleTable& t : in.tables) {
        const std::int32_t step = static_cast<std::int32_t>((t.Speed % t.Length + t.Length) % t.Length);
        frames = std::lcm(frames, static_cast<std::uint64_t>(t.Length / std::gcd(t.Length, step)));
    }
    return frames;
}

double LargestPastTop(double top) {
    return std::isnan(top) ? -std::numeric_limits<double>::infinity() : std::ceil(top) - 1.0;
}

double SmallestPastBottom(double top, double bottom) {
    const double below = std::isnan(bottom) ? std::numeric_limits<double>::infinity() : std::floor(bottom) + 1.0;
    return std::max(below, LargestPastTop(top) + 1.0);
}

} // namespace ondulix::engine
