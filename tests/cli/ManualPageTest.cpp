// The manual page of ondulix-export stays true to the program: its OPTIONS section describes every
// option that --help names and every style the command line takes, and the help's own entry for
// --style names every style too.

#include "cli/ExportCommand.h"

#include "CliTestSupport.h"
#include "export/Dialect.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

namespace ondulix::cli {
namespace {

std::string replaceAll(std::string text, const std::string& what, const std::string& with) {
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

// The page's text as a reader sees it, near enough: no comment lines, "\-" as "-", no font
// changes or zero-width breaks.
std::string plainText(const std::string& roff) {
    std::string text;
    std::size_t start = 0;
    while (start < roff.size()) {
        const std::size_t end = std::min(roff.find('\n', start), roff.size());
        const std::string line = roff.substr(start, end - start);
        if (!line.starts_with(".\\\""))
            text += line + "\n";
        start = end + 1;
    }
    text = std::regex_replace(text, std::regex(R"(\\f(\(..|\[[^\]]*\]|.))"), "");
    return replaceAll(replaceAll(text, "\\-", "-"), "\\&", "");
}

// From the line that begins with `heading` to the next line that begins with `next`.
std::string section(const std::string& text, const std::string& heading, const std::string& next) {
    const std::size_t start = text.find("\n" + heading);
    if (start == std::string::npos)
        return "";
    const std::size_t end = text.find("\n" + next, start + 1 + heading.size());
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// Whether the text names `word` on its own, not as part of a longer name ("--sin1" is not in
// "--sin12", "c" is not in "c99").
bool names(const std::string& text, const std::string& word) {
    const auto isNamePart = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_'; };
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        const bool startsName = at == 0 || !isNamePart(text[at - 1]);
        const std::size_t after = at + word.size();
        if (startsName && (after == text.size() || !isNamePart(text[after])))
            return true;
    }
    return false;
}

// "-o", "--style", ...: a dash or two at the start of a word, then a letter.
std::set<std::string> optionsNamedIn(const std::string& text) {
    static const std::regex option(R"((^|[\s\[(,])(--?[A-Za-z][A-Za-z0-9-]*))");
    std::set<std::string> found;
    for (auto match = std::sregex_iterator(text.begin(), text.end(), option); match != std::sregex_iterator(); ++match)
        found.insert((*match)[2]);
    return found;
}

std::vector<std::string> styles() {
    std::vector<std::string> names{"c", "asm"};
    for (const exporter::Dialect& dialect : exporter::Dialects())
        names.emplace_back(dialect.name);
    return names;
}

const std::string kPage = ONDULIX_MAN_PAGES "/ondulix-export.1";

std::string optionsSection() { return section(plainText(testing::readFile(kPage)), ".SH OPTIONS", ".SH "); }

TEST(ManualPage, DescribesEveryOptionTheHelpNames) {
    const std::string options = optionsSection();
    ASSERT_FALSE(options.empty()) << kPage << " has no OPTIONS section";
    const std::set<std::string> helpOptions = optionsNamedIn(HelpText());
    for (const char* known : {"--sin1", "--sin4", "--style", "-o", "--output", "--check", "--help", "--version"})
        EXPECT_TRUE(helpOptions.contains(known)) << known << " is not found in the help";
    for (const std::string& option : helpOptions)
        EXPECT_TRUE(names(options, option)) << "the manual page's OPTIONS do not describe " << option;
}

TEST(ManualPage, NamesEveryStyleAsTheHelpDoes) {
    const std::string options = optionsSection();
    // The help's entry for --style, up to the next option.
    const std::string help = HelpText();
    const std::size_t entry = help.find("\n  --style");
    ASSERT_NE(entry, std::string::npos);
    const std::string styleEntry = help.substr(entry, help.find("\n  -", entry + 1) - entry);
    for (const std::string& style : styles()) {
        EXPECT_TRUE(names(options, style)) << "the manual page's OPTIONS do not name the style " << style;
        EXPECT_TRUE(names(styleEntry, style)) << "the help's --style entry does not name the style " << style;
    }
}

} // namespace
} // namespace ondulix::cli
