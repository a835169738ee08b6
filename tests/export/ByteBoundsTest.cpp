#include "export/ByteBounds.h"

#include <gtest/gtest.h>

namespace ondulix::exporter {
namespace {

TEST(ByteBounds, SuggestsTheBoundsClosestToTheTableThatFitAByte) {
    struct Case {
        std::int32_t minimum, maximum;
        ByteBounds expected;
    };
    const Case cases[] = {
        {-128, 128, {-128, 127, DataForm::SignedBytes}},   // the start-up Sin1: keep the minimum
        {0, 1000, {0, 255, DataForm::UnsignedBytes}},      // keep the minimum
        {-500, 127, {-128, 127, DataForm::SignedBytes}},   // keep the maximum
        {-300, 255, {0, 255, DataForm::UnsignedBytes}},    // keep the maximum
        {-1000, 1000, {-128, 127, DataForm::SignedBytes}}, // no edge can stay: the full signed range
        {-100, 156, {-128, 127, DataForm::SignedBytes}},   // -100 to 155 would fit neither byte form
        {300, 1000, {0, 255, DataForm::UnsignedBytes}},    // not negative: the full unsigned range
        {1000, -1000, {127, -128, DataForm::SignedBytes}}, // turned over, and stays so
    };
    for (const Case& c : cases) {
        engine::TableParams table;
        table.Length = 256;
        table.Periods = 1;
        table.Minimum = c.minimum;
        table.Maximum = c.maximum;
        EXPECT_EQ(SuggestByteBounds(table), c.expected) << c.minimum << ".." << c.maximum;
    }
}

} // namespace
} // namespace ondulix::exporter
