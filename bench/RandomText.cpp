#include "RandomText.h"

#include <array>
#include <string_view>

namespace ondulix::bench {
namespace {

constexpr std::array<std::string_view, 44> kPieces = {
    "0", "1", "7", "9", "42", "16384", "16385", "-16385", "256", "257", "-", "+", ".", ",", "e", "E", "d", "D",
    "&H", "&h", "&O", "FF", "7FFFFFFF", "Z", "x", "abc", " ", "\t", "\n", "\r", "1e39", "1e999", "-1e999", "1e-400",
    "32768", "-32768", "4.5", "-2.5", "0.1000000000000001", "9007199254740993", "&HFFFFFFFFFFFF", "\xc3\xa9",
    "\xe2\x82\xac", "1,5"};

constexpr std::string_view kLongAlphabet = "0123456789.e-+&H ";

} // namespace

std::string RandomText::next() {
    std::string text;
    if (below(10) == 0) { // a long string, pasted
        const std::size_t length = 100 + below(3901);
        for (std::size_t i = 0; i < length; ++i)
            text += kLongAlphabet[below(kLongAlphabet.size())];
        return text;
    }
    for (std::size_t count = below(5); count > 0; --count)
        text += kPieces[below(kPieces.size())];
    return text;
}

std::string RandomText::nextTyped(std::size_t longest) {
    std::string text;
    for (const char c : next()) {
        if (text.size() >= longest)
            break;
        if (c >= ' ' && c <= '~')
            text += c;
    }
    return text;
}

} // namespace ondulix::bench
