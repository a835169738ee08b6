#pragma once

#include "engine/FrameArithmetic.h"

#include <cstdint>
#include <limits>
#include <numeric>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace ondulix::cycle {

// The number theory of frame counts (engine/FrameArithmetic.h), and what the searches add to it.
using engine::Congruence;
using engine::floorMod;
using engine::inverseOf;
using engine::lcmOf;
using engine::merged;

template <class T>
const T& at(const std::vector<T>& v, std::int64_t i) {
    return v[static_cast<std::size_t>(i)];
}

template <class T>
T& at(std::vector<T>& v, std::int64_t i) {
    return v[static_cast<std::size_t>(i)];
}

inline std::int32_t modOf(std::uint64_t value, std::int32_t modulus) {
    return static_cast<std::int32_t>(value % static_cast<std::uint64_t>(modulus));
}

// Remainders modulo a fixed divisor by a multiplication instead of a division, which the
// searches' innermost loops would otherwise wait on. For values below 2^40 the quotient estimated
// in double precision is off by at most one, which one correction each way puts right.
class Remainders {
public:
    Remainders() = default;
    explicit Remainders(std::uint32_t divisor) : divisor_(divisor), reciprocal_(1.0 / divisor) {}

    std::uint32_t of(std::uint64_t value) const {
        const auto quotient = static_cast<std::int64_t>(static_cast<double>(value) * reciprocal_);
        std::int64_t r = static_cast<std::int64_t>(value) - quotient * divisor_;
        r += r < 0 ? divisor_ : 0;
        r -= r >= divisor_ ? divisor_ : 0;
        return static_cast<std::uint32_t>(r);
    }

private:
    std::int64_t divisor_ = 1;
    double reciprocal_ = 1.0;
};

} // namespace ondulix::cycle
