#pragma once

#include <cstdint>
#include <limits>
#include <numeric>
#include <optional>
#include <stdexcept>
#include <utility>

// The loops that add and compare many sums at once (the sum range's and the class extremes' folds,
// the frame walk):
// where the loader can pick a build by the processor, they also get one with eight-wide integer
// minimum and maximum (SSE2 has neither). The folds that stream short values through the
// first-level cache (the sum range's, the class extremes') also get one with 64-byte vectors,
// where the processor has them: fewer loads for the same bytes (bench/range-worst --corpus: about
// 8 % on its slowest cases).
#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__) && defined(__ELF__)
#define ONDULIX_WIDE_INTEGER_CLONES __attribute__((target_clones("avx2", "default")))
#define ONDULIX_WIDEST_INTEGER_CLONES __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#else
#define ONDULIX_WIDE_INTEGER_CLONES
#define ONDULIX_WIDEST_INTEGER_CLONES
#endif

namespace ondulix::engine {

// The small number theory of frame counts: remainders, lcm, inverses and the Chinese remainder
// theorem. Frame counts stay below 2^57, so 64 bits hold every product formed here.

// The remainder in 0 .. modulus - 1, whatever the sign of the value.
inline std::int32_t floorMod(std::int64_t value, std::int32_t modulus) {
    const auto r = static_cast<std::int32_t>(value % modulus);
    return r < 0 ? r + modulus : r;
}

// Four periods of at most 16384 frames have an lcm of at most 2^56; the check keeps it so.
inline std::uint64_t lcmOf(std::uint64_t a, std::uint64_t b) {
    const std::uint64_t factor = b / std::gcd(a, b);
    if (a > std::numeric_limits<std::uint64_t>::max() / factor)
        throw std::logic_error("preview cycle: the cycle length does not fit in 64 bits");
    return a * factor;
}

// The inverse of a modulo n, for a coprime to n (n >= 1).
inline std::uint64_t inverseOf(std::uint64_t a, std::uint64_t n) {
    auto r0 = static_cast<std::int64_t>(n), r1 = static_cast<std::int64_t>(a % n);
    std::int64_t s0 = 0, s1 = 1;
    while (r1 != 0) {
        const std::int64_t q = r0 / r1;
        r0 = std::exchange(r1, r0 - q * r1);
        s0 = std::exchange(s1, s0 - q * s1);
    }
    const auto m = static_cast<std::int64_t>(n);
    return static_cast<std::uint64_t>(((s0 % m) + m) % m);
}

// x = residue (mod modulus).
struct Congruence {
    std::uint64_t residue = 0;
    std::uint64_t modulus = 1;
};

// Both congruences at once, or nothing when they contradict. The moduli here divide the shared
// modulus of the frame classes, so the products stay inside 64 bits.
inline std::optional<Congruence> merged(Congruence a, Congruence b) {
    const std::uint64_t g = std::gcd(a.modulus, b.modulus);
    const std::uint64_t gap = (b.residue + b.modulus - a.residue % b.modulus) % b.modulus;
    if (gap % g != 0)
        return std::nullopt;
    const std::uint64_t n = b.modulus / g;
    const std::uint64_t t = (gap / g) % n * inverseOf(a.modulus / g % n, n) % n;
    const std::uint64_t modulus = a.modulus / g * b.modulus;
    return Congruence{(a.residue + a.modulus * t) % modulus, modulus};
}

} // namespace ondulix::engine
