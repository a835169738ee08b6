#include "export/DataForm.h"

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

} // namespace
} // namespace ondulix::exporter
