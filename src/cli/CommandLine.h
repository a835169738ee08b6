#pragma once

#include "cli/TableKeys.h"
#include "export/Dialect.h"
#include "export/DialectFile.h"
#include "export/TableFile.h"

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace ondulix::cli {

// The texts given for one table, by key; a key not given keeps the table's start-up value.
using TableTexts = std::array<std::optional<std::string>, kTableKeyCount>;

// The preview's settings for --check, as the window's preview boxes and check boxes hold them;
// anything not given keeps the window's start-up value.
struct PreviewTexts {
    std::optional<std::string> steps;  // the "Steps:" box, the preview's width
    std::optional<std::string> top;    // its top bound
    std::optional<std::string> bottom; // its bottom bound
    std::optional<engine::Participation> on; // the tables that take part, "1111" to "0000"
    // The positions the preview starts from, "0/0/0/0": one number per table, each read as a
    // box reads it and taken modulo the table's Length.
    std::optional<std::array<std::string, engine::kTableCount>> at;
};

// What the command line asks for, fully checked: every key known, at most one text per key, at
// most one amplitude form per table, the dialect options (--label, --names, --tables, --form,
// --align, --split, --endian, --load-address) only where the style has them and as it can take
// them, labels its toolchain takes, --preview and --check-budget only with --check.
struct ExportRequest {
    enum class Action { Export, Help, Version };
    enum class CheckReport { Text, Json };
    Action action = Action::Export;
    // --check: whether the preview's sum stays within its bounds, reported in plain lines or as
    // JSON; the file is then written only where -o asks for it.
    std::optional<CheckReport> check;
    PreviewTexts preview;
    // --check-budget: seconds the search for --check's first frames may take, 0 for no limit;
    // past it, --check reports those not yet found as not settled.
    std::optional<double> checkBudget;
    exporter::ExportStyle style = exporter::ExportStyle::CArrays;
    // A dialect made for one toolchain instead of the style, with its options.
    const exporter::Dialect* dialect = nullptr;
    exporter::DialectOptions dialectOptions;
    std::optional<std::string> outputPath; // nothing, or "-": standard output
    bool strict = false;
    std::array<TableTexts, engine::kTableCount> tables{};
};

struct ParsedCommandLine {
    ExportRequest request;
    std::string error; // one line, empty when the command line is usable

    bool ok() const { return error.empty(); }
};

// Reads the arguments after the program's name. Options may come in any order, with the value
// as the next argument or after "=" ("--style asm", "--style=asm", "-o out.s", "-oout.s").
// "--help" and "--version" end the reading at once.
ParsedCommandLine ParseCommandLine(std::span<const std::string_view> args);

// Every --style the command line takes, for messages and the help: "c (or 1), asm (or 2), c99, ...".
std::string StyleNames();

const std::string& TextOf(const TableTexts& texts, TableKey key);
bool IsGiven(const TableTexts& texts, TableKey key);

} // namespace ondulix::cli
