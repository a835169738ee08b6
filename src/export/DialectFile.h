#pragma once

#include "engine/TableSet.h"
#include "export/Dialect.h"
#include "export/LabelPrefix.h"

#include <string>
#include <string_view>

namespace ondulix::exporter {

// Writes the four tables in one dialect: a header comment, then entries 1 to Length of tables 1
// to 4 in order, each in its narrowest data form, and nothing else, so that the assembled bytes
// are the tables' entries one after the other. Lines end in LF. Never opens or names a file.
//
// The header names each table's parameters and form, and the command line that writes the same
// file again to standard output, so a file can be regenerated from itself.

inline constexpr std::string_view kExportProgram = "ondulix-export";

struct DialectOptions {
    std::string labelPrefix = std::string(kDefaultLabelPrefix);
    // 16-bit tables as two byte tables, low bytes then high bytes; only where the dialect
    // splitsWords (the assemblers), ignored in C.
    bool split = false;
};

struct DialectFile {
    std::string text;
    std::string problem; // one line; when set, there is no text

    bool ok() const { return problem.empty(); }
};

// A problem, and no text, for a label prefix that LabelPrefixProblem refuses, or a table with a
// Length outside 1 to 16384 or an entry beyond 16 bits (neither gets past the input rules).
DialectFile WriteDialectFile(const engine::TableSet& set, const Dialect& dialect, const DialectOptions& options);

// "ondulix-export --style 64tass [--label PREFIX] [--split] --sin1 length=...,min=...,max=... ...":
// every parameter of every table, the amplitude in the form that gives back the generator's
// Origin and Range exactly, and no output file, so the file does not depend on its own name.
std::string RegenerateCommand(const engine::TableSet& set, const Dialect& dialect, const DialectOptions& options);

} // namespace ondulix::exporter
