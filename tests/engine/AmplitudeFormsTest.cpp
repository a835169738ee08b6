#include "engine/AmplitudeForms.h"

#include <gtest/gtest.h>

namespace ondulix::engine {
namespace {

TEST(AmplitudeForms, BoundsGiveRangeAndRoundedMidpoint) {
    struct Case {
        std::int32_t minimum, maximum, range, origin;
    };
    const Case cases[] = {
        {-128, 128, 256, 0},
        {0, 255, 255, 128}, // 127.5 rounds to 128
        {0, 5, 5, 2},       // 2.5 rounds to 2
        {100, 50, -50, 75}, // bounds the wrong way round are accepted
        {7, 7, 0, 7},
        {-16384, 16384, 32768, 0},
    };
    for (const Case& c : cases) {
        TableParams t;
        t.Minimum = c.minimum;
        t.Maximum = c.maximum;
        OriginRangeFromMinMax(t);
        EXPECT_EQ(t.Range, c.range) << c.minimum << ".." << c.maximum;
        EXPECT_EQ(t.Origin, c.origin) << c.minimum << ".." << c.maximum;
        EXPECT_EQ(t.Minimum, c.minimum);
        EXPECT_EQ(t.Maximum, c.maximum);
    }
}

TEST(AmplitudeForms, CentreFormGivesBoundsThatKeepRangeExact) {
    struct Case {
        std::int32_t origin, range, minimum, maximum;
    };
    const Case cases[] = {
        {0, 255, -128, 127},   // -127.5 rounds to -128
        {0, 3, -2, 1},         // -1.5 rounds to -2
        {1, 3, 0, 3},          // -0.5 rounds to 0
        {16384, 32768, 0, 32768}, // beyond what a typed bound may be
        {-16384, 32768, -32768, 0},
        {5, 1, 4, 5},          // 4.5 rounds to 4
    };
    for (const Case& c : cases) {
        TableParams t;
        t.Origin = c.origin;
        t.Range = c.range;
        MinMaxFromOriginRange(t);
        EXPECT_EQ(t.Minimum, c.minimum) << c.origin << "/" << c.range;
        EXPECT_EQ(t.Maximum, c.maximum) << c.origin << "/" << c.range;
        EXPECT_EQ(t.Origin, c.origin) << "a typed origin stays as typed";
        EXPECT_EQ(t.Maximum - t.Minimum, t.Range);
    }
}

} // namespace
} // namespace ondulix::engine
