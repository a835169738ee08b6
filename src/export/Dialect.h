#pragma once

#include "export/DataForm.h"
#include "export/ReservedNames.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace ondulix::exporter {

// A file format made for one real toolchain: C99 arrays, data in the syntax of one assembler, or
// the raw bytes. Each is a row of data; the writer has no branch per dialect, so adding a dialect
// is adding a row. Every dialect holds the tables only, with no origin, segment or processor of
// its own: the file is included in the user's source.

// How one data form is written: the directive (in C, the element type) and, for a directive that
// takes no negative value, what surrounds a negative one to make it the unsigned byte or word of
// the same bits.
struct DataSyntax {
    std::string_view directive;
    std::string_view negativeOpen = "";
    std::string_view negativeClose = "";
};

enum class ByteOrder : std::uint8_t { Little, Big };

struct Dialect {
    std::string_view name;        // --style NAME
    std::string_view description; // the save dialog's entry, and the file's first comment line
    bool raw = false;             // the entries' bytes alone: no text, no header, no labels
    std::string_view comment;     // opens every comment line
    // The pieces of the text. {label}, {directive} and {length} are filled in, and {guard}, a
    // name made from the first table's label.
    std::string_view preamble; // between the header comment and the first table
    std::string_view tableOpening;
    std::string_view lineOpening;
    std::string_view valueSeparator; // between the values of a line
    std::string_view lineBreak; // between two value lines
    std::string_view tableClosing;
    std::string_view fileClosing; // after the last table
    // Where the processor reads words only at even addresses: before each table of words, and
    // after the last table, so that code may follow the file.
    std::string_view wordAlignment;
    std::string_view endAlignment;
    // Before each table with --align: {align} bytes, {alignMask} is {align} - 1. Where the
    // toolchain cannot align there, alignRefusal says why.
    std::string_view alignment;
    std::string_view alignRefusal;
    bool splitsWords; // --split writes a 16-bit table as its low bytes, then its high bytes
    ByteOrder byteOrder = ByteOrder::Little; // of a word, as the target stores it
    std::array<DataSyntax, kDataForms.size()> data; // by DataForm
    // The labels that the toolchain refuses. A label must suit every dialect of its family: C and
    // the 6502 assemblers share theirs, so one prefix serves a 6502 project's C and assembler
    // files alike; a dialect without a family answers for itself.
    std::span<const ReservedNames> reservedNames;
    std::string_view labelFamily;

    const DataSyntax& syntaxOf(DataForm form) const { return data[static_cast<std::size_t>(form)]; }
    bool canAlign() const { return alignRefusal.empty(); }
    // The names that refuse the label, or nothing; its family's names included.
    const ReservedNames* refuses(std::string_view label) const;
};

// c99, 64tass, acme, ca65, dasm, xa, pasmo, z80asm, sdas, m68k, gas-arm, nasm, bin: the order of
// the save dialog's entries after the C array and TassC64 styles.
std::span<const Dialect> Dialects();

// By --style name, in any letter case.
const Dialect* FindDialect(std::string_view name);

// "c99, 64tass, acme, ...", for a message that lists them.
std::string DialectNames();

} // namespace ondulix::exporter
