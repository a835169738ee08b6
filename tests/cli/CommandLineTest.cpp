#include "cli/CommandLine.h"

#include <gtest/gtest.h>

namespace ondulix::cli {
namespace {

using exporter::ExportStyle;
using Action = ExportRequest::Action;

ExportRequest parse(std::vector<std::string_view> args) {
    const ParsedCommandLine parsed = ParseCommandLine(args);
    EXPECT_TRUE(parsed.ok()) << parsed.error;
    return parsed.request;
}

std::optional<std::string> text(const ExportRequest& request, int table, TableKey key) {
    return request.tables[static_cast<std::size_t>(table)][static_cast<std::size_t>(key)];
}

TEST(CommandLine, NothingGivenExportsTheDefaultsAsCArraysToStandardOutput) {
    const ExportRequest request = parse({});
    EXPECT_EQ(Action::Export, request.action);
    EXPECT_EQ(ExportStyle::CArrays, request.style);
    EXPECT_FALSE(request.outputPath);
    EXPECT_FALSE(request.strict);
    for (const TableTexts& table : request.tables)
        for (const auto& given : table)
            EXPECT_FALSE(given);
}

TEST(CommandLine, StyleSpellings) {
    const std::pair<std::vector<std::string_view>, ExportStyle> cases[] = {
        {{"--style", "c"}, ExportStyle::CArrays},         {{"--style", "1"}, ExportStyle::CArrays},
        {{"--style=C"}, ExportStyle::CArrays},            {{"--style", "asm"}, ExportStyle::AssemblerBytes},
        {{"--style", "2"}, ExportStyle::AssemblerBytes},  {{"--style=ASM"}, ExportStyle::AssemblerBytes},
    };
    for (const auto& [args, style] : cases)
        EXPECT_EQ(style, parse(args).style) << args.back();
}

TEST(CommandLine, OutputSpellings) {
    const std::vector<std::string_view> cases[] = {
        {"-o", "out.s"}, {"-oout.s"}, {"--output", "out.s"}, {"--output=out.s"}};
    for (const auto& args : cases)
        EXPECT_EQ("out.s", parse(args).outputPath.value_or("(none)")) << args.front();
    // "-" is standard output, and is taken as a value, not as an option.
    EXPECT_EQ("-", parse({"-o", "-"}).outputPath.value_or("(none)"));
    // After "=", anything is the file name, even a leading dash.
    EXPECT_EQ("-x.s", parse({"--output=-x.s"}).outputPath.value_or("(none)"));
}

TEST(CommandLine, TableKeysInAnyCaseAndInBothSpellingsOfTheBounds) {
    const ExportRequest request =
        parse({"--sin2", "Length=256,MIN=0,maximum=255", "--sin4=offset=3,periods=4,speed=-1,origin=0,RANGE=64"});
    EXPECT_EQ("256", text(request, 1, TableKey::Length));
    EXPECT_EQ("0", text(request, 1, TableKey::Minimum));
    EXPECT_EQ("255", text(request, 1, TableKey::Maximum));
    EXPECT_EQ("3", text(request, 3, TableKey::Offset));
    EXPECT_EQ("4", text(request, 3, TableKey::Periods));
    EXPECT_EQ("-1", text(request, 3, TableKey::Speed));
    EXPECT_EQ("0", text(request, 3, TableKey::Origin));
    EXPECT_EQ("64", text(request, 3, TableKey::Range));
    EXPECT_FALSE(text(request, 0, TableKey::Length));
    EXPECT_FALSE(text(request, 2, TableKey::Length));
}

TEST(CommandLine, ValuesAreKeptVerbatimForTheBoxes) {
    // Blanks around a key are dropped; the value goes to the box as given, to be read there.
    const ExportRequest request = parse({"--sin1", " length = 1 2,offset==5,periods=&H10"});
    EXPECT_EQ(" 1 2", text(request, 0, TableKey::Length));
    EXPECT_EQ("=5", text(request, 0, TableKey::Offset));
    EXPECT_EQ("&H10", text(request, 0, TableKey::Periods));
}

TEST(CommandLine, ATableGivenTwiceHasItsKeysMerged) {
    const ExportRequest request = parse({"--sin3", "length=64", "--style", "asm", "--sin3", "min=0,max=9"});
    EXPECT_EQ("64", text(request, 2, TableKey::Length));
    EXPECT_EQ("0", text(request, 2, TableKey::Minimum));
    EXPECT_EQ("9", text(request, 2, TableKey::Maximum));
}

TEST(CommandLine, StrictHelpAndVersion) {
    EXPECT_TRUE(parse({"--strict", "--sin1", "length=5"}).strict);
    EXPECT_EQ(Action::Help, parse({"--help"}).action);
    EXPECT_EQ(Action::Help, parse({"-h"}).action);
    EXPECT_EQ(Action::Version, parse({"--version"}).action);
    // Both end the reading: what follows is not looked at.
    EXPECT_EQ(Action::Help, parse({"--sin1", "length=5", "--help", "--bogus"}).action);
    // What comes before is: an error there stands.
    EXPECT_FALSE(ParseCommandLine(std::vector<std::string_view>{"--bogus", "--help"}).ok());
}

TEST(CommandLine, CheckAndItsPreview) {
    using Report = ExportRequest::CheckReport;
    EXPECT_FALSE(parse({}).check);
    EXPECT_EQ(Report::Text, parse({"--check"}).check);
    EXPECT_EQ(Report::Json, parse({"--check=json"}).check);
    const ExportRequest request = parse({"--check", "--preview", "steps=300,TOP=-5", "--preview=on=1010,bottom=7"});
    EXPECT_EQ("300", request.preview.steps.value_or("(none)"));
    EXPECT_EQ("-5", request.preview.top.value_or("(none)"));
    EXPECT_EQ("7", request.preview.bottom.value_or("(none)"));
    EXPECT_EQ((engine::Participation{true, false, true, false}), request.preview.on);
    // The budget's seconds as the boxes read numbers; 0 is no limit.
    EXPECT_EQ(std::nullopt, parse({"--check"}).checkBudget);
    EXPECT_EQ(0.5, parse({"--check", "--check-budget", " 0.5"}).checkBudget);
    EXPECT_EQ(0.0, parse({"--check-budget=0", "--check"}).checkBudget);
    EXPECT_EQ(16.0, parse({"--check", "--check-budget", "&H10"}).checkBudget);

    const std::pair<std::vector<std::string_view>, std::string_view> refused[] = {
        {{"--check", "--preview", "width=5"}, "unknown key"},
        {{"--check", "--preview", "on=11"}, "one digit 0 or 1 per table"},
        {{"--check", "--preview", "on=1121"}, "one digit 0 or 1 per table"},
        {{"--check", "--preview", "top=1,top=2"}, "given twice"},
        {{"--check", "--preview", "steps"}, "not key=value"},
        {{"--check", "--preview", "steps="}, "has no value"},
        {{"--check=xml"}, "use --check or --check=json"},
        {{"--check", "--check"}, "given twice"},
        {{"--preview", "steps=5"}, "add --check"},
        {{"--check-budget", "1"}, "add --check"},
        {{"--check", "--check-budget"}, "needs a value: seconds"},
        {{"--check", "--check-budget", "2s"}, "is not a number of seconds"},
        {{"--check", "--check-budget=-1"}, "is not a number of seconds"},
        {{"--check", "--check-budget", "1e999"}, "is not a number of seconds"},
        {{"--check", "--check-budget", "abc"}, "is not a number of seconds"},
        {{"--check", "--check-budget=1", "--check-budget=2"}, "given twice"},
    };
    for (const auto& [args, message] : refused) {
        const ParsedCommandLine parsed = ParseCommandLine(args);
        EXPECT_NE(std::string::npos, parsed.error.find(message)) << args.back() << ": " << parsed.error;
    }
}

TEST(CommandLine, KeyNamesRoundTrip) {
    for (const TableKey key : kTableKeys)
        EXPECT_EQ(key, FindTableKey(KeyName(key))) << KeyName(key);
    EXPECT_EQ(TableKey::Minimum, FindTableKey("min"));
    EXPECT_EQ(TableKey::Maximum, FindTableKey("Max"));
    EXPECT_FALSE(FindTableKey("waves"));
    EXPECT_FALSE(FindTableKey(""));
}

} // namespace
} // namespace ondulix::cli
