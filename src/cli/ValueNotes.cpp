#include "cli/ValueNotes.h"

#include "engine/MessageText.h"
#include "engine/NumberText.h"
#include "engine/Rounding.h"

namespace ondulix::cli {

std::optional<ValueNote> NoteFor(int table, TableKey key, std::string_view given, std::int32_t used) {
    ValueNote note;
    note.table = table;
    note.key = key;
    note.given = std::string(given);
    note.used = used;

    const engine::LeadingNumber number = engine::ReadLeadingNumber(given);
    if (!number.found) {
        note.kind = ValueNote::Kind::NotANumber;
        return note;
    }
    // A clamped value is stored as its limit, and Length and Range below 1 as 1; rounding alone
    // never moves a value past the stored one.
    const std::int32_t read = engine::RoundHalfEven(number.value);
    if (read != used) {
        note.kind = read > used ? ValueNote::Kind::Above : ValueNote::Kind::Below;
        return note;
    }
    if (!number.ignored.empty()) {
        note.kind = ValueNote::Kind::IgnoredText;
        note.ignored = number.ignored;
        return note;
    }
    return std::nullopt;
}

std::string DescribeNote(const ValueNote& note, bool strict) {
    const std::string used = engine::IntegerText(note.used);
    std::string line = "sin" + std::to_string(note.table + 1) + " " + std::string(KeyName(note.key)) + ": " +
                       engine::Quoted(note.given);
    switch (note.kind) {
    case ValueNote::Kind::NotANumber: line += " is not a number"; break;
    case ValueNote::Kind::Above: line += " is above " + used; break;
    case ValueNote::Kind::Below: line += " is below " + used; break;
    case ValueNote::Kind::IgnoredText: line += " has " + engine::Quoted(note.ignored) + " after the number"; break;
    }
    line += strict ? "; --strict refuses to use " + used : "; using " + used;
    return line;
}

} // namespace ondulix::cli
