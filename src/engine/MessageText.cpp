#include "engine/MessageText.h"

#include <array>
#include <cstdio>

namespace ondulix::engine {
namespace {

bool isContinuationByte(unsigned char c) { return (c & 0xC0) == 0x80; }

void appendVisible(std::string& out, char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\n') {
        out += "\\n";
    } else if (c == '\t') {
        out += "\\t";
    } else if (c == '\r') {
        out += "\\r";
    } else if (byte < 0x20 || byte == 0x7F) {
        std::array<char, 5> escape{};
        std::snprintf(escape.data(), escape.size(), "\\x%02x", byte);
        out += escape.data();
    } else {
        out += c;
    }
}

} // namespace

std::string Quoted(std::string_view value) {
    std::string out = "\"";
    std::size_t characters = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const auto byte = static_cast<unsigned char>(value[i]);
        if (!isContinuationByte(byte) && characters++ == kQuotedCharacters) {
            out += "\u2026";
            break;
        }
        appendVisible(out, value[i]);
    }
    out += '"';
    return out;
}

std::string LowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

} // namespace ondulix::engine
