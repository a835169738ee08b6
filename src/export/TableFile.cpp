#include "export/TableFile.h"

#include <array>
#include <charconv>

namespace ondulix::exporter {
namespace {

constexpr std::string_view kLineBreak = "\r\n";

// Values written since the last line break; runs on across tables, 0 to 7 between values.
using ValuesOnLine = std::uint8_t;
constexpr ValuesOnLine kValuesPerLine = 8;

void appendNumber(std::string& out, std::int32_t number) {
    std::array<char, 16> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), number);
    out.append(digits.data(), result.ptr);
}

// The fixed pieces of one style, so the layout below is written once for both.
struct StylePieces {
    std::string_view commentOpen;
    std::string_view commentClose;
    std::string_view valueLineEnd; // after the eighth value when more follow
};

StylePieces piecesOf(ExportStyle style) {
    if (style == ExportStyle::AssemblerBytes)
        return {";", "", "\r\n.byte "};
    return {"/* ", " */", ",\r\n"};
}

void appendTableOpening(std::string& out, ExportStyle style, int tableNumber, std::int32_t length) {
    if (style == ExportStyle::AssemblerBytes) {
        out += "SinTab";
        appendNumber(out, tableNumber);
        out += kLineBreak;
        out += kLineBreak;
        out += ".byte ";
        return;
    }
    out += "Int SinTab";
    appendNumber(out, tableNumber);
    out += '[';
    appendNumber(out, length);
    out += "]=";
    out += kLineBreak;
    out += '{';
}

void appendTableClosing(std::string& out, ExportStyle style) {
    if (style == ExportStyle::CArrays)
        out += "};";
    out += kLineBreak;
}

// Appends one value text (" 59 " or "-59 ") and what follows it: a separator, a line end, or
// nothing after a table's last value.
void WriteTableValue(std::string& out, ExportStyle style, ValuesOnLine& valuesOnLine, std::int32_t value, bool isLast) {
    // A value reads " 59 " or "-59 ": the sign takes the place of the leading blank.
    if (value >= 0)
        out += ' ';
    appendNumber(out, value);
    out += ' ';

    ++valuesOnLine;
    if (valuesOnLine == kValuesPerLine) {
        valuesOnLine = 0;
        if (!isLast)
            out += piecesOf(style).valueLineEnd;
    } else if (!isLast) {
        out += ',';
    }
}

} // namespace

std::string WriteTableFile(const engine::TableSet& set, ExportStyle style) {
    std::string out;
    // Once per file, not per table: the count runs on across the four tables.
    ValuesOnLine valuesOnLine = 0;
    const StylePieces pieces = piecesOf(style);
    auto appendComment = [&](auto&&... parts) {
        out += pieces.commentOpen;
        ((out += parts), ...);
        out += pieces.commentClose;
        out += kLineBreak;
        out += kLineBreak;
    };
    auto text = [](std::int32_t number) {
        std::string s;
        appendNumber(s, number);
        return s;
    };

    // Four tables of 16384 entries take at most about 600 kB; one reservation avoids regrowth.
    std::size_t entries = 0;
    for (const engine::TableParams& t : set.tables)
        entries += static_cast<std::size_t>(t.Length > 0 ? t.Length : 0);
    out.reserve(512 + entries * 9);

    out += kLineBreak;
    appendComment(kHeaderCredit);

    for (int i = 0; i < engine::kTableCount; ++i) {
        const engine::TableParams& t = set.tables[static_cast<std::size_t>(i)];
        out += kLineBreak;
        appendComment(text(t.Periods), " Period(s) from ", text(t.Minimum), " to ", text(t.Maximum));
        appendTableOpening(out, style, i + 1, t.Length);
        const auto row = set.values.row(i);
        for (std::int32_t j = 1; j <= t.Length; ++j)
            WriteTableValue(out, style, valuesOnLine, row[static_cast<std::size_t>(j)], j == t.Length);
        appendTableClosing(out, style);
    }

    out += kLineBreak;
    const auto& s = set.tables;
    appendComment("ADCs in Preview were: ", text(s[0].Speed), "/", text(s[1].Speed), "/", text(s[2].Speed), "/",
                  text(s[3].Speed));
    return out;
}

} // namespace ondulix::exporter
