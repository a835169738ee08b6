#include "engine/MessageText.h"

#include <gtest/gtest.h>

#include <string>

namespace ondulix::engine {
namespace {

TEST(Quoted, KeepsAMessageToOneShortLine) {
    EXPECT_EQ(Quoted("12abc"), "\"12abc\"");
    EXPECT_EQ(Quoted(""), "\"\"");
    EXPECT_EQ(Quoted(std::string(60, '9')), "\"" + std::string(60, '9') + "\"");
    EXPECT_EQ(Quoted(std::string(100000, '9')), "\"" + std::string(60, '9') + "\u2026\"");
    // Sixty characters, not bytes, and never half of one.
    std::string accents;
    for (int i = 0; i < 70; ++i)
        accents += "\u00e9";
    std::string sixty;
    for (int i = 0; i < 60; ++i)
        sixty += "\u00e9";
    EXPECT_EQ(Quoted(accents), "\"" + sixty + "\u2026\"");
    // Line breaks and other control characters would split the message.
    EXPECT_EQ(Quoted("1\n2\t3\r\x01"), "\"1\\n2\\t3\\r\\x01\"");
}

} // namespace
} // namespace ondulix::engine
