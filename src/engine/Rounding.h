#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace ondulix::engine {

// Rounds to the nearest integer, an exact half to the even neighbour (2.5 -> 2, 3.5 -> 4,
// -0.5 -> 0, -1.5 -> -2). This is the only rounding the tool does: table entries, derived bounds
// and centres, stored parameters, plot strides, preview steps and preview positions all go
// through it. This one keeps the whole number in double precision, for values beyond 32 bits.
inline double RoundedHalfEven(double value) {
    // Adding and removing 2^52 leaves no fraction bits, so the FPU's round-to-nearest-even does
    // the rounding; this is exact for |value| < 2^52 (larger doubles are whole already) and much
    // cheaper than nearbyint().
    constexpr double kTwoPow52 = 4503599627370496.0;
    const double magnitude = std::fabs(value);
    return magnitude < kTwoPow52 ? std::copysign((magnitude + kTwoPow52) - kTwoPow52, value) : value;
}

// The same as a 32-bit integer. Values outside the 32-bit range saturate and NaN gives 0; the
// input limits keep every real caller far inside the range, so this only guards against misuse.
//
// Written without branches so that a loop over a table's entries vectorises: the rounding first,
// by the same 2^52 sum as above without its guard (beyond 2^52 the sum is inexact, but it stays
// just as far outside 32 bits and saturates alike), then the saturation as selections.
inline std::int32_t RoundHalfEven(double value) {
    constexpr double kTwoPow52 = 4503599627370496.0;
    constexpr double kHighest = std::numeric_limits<std::int32_t>::max();
    constexpr double kLowest = std::numeric_limits<std::int32_t>::min();
    const double magnitude = std::fabs(value);
    double rounded = std::copysign((magnitude + kTwoPow52) - kTwoPow52, value);
    rounded = rounded >= kHighest ? kHighest : rounded;
    rounded = rounded <= kLowest ? kLowest : rounded;
    rounded = rounded == rounded ? rounded : 0.0; // only NaN differs from itself
    return static_cast<std::int32_t>(rounded);
}

} // namespace ondulix::engine
