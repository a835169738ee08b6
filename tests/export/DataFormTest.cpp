#include "export/DataForm.h"

#include "engine/AmplitudeForms.h"
#include "engine/Defaults.h"
#include "engine/TableGenerator.h"

#include <gtest/gtest.h>

#include <vector>

namespace ondulix::exporter {
namespace {

TEST(DataForm, NarrowestFormIsTheFirstThatHoldsEveryEntry) {
    struct Case {
        std::vector<std::int32_t> entries;
        std::optional<DataForm> form;
    };
    const Case cases[] = {
        {{0, 255}, DataForm::UnsignedBytes},
        {{3, 100}, DataForm::UnsignedBytes}, // no negative entry: unsigned, though signed bytes hold it too
        {{-128, 127}, DataForm::SignedBytes},
        {{-1, 128}, DataForm::SignedWords},
        {{-1, 255}, DataForm::SignedWords},
        {{0, 256}, DataForm::UnsignedWords},
        {{0, 65535}, DataForm::UnsignedWords},
        {{-32768, 32767}, DataForm::SignedWords},
        {{-1, 32768}, std::nullopt},
        {{0, 65536}, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NarrowestForm(c.entries), c.form) << c.entries.front() << ".." << c.entries.back();
}

TEST(DataForm, TablesAtTheLimitsOfTheInputRulesFit16Bits) {
    // The widest tables the boxes allow: Origin at either limit with Range 32768 reaches 32768 or
    // -32768, the bounds at +-16384 in either direction span 32768.
    struct Amplitude {
        bool centreForm;
        std::int32_t first, second;
    };
    const Amplitude amplitudes[] = {
        {true, 16384, 32768}, {true, -16384, 32768}, {true, 0, 32768}, {true, 16384, 32767},
        {false, -16384, 16384}, {false, 16384, -16384}, {false, 16384, 16384}, {false, -16384, -16384},
    };
    engine::TableSet set;
    engine::ApplyDefaults(set);
    engine::TableParams& t = set.tables[0];
    for (const Amplitude& a : amplitudes)
        for (const std::int32_t periods : {1, 3, -16384, 16384})
            for (const std::int32_t length : {4, 256, 16384}) {
                t.Length = length;
                t.Periods = periods;
                t.Offset = -16384;
                (a.centreForm ? t.Origin : t.Minimum) = a.first;
                (a.centreForm ? t.Range : t.Maximum) = a.second;
                a.centreForm ? engine::MinMaxFromOriginRange(t) : engine::OriginRangeFromMinMax(t);
                engine::ComputeTable(set, 0);
                EXPECT_TRUE(NarrowestForm(WrittenEntries(set, 0)).has_value())
                    << a.first << ", " << a.second << ", periods " << periods << ", length " << length;
            }
}

} // namespace
} // namespace ondulix::exporter
