#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ondulix::engine {

// The conversions between the boxes' texts and numbers.

// What reading a text found: the number it begins with and where that number ends.
struct LeadingNumber {
    double value = 0.0;  // 0 when no number begins the text
    bool found = false;  // false: no number begins the text (empty, a lone sign, "abc", "&H")
    std::string ignored; // what follows the number, blanks dropped ("abc" in "12abc")
};

// Reads the number a text begins with. Blanks, tabs and line feeds are ignored wherever they
// stand (" 1 2" reads 12); then an optional sign, digits with at most one point (always a point,
// whatever the locale) and an optional exponent (E or D, optional sign, digits) are taken as far
// as they form a number, and the rest is ignored ("12abc" reads 12, "1,5" reads 1; an exponent
// letter without digits is not part of the number). "&H" and "&O" begin a hexadecimal or octal
// integer. A text that does not begin with a number, an empty text and a lone sign read 0.
// Exponents beyond the double range read as infinity or 0; the input limits then take over.
LeadingNumber ReadLeadingNumber(std::string_view text);

// The value alone.
double ReadNumber(std::string_view text);

// "-128", "0", "512": plain decimal digits, a minus sign for negatives.
std::string IntegerText(std::int32_t value);

// A single-precision value as the shortest decimal text of at most 7 significant digits:
// 512 gives "512", -255 "-255", one half "0.5". Magnitudes from 1E+07 up, and below 1E-04, are
// written with an exponent ("1.677722E+07", "1E-05").
std::string FloatText(float value);

// A double as decimal text of at most 15 significant digits: "256", "-254", "10.5". Magnitudes
// from 1E+15 up, and below 1E-04, are written with an exponent.
std::string DoubleText(double value);

} // namespace ondulix::engine
