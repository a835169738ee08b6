#pragma once

#include "engine/TableSet.h"

#include <cmath>
#include <vector>

namespace ondulix::bench {

// The floor of the largest table computation: std::sin on the 16,385 angles of a table of Length
// 16384 with Periods and Offset 16384, precomputed in the generator's grouping, so that what is
// timed is the sines and nothing else.
inline std::vector<double> LargestTableAngles() {
    const double pi = static_cast<double>(engine::Pi);
    std::vector<double> angles;
    angles.reserve(16385);
    for (int x = 0; x <= 16384; ++x)
        angles.push_back((static_cast<double>(16384 + x) * (16384.0 * (pi + pi))) / 16384.0);
    return angles;
}

// Summed, so that the compiler cannot drop a single call.
inline double SumOfSines(const std::vector<double>& angles) {
    double sum = 0.0;
    for (const double a : angles)
        sum += std::sin(a);
    return sum;
}

} // namespace ondulix::bench
