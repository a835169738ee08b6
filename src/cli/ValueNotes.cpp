#include "cli/ValueNotes.h"

#include "engine/NumberText.h"
#include "engine/Rounding.h"

#include <cmath>

namespace ondulix::cli {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isDigitOfBase(char c, int base) {
    if (base == 8)
        return c >= '0' && c <= '7';
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Length of the decimal number at the start of s (0 when there is none). An exponent letter
// without digits does not belong to the number: "1e" reads 1 and leaves "e".
std::size_t decimalLength(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    bool digitSeen = false;
    bool pointSeen = false;
    for (; i < s.size(); ++i) {
        if (isDigit(s[i]))
            digitSeen = true;
        else if (s[i] == '.' && !pointSeen)
            pointSeen = true;
        else
            break;
    }
    if (!digitSeen)
        return 0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            ++j;
        const std::size_t firstDigit = j;
        while (j < s.size() && isDigit(s[j]))
            ++j;
        if (j > firstDigit)
            i = j;
    }
    return i;
}

std::string quoted(std::string_view text) {
    std::string quotedText = "\"";
    quotedText += text;
    quotedText += '"';
    return quotedText;
}

} // namespace

LeadingNumber ScanLeadingNumber(std::string_view text) {
    std::string s;
    for (const char c : text)
        if (c != ' ' && c != '\t' && c != '\n')
            s += c;

    std::size_t length = 0;
    if (s.size() >= 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o')) {
        const int base = (s[1] == 'H' || s[1] == 'h') ? 16 : 8;
        std::size_t i = 2;
        while (i < s.size() && isDigitOfBase(s[i], base))
            ++i;
        length = i > 2 ? i : 0;
    } else {
        length = decimalLength(s);
    }

    LeadingNumber number;
    number.found = length > 0;
    if (number.found)
        number.ignored = s.substr(length);
    return number;
}

std::optional<ValueNote> NoteFor(int table, TableKey key, std::string_view given, std::int32_t used) {
    ValueNote note;
    note.table = table;
    note.key = key;
    note.given = std::string(given);
    note.used = used;

    const LeadingNumber number = ScanLeadingNumber(given);
    if (!number.found) {
        note.kind = ValueNote::Kind::NotANumber;
        return note;
    }
    // A clamped value is stored as its limit, and Length and Range below 1 as 1; rounding alone
    // never moves a value past the stored one.
    const std::int32_t read = engine::RoundHalfEven(engine::ReadNumber(given));
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
                       quoted(note.given);
    switch (note.kind) {
    case ValueNote::Kind::NotANumber: line += " is not a number"; break;
    case ValueNote::Kind::Above: line += " is above " + used; break;
    case ValueNote::Kind::Below: line += " is below " + used; break;
    case ValueNote::Kind::IgnoredText: line += " has " + quoted(note.ignored) + " after the number"; break;
    }
    line += strict ? "; --strict refuses to use " + used : "; using " + used;
    return line;
}

} // namespace ondulix::cli
