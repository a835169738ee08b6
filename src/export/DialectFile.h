#pragma once

#include "engine/TableSet.h"
#include "export/DataForm.h"
#include "export/Dialect.h"
#include "export/TableLabels.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ondulix::exporter {

// Writes tables in one dialect: a header comment, then entries 1 to Length of each table asked
// for, in the order asked, each in its narrowest data form (or the width asked for), and nothing
// else but the padding that alignment asks for, so that the assembled bytes are the tables'
// entries one after the other. Lines end in LF. The raw dialect writes the bytes alone. Never
// opens or names a file.
//
// The header names each table's parameters and form, and the command line that writes the same
// file again to standard output, so a file can be regenerated from itself.

inline constexpr std::string_view kExportProgram = "ondulix-export";

// The largest --align.
inline constexpr int kMaxAlignment = 256;

// What the command line's dialect options ask for; the defaults write what the save dialog
// writes.
struct DialectOptions {
    std::vector<int> tables{0, 1, 2, 3}; // --tables: the tables written (0 to 3), in this order
    std::string labelPrefix = std::string(kDefaultLabelPrefix);
    std::vector<std::string> names = {}; // --names: one label per table written, instead of the prefix
    std::optional<FormChoice> form = {}; // --form: bytes or words instead of the narrowest form
    int align = 1;                  // --align: each table (each half of a split one) at a multiple
    // 16-bit tables as two byte tables, low bytes then high bytes; only where the dialect
    // splitsWords, ignored elsewhere.
    bool split = false;
    // The raw dialect only: --endian, and --load-address, the two-byte little-endian address a
    // C64 program file begins with, which alignment then counts from.
    std::optional<ByteOrder> byteOrder = {};
    std::optional<std::uint16_t> loadAddress = {};
};

struct DialectFile {
    std::string text;
    std::string problem; // one line that begins with the option at fault; when set, there is no text

    bool ok() const { return problem.empty(); }
};

// Why the options do not suit the dialect, as "--align: ...", or empty. Checks everything that
// does not depend on the tables' entries: the labels, --names against --tables, --align, and the
// raw dialect's own options.
std::string DialectOptionsProblem(const Dialect& dialect, const DialectOptions& options);

// A problem, and no text, for options that DialectOptionsProblem refuses, a table of --form bytes
// that needs words, a table with a Length outside 1 to 16384 or an entry beyond 16 bits (neither
// gets past the input rules), or raw tables that pass $FFFF after --load-address.
DialectFile WriteDialectFile(const engine::TableSet& set, const Dialect& dialect, const DialectOptions& options);

// "ondulix-export --style 64tass [--tables 3,1] [--label PREFIX | --names A,B] [--form F]
// [--align N] [--split] --sin3 length=...,min=...,max=... --sin1 ...": the options that differ
// from the defaults, then every parameter of each table written, the amplitude in the form that
// gives back the generator's Origin and Range exactly; no output file, so that the file does not
// depend on its own name.
std::string RegenerateCommand(const engine::TableSet& set, const Dialect& dialect, const DialectOptions& options);

// "sin1 needs 16-bit signed words: its entries run from -128 to 128; min=-128,max=127 would make
// it fit signed bytes", naming the table as --sin1 does; empty for a table that fits a byte.
std::string NeedsWordsNote(const engine::TableSet& set, int table);

// One table as the dialect writes it, under any label, checked or not: for the tests that try
// labels on the toolchains.
std::string TableText(const Dialect& dialect, std::string_view label, DataForm form,
                      std::span<const std::int32_t> values);

} // namespace ondulix::exporter
