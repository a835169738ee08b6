#include "engine/Rounding.h"

#include <gtest/gtest.h>

#include <limits>

namespace ondulix::engine {
namespace {

TEST(RoundHalfEven, ExactHalvesGoToTheEvenNeighbour) {
    struct Case {
        double in;
        std::int32_t out;
    };
    const Case cases[] = {
        {2.5, 2},   {3.5, 4},   {-0.5, 0},   {-1.5, -2},  {0.5, 0},         {1.5, 2},
        {127.5, 128}, {-127.5, -128}, {2.4999999999999996, 2}, {2.5000000000000004, 3},
        {-2.6, -3}, {0.0, 0},   {-0.0, 0},   {16384.4, 16384}, {-16384.5, -16384},
        // Above 2^52 every double is already whole.
        {4503599627370497.0, std::numeric_limits<std::int32_t>::max()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RoundHalfEven(c.in), c.out) << "input " << c.in;
}

TEST(RoundHalfEven, SaturatesOutsideTheIntegerRangeAndReadsNanAsZero) {
    EXPECT_EQ(RoundHalfEven(1e300), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(RoundHalfEven(-1e300), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(RoundHalfEven(std::numeric_limits<double>::infinity()), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(RoundHalfEven(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(RoundHalfEven(2147483646.5), 2147483646);
    EXPECT_EQ(RoundHalfEven(-2147483648.0), std::numeric_limits<std::int32_t>::min());
}

} // namespace
} // namespace ondulix::engine
