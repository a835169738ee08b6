#include "engine/MessageText.h"

#include <algorithm>
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

std::size_t characterCount(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return !isContinuationByte(static_cast<unsigned char>(c)); }));
}

// The first or last `count` characters, never cutting one in two.
std::string_view firstCharacters(std::string_view text, std::size_t count) {
    std::size_t end = 0;
    for (std::size_t seen = 0; end < text.size(); ++end)
        if (!isContinuationByte(static_cast<unsigned char>(text[end])) && seen++ == count)
            break;
    return text.substr(0, end);
}
std::string_view lastCharacters(std::string_view text, std::size_t count) {
    std::size_t start = text.size();
    for (std::size_t seen = 0; start > 0 && seen < count;)
        if (!isContinuationByte(static_cast<unsigned char>(text[--start])))
            ++seen;
    return text.substr(start);
}

constexpr std::string_view kEllipsis = "\u2026";

// The end of a name kept when it is shortened: its extension, and never less than this.
constexpr std::size_t kNameEndCharacters = 12;
constexpr std::size_t kLongestExtension = 16;

std::string shortenedName(std::string_view name, std::size_t most) {
    if (characterCount(name) <= most)
        return std::string(name);
    const std::size_t dot = name.rfind('.');
    const std::size_t extension = dot == std::string_view::npos ? 0 : characterCount(name.substr(dot));
    const std::size_t end = std::max(kNameEndCharacters, extension <= kLongestExtension ? extension : 0);
    return std::string(firstCharacters(name, most - end - 1)) + std::string(kEllipsis) +
           std::string(lastCharacters(name, end));
}

} // namespace

std::string ShortenedPath(std::string_view path) {
    if (characterCount(path) <= kPathCharacters)
        return std::string(path);
    const std::size_t slash = path.rfind('/');
    const std::string name =
        shortenedName(slash == std::string_view::npos ? path : path.substr(slash + 1), kPathCharacters * 2 / 3);
    if (slash == std::string_view::npos)
        return name;
    // The folders: the first one, then as many of the last ones as there is room for.
    const std::string_view folders = path.substr(0, slash + 1); // "/tmp/a/b/"
    const std::size_t firstEnd = folders.find('/', folders.front() == '/' ? 1 : 0) + 1;
    const std::string_view first = folders.substr(0, firstEnd);
    std::string_view rest = folders.substr(firstEnd);
    const std::size_t room = kPathCharacters - characterCount(name);
    if (characterCount(folders) <= room)
        return std::string(folders) + name;
    std::string head = characterCount(first) + 2 <= room ? std::string(first) : std::string();
    std::size_t kept = rest.size();
    for (std::size_t cut = rest.size(); cut >= 2;) {
        const std::size_t previous = rest.rfind('/', cut - 2);
        const std::size_t start = previous == std::string_view::npos ? 0 : previous + 1;
        if (characterCount(head) + 2 + characterCount(rest.substr(start)) > room)
            break;
        kept = start;
        cut = start;
    }
    return head + std::string(kEllipsis) + "/" + std::string(rest.substr(kept)) + name;
}

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
