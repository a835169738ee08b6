#include "cycle/CycleMath.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <stdexcept>

namespace ondulix::cycle {
namespace {

TEST(CycleMathTest, RemaindersAreNeverNegative) {
    EXPECT_EQ(3, floorMod(-5, 8));
    EXPECT_EQ(0, floorMod(-16, 8));
    EXPECT_EQ(5, floorMod(5, 8));
    EXPECT_EQ(16383, floorMod(-1, 16384));
    EXPECT_EQ(0, floorMod(std::numeric_limits<std::int32_t>::min(), 16384));
    EXPECT_EQ(7, floorMod(std::int64_t{-9} * (std::int64_t{1} << 40) + 7, 1 << 20));
    EXPECT_EQ(4, modOf(std::uint64_t{1} << 62, 12)); // 2^62 = 4 (mod 12)
}

// The cycle of four periods near 16384 fits; a product that does not is refused, not wrapped.
TEST(CycleMathTest, LcmOfFrameCounts) {
    EXPECT_EQ(12u, lcmOf(4, 6));
    EXPECT_EQ(7u, lcmOf(1, 7));
    EXPECT_EQ(71785269314180327u, lcmOf(lcmOf(lcmOf(16381, 16369), 16363), 16361));
    EXPECT_EQ(std::uint64_t{1} << 63, lcmOf(std::uint64_t{1} << 63, 2));
    EXPECT_THROW(lcmOf(std::uint64_t{1} << 63, 3), std::logic_error);
}

// a * inverseOf(a, n) = 1 (mod n) for every a coprime to n, n up to 200, and for large moduli.
TEST(CycleMathTest, InversesModuloEveryModulusUpTo200) {
    EXPECT_EQ(0u, inverseOf(5, 1)); // modulo 1 everything is 0
    for (std::uint64_t n = 2; n <= 200; ++n)
        for (std::uint64_t a = 1; a < 3 * n; ++a)
            if (std::gcd(a, n) == 1) {
                const std::uint64_t inverse = inverseOf(a, n);
                ASSERT_LT(inverse, n) << a << " mod " << n;
                ASSERT_EQ(1u, a % n * inverse % n) << a << " mod " << n;
            }
    const std::uint64_t big = 268140589; // 16381 * 16369
    const std::uint64_t inverse = inverseOf(16363, big);
    EXPECT_EQ(1u, 16363 * inverse % big);
}

// Below 2^40 the remainder by multiplication is the remainder by division, at the edges of the
// quotient's estimate too.
TEST(CycleMathTest, RemaindersByMultiplicationMatchDivision) {
    std::mt19937_64 rng(7);
    for (const std::uint32_t divisor : {1u, 2u, 3u, 7u, 8175u, 16381u, 65536u, 268140589u, 4294967295u}) {
        const Remainders remainders(divisor);
        for (const std::uint64_t value : {std::uint64_t{0}, std::uint64_t{divisor} - 1, std::uint64_t{divisor},
                                          std::uint64_t{divisor} + 1, (std::uint64_t{1} << 32) - 1,
                                          std::uint64_t{1} << 32, (std::uint64_t{1} << 40) - 1})
            ASSERT_EQ(value % divisor, remainders.of(value)) << value << " mod " << divisor;
        for (int k = 0; k < 20000; ++k) {
            const std::uint64_t quotient = rng() % ((std::uint64_t{1} << 40) / divisor);
            for (const std::uint64_t value : {quotient * divisor, quotient * divisor + divisor - 1,
                                              rng() % (std::uint64_t{1} << 40), rng() % (std::uint64_t{1} << 32)})
                ASSERT_EQ(value % divisor, remainders.of(value)) << value << " mod " << divisor;
            // Quotients of 32-bit values, at and just below each multiple too.
            const auto value = static_cast<std::uint32_t>(rng());
            const std::uint32_t multiple = value / divisor * divisor;
            for (const std::uint32_t v : {value, multiple, multiple == 0 ? 0u : multiple - 1})
                ASSERT_EQ(v / divisor, remainders.quotientOf(v)) << v << " / " << divisor;
        }
        ASSERT_EQ(0xFFFFFFFFu / divisor, remainders.quotientOf(0xFFFFFFFFu)) << divisor;
    }
    EXPECT_EQ(0u, Remainders().of(12345)); // modulo 1 until given a divisor
}

// merged() against the numbers 0 .. lcm - 1 that satisfy both congruences, for every pair of
// moduli up to 24 and every pair of residues.
TEST(CycleMathTest, MergedCongruencesAgreeWithCountingThemOut) {
    for (std::uint64_t m = 1; m <= 24; ++m)
        for (std::uint64_t n = 1; n <= 24; ++n)
            for (std::uint64_t a = 0; a < m; ++a)
                for (std::uint64_t b = 0; b < n; ++b) {
                    const std::uint64_t lcm = std::lcm(m, n);
                    std::optional<std::uint64_t> first;
                    for (std::uint64_t x = 0; x < lcm && !first; ++x)
                        if (x % m == a && x % n == b)
                            first = x;
                    const std::optional<Congruence> both = merged({a, m}, {b, n});
                    ASSERT_EQ(first.has_value(), both.has_value()) << a << " mod " << m << ", " << b << " mod " << n;
                    if (both) {
                        ASSERT_EQ(lcm, both->modulus);
                        ASSERT_EQ(*first, both->residue) << a << " mod " << m << ", " << b << " mod " << n;
                    }
                }
    // Moduli as large as the frame classes get: 16384 * 16383 and 16383 * 16381 share 16383.
    const std::uint64_t m = 16384ull * 16383, n = 16383ull * 16381;
    const std::optional<Congruence> both = merged({12345, m}, {12345 % 16383 + 16383 * 7, n});
    ASSERT_TRUE(both.has_value());
    EXPECT_EQ(both->residue % m, 12345u);
    EXPECT_EQ(both->residue % n, 12345 % 16383 + 16383 * 7);
    EXPECT_EQ(both->modulus, 16384ull * 16383 * 16381);
    EXPECT_FALSE(merged({1, m}, {2, n}).has_value()); // 1 and 2 modulo 16383 both
}

} // namespace
} // namespace ondulix::cycle
