#include "engine/NumberText.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace ondulix::engine {
namespace {

bool isIgnoredBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string withoutBlanks(std::string_view text) {
    std::string kept;
    kept.reserve(text.size());
    for (const char c : text)
        if (!isIgnoredBlank(c))
            kept += c;
    return kept;
}

int digitValue(char c) {
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

// A number found at the start of a text: its value, and how many characters it takes (0 when
// no number begins the text).
struct Scan {
    double value = 0.0;
    std::size_t length = 0;
};

// "&H1F" or "&O17": the digits of the base that follow the prefix, as a non-negative integer.
Scan readRadixInteger(std::string_view text, int base) {
    constexpr std::size_t kPrefix = 2;
    Scan scan;
    std::size_t i = kPrefix;
    for (; i < text.size(); ++i) {
        const int d = digitValue(text[i]);
        if (d >= base)
            break;
        scan.value = scan.value * base + d;
    }
    if (i > kPrefix)
        scan.length = i;
    return scan;
}

// The decimal number at the start of `s`. Builds a clean "digits.digitsE±exp" text for
// from_chars, which is locale-independent and exact.
Scan readDecimal(std::string_view s) {
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        negative = s[i++] == '-';

    std::string mantissa;
    bool pointSeen = false;
    bool digitSeen = false;
    // Where the first significant digit stands, to tell an overflowing exponent from an
    // underflowing one when the value leaves the double range.
    bool significantSeen = false;
    long integerDigits = 0;
    long zerosAfterPoint = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (isDigit(c)) {
            digitSeen = true;
            if (!pointSeen && (significantSeen || c != '0')) {
                significantSeen = true;
                ++integerDigits;
            } else if (pointSeen && !significantSeen) {
                if (c == '0')
                    ++zerosAfterPoint;
                else
                    significantSeen = true;
            }
            mantissa += c;
        } else if (c == '.' && !pointSeen) {
            pointSeen = true;
            mantissa += c;
        } else {
            break;
        }
    }
    if (!digitSeen)
        return {};

    long exponent = 0;
    std::size_t end = i;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::size_t j = i + 1;
        bool expNegative = false;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            expNegative = s[j++] == '-';
        bool expDigit = false;
        for (; j < s.size() && isDigit(s[j]); ++j) {
            expDigit = true;
            if (exponent < 1'000'000) // far beyond any double; stops the count from overflowing
                exponent = exponent * 10 + (s[j] - '0');
        }
        if (expDigit && expNegative)
            exponent = -exponent;
        if (expDigit)
            end = j; // an exponent letter without digits is not part of the number
    }

    std::string number = mantissa;
    if (number.front() == '.')
        number.insert(number.begin(), '0');
    number += 'e';
    number += std::to_string(exponent);

    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        const long order = integerDigits > 0 ? integerDigits : -zerosAfterPoint;
        const bool overflow = significantSeen && order + exponent > 0;
        value = overflow ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (result.ec != std::errc()) {
        value = 0.0;
    }
    return {negative ? -value : value, end};
}

// Digits and decimal exponent of a value in scientific notation as to_chars writes it
// ("1.25e+02" gives "125" and 2), trailing zeros dropped.
struct Decimal {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

Decimal splitScientific(std::string_view text) {
    Decimal d;
    std::size_t i = 0;
    if (text[i] == '-') {
        d.negative = true;
        ++i;
    }
    const std::size_t e = text.find('e');
    for (; i < e; ++i)
        if (isDigit(text[i]))
            d.digits += text[i];
    std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(), d.exponent);
    while (d.digits.size() > 1 && d.digits.back() == '0')
        d.digits.pop_back();
    return d;
}

// Writes digits and exponent the way the boxes show numbers: plain for exponents from -4 up to
// below `plainBelow`, otherwise "d.dddE+XX".
std::string layOut(const Decimal& d, int plainBelow) {
    if (d.digits == "0")
        return "0";
    std::string out = d.negative ? "-" : "";
    const int count = static_cast<int>(d.digits.size());
    if (d.exponent >= -4 && d.exponent < plainBelow) {
        if (d.exponent < 0) {
            out += "0.";
            out.append(static_cast<std::size_t>(-d.exponent - 1), '0');
            out += d.digits;
        } else if (d.exponent + 1 >= count) {
            out += d.digits;
            out.append(static_cast<std::size_t>(d.exponent + 1 - count), '0');
        } else {
            out += d.digits.substr(0, static_cast<std::size_t>(d.exponent + 1));
            out += '.';
            out += d.digits.substr(static_cast<std::size_t>(d.exponent + 1));
        }
        return out;
    }
    out += d.digits.front();
    if (count > 1) {
        out += '.';
        out += d.digits.substr(1);
    }
    out += d.exponent < 0 ? "E-" : "E+";
    const int magnitude = std::abs(d.exponent);
    if (magnitude < 10)
        out += '0';
    out += std::to_string(magnitude);
    return out;
}

template <class Number>
Decimal scientific(Number value, int precision) {
    std::array<char, 64> buffer{};
    const auto result = precision < 0
                            ? std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::scientific)
                            : std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::scientific, precision);
    return splitScientific(std::string_view(buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data())));
}

} // namespace

LeadingNumber ReadLeadingNumber(std::string_view text) {
    const std::string s = withoutBlanks(text);
    const bool radix = s.size() >= 2 && s[0] == '&';
    const Scan scan = radix && (s[1] == 'H' || s[1] == 'h')   ? readRadixInteger(s, 16)
                      : radix && (s[1] == 'O' || s[1] == 'o') ? readRadixInteger(s, 8)
                                                              : readDecimal(s);
    LeadingNumber number;
    number.value = scan.value;
    number.found = scan.length > 0;
    if (number.found)
        number.ignored = s.substr(scan.length);
    return number;
}

double ReadNumber(std::string_view text) { return ReadLeadingNumber(text).value; }

std::string IntegerText(std::int32_t value) { return std::to_string(value); }

std::string FloatText(float value) {
    if (!std::isfinite(value))
        return "0";
    // The shortest text that reads back as the same float, unless that needs more than 7 digits.
    Decimal d = scientific(value, -1);
    if (d.digits.size() > 7)
        d = scientific(value, 6);
    return layOut(d, 7);
}

std::string DoubleText(double value) {
    if (!std::isfinite(value))
        return "0";
    return layOut(scientific(value, 14), 15);
}

} // namespace ondulix::engine
