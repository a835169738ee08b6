#pragma once

#include "export/DataForm.h"

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace ondulix::exporter {

// A file format made for one real toolchain: C99 arrays, or 6502 data in the syntax of one
// assembler. Each is a row of data; the writer has no branch per dialect, so adding a dialect is
// adding a row. Every dialect holds the tables only, with no origin, segment or processor of its
// own: the file is included in the user's source.

// How one data form is written: the directive (in C, the element type) and, for a directive that
// takes no negative value, what surrounds a negative one to make it the unsigned byte or word of
// the same bits.
struct DataSyntax {
    std::string_view directive;
    std::string_view negativeOpen = "";
    std::string_view negativeClose = "";
};

struct Dialect {
    std::string_view name;        // --style NAME
    std::string_view description; // the save dialog's entry, and the file's first comment line
    std::string_view comment;     // opens every comment line
    std::string_view preamble;    // between the header comment and the first table
    // The pieces of a table. {label}, {directive} and {length} are filled in; the values of a
    // line are separated by ", ".
    std::string_view tableOpening;
    std::string_view lineOpening;
    std::string_view lineBreak; // between two value lines
    std::string_view tableClosing;
    bool splitsWords; // --split writes a 16-bit table as its low bytes, then its high bytes
    std::array<DataSyntax, kDataForms.size()> data; // by DataForm
    // Labels that would clash with a mnemonic, register or built-in name of the toolchain,
    // compared in any letter case.
    std::span<const std::string_view> reservedLabels;

    const DataSyntax& syntaxOf(DataForm form) const { return data[static_cast<std::size_t>(form)]; }
    bool reserves(std::string_view label) const;
};

// c99, 64tass, acme, ca65, dasm, xa: the order of the save dialog's entries after the two
// original styles.
std::span<const Dialect> Dialects();

// By --style name, in any letter case.
const Dialect* FindDialect(std::string_view name);

// "c99, 64tass, acme, ca65, dasm, xa", for a message that lists them.
std::string DialectNames();

} // namespace ondulix::exporter
