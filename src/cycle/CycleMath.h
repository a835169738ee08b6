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

// Remainders modulo a fixed divisor by multiplications instead of a division, which the
// searches' innermost loops would otherwise wait on. Values of 32 bits take the fraction
// 2^64 / divisor, rounded up, in 64 bits: the value's share of a turn, times the divisor, leaves
// the remainder in the high half of the product, exactly for every 32-bit value and divisor.
// Larger values, below 2^40, take the quotient estimated in double precision, off by at most one,
// which one correction each way puts right. The high half of the value times the fraction is the
// quotient, exactly for 32-bit values.
class Remainders {
public:
    Remainders() = default;
    explicit Remainders(std::uint32_t divisor)
        : divisor_(divisor), fraction_(std::numeric_limits<std::uint64_t>::max() / divisor + 1),
          reciprocal_(1.0 / divisor) {}

    std::uint32_t of(std::uint64_t value) const {
        if (value <= std::numeric_limits<std::uint32_t>::max()) {
            __extension__ using Wide = unsigned __int128;
            const std::uint64_t share = fraction_ * value; // modulo 2^64
            return static_cast<std::uint32_t>((static_cast<Wide>(share) * static_cast<std::uint64_t>(divisor_)) >> 64);
        }
        const auto quotient = static_cast<std::int64_t>(static_cast<double>(value) * reciprocal_);
        std::int64_t r = static_cast<std::int64_t>(value) - quotient * divisor_;
        r += r < 0 ? divisor_ : 0;
        r -= r >= divisor_ ? divisor_ : 0;
        return static_cast<std::uint32_t>(r);
    }

    std::uint32_t quotientOf(std::uint32_t value) const {
        __extension__ using Wide = unsigned __int128;
        return divisor_ == 1 ? value : static_cast<std::uint32_t>((static_cast<Wide>(fraction_) * value) >> 64);
    }

private:
    std::int64_t divisor_ = 1;
    std::uint64_t fraction_ = 0; // 2^64 / 1 wraps to 0, which leaves 0 for every value, as it should
    double reciprocal_ = 1.0;
};

} // namespace ondulix::cycle
