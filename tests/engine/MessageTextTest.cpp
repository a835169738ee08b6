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

TEST(ShortenedPath, KeepsTheFirstFolderAndTheFileNameWithItsExtension) {
    const std::string deep = "/tmp/" + std::string(30, 'f') + "/" + std::string(30, 'g') + "/tables/sinus.s";
    std::string longFirst(71, 'r'); // no room for the first folder
    longFirst.front() = '/';
    longFirst.append("/x.s");
    const std::pair<std::string, std::string> cases[] = {
        {longFirst, "\u2026/x.s"},
        {"/tmp/sinus.s", "/tmp/sinus.s"},
        {deep, "/tmp/\u2026/" + std::string(30, 'g') + "/tables/sinus.s"},
        // A name too long for the line keeps its end and its extension.
        {"/tmp/" + std::string(250, 'a') + "_final.asm",
         "/tmp/" + std::string(29, 'a') + "\u2026aa_final.asm"},
        {std::string(100, 'a') + ".c", std::string(29, 'a') + "\u2026aaaaaaaaaa.c"},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(ShortenedPath(path), expected) << path;
    // Characters, not bytes.
    std::string accents = "/tmp/";
    for (int i = 0; i < 70; ++i)
        accents += "\u00e9";
    EXPECT_EQ(ShortenedPath(accents + "/x.s"), "/tmp/\u2026/x.s");
}

} // namespace
} // namespace ondulix::engine
