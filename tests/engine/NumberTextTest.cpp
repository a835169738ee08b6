#include "engine/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace ondulix::engine {
namespace {

TEST(ReadNumber, TakesTheLeadingNumberAndIgnoresTheRest) {
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"12abc", 12},  {" 1 2", 12},     {"1,5", 1},       {"1e3", 1000},   {"-", 0},
        {".5", 0.5},    {"&H10", 16},     {"", 0},          {"+", 0},        {"abc", 0},
        {"-7", -7},     {"+7", 7},        {"- 7", -7},      {"\t4\n2", 42},  {"007", 7},
        {"2.5", 2.5},   {"-2.5", -2.5},   {"1.", 1},        {"1.2.3", 1.2},  {"--5", 0},
        {"1D2", 100},   {"1d-2", 0.01},   {"1E+2x", 100},   {"1e", 1},       {"1e+", 1},
        {"e5", 0},      {".", 0},         {"-.5", -0.5},    {"&h1f", 31},    {"&O17", 15},
        {"&o8", 0},     {"&H", 0},        {"&Hzz", 0},      {"&HFFFF", 65535}, {"&X10", 0},
        {"16384.4", 16384.4}, {"0x10", 0}, {"1e-400", 0},  {"\r5", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadNumber(c.text), c.value) << '"' << c.text << '"';
}

TEST(ReadLeadingNumber, TellsWhereTheNumberEnds) {
    struct Case {
        std::string_view text;
        bool found;
        std::string_view ignored;
    };
    const Case cases[] = {
        {"12", true, ""},        {"12abc", true, "abc"},   {" 1 2", true, ""},      {"-7", true, ""},
        {"+.5", true, ""},       {"2.5", true, ""},        {"1.2.3", true, ".3"},   {"1e3", true, ""},
        {"1D-2", true, ""},      {"1e", true, "e"},        {"1e+", true, "e+"},     {"0x10", true, "x10"},
        {"1,5", true, ",5"},     {"&H10", true, ""},       {"&hFF", true, ""},      {"&H1G", true, "G"},
        {"&O17", true, ""},      {"&O8", false, ""},       {"&H", false, ""},       {"&5", false, ""},
        {"abc", false, ""},      {"-", false, ""},         {".", false, ""},        {"", false, ""},
        {"e5", false, ""},       {"--5", false, ""},       {"1 e 3x", true, "x"},
    };
    for (const Case& c : cases) {
        const LeadingNumber number = ReadLeadingNumber(c.text);
        EXPECT_EQ(c.found, number.found) << '"' << c.text << '"';
        EXPECT_EQ(c.ignored, number.ignored) << '"' << c.text << '"';
        EXPECT_EQ(number.value, ReadNumber(c.text)) << '"' << c.text << '"';
        if (!c.found) {
            EXPECT_EQ(0.0, number.value) << '"' << c.text << '"';
        }
    }
}

TEST(ReadNumber, HugeExponentsAndLongTextsStayFinite) {
    EXPECT_EQ(ReadNumber("1e999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(ReadNumber("-1e999"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(ReadNumber("0.0000001e309"), 1e302);
    EXPECT_EQ(ReadNumber("0e99999"), 0.0);
    EXPECT_EQ(ReadNumber("1e99999999999999999999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(ReadNumber("1e-99999999999999999999"), 0.0);
    EXPECT_EQ(ReadNumber(std::string(5000, '9')), std::numeric_limits<double>::infinity());
    EXPECT_EQ(ReadNumber("0." + std::string(5000, '0') + "1"), 0.0);
    EXPECT_EQ(ReadNumber("1e39"), 1e39);
    EXPECT_TRUE(std::isfinite(ReadNumber("&H" + std::string(200, 'F'))));
}

TEST(NumberText, IntegersArePlainDecimal) {
    EXPECT_EQ(IntegerText(-128), "-128");
    EXPECT_EQ(IntegerText(0), "0");
    EXPECT_EQ(IntegerText(512), "512");
    EXPECT_EQ(IntegerText(-2147483647 - 1), "-2147483648");
}

TEST(NumberText, FloatsUseTheShortestOfAtMostSevenDigits) {
    struct Case {
        float value;
        const char* text;
    };
    const Case cases[] = {
        {512.0f, "512"},        {-255.0f, "-255"},         {0.5f, "0.5"},          {-0.5f, "-0.5"},
        {300.5f, "300.5"},      {0.0f, "0"},               {-0.0f, "0"},           {0.1f, "0.1"},
        {1048576.0f, "1048576"}, {9999999.0f, "9999999"},  {16777216.0f, "1.677722E+07"},
        {1e20f, "1E+20"},       {0.0001f, "0.0001"},       {0.00001f, "1E-05"},    {1.0f / 3.0f, "0.3333333"},
        {123456.789f, "123456.8"}, {-1e-30f, "-1E-30"},    {2.5e-3f, "0.0025"},
        {std::numeric_limits<float>::infinity(), "0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FloatText(c.value), c.text) << c.value;
}

TEST(NumberText, DoublesUseAtMostFifteenDigits) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {256, "256"},   {-254, "-254"}, {10.5, "10.5"}, {1.1, "1.1"},
        {0.1 + 1.0, "1.1"}, {1048576, "1048576"}, {1e15, "1E+15"}, {999999999999999.0, "999999999999999"},
        {1.0 / 3.0, "0.333333333333333"}, {-2.220446049250313e-16, "-2.22044604925031E-16"}, {0.0, "0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DoubleText(c.value), c.text) << c.value;
}

TEST(NumberText, ShownTextsReadBackAsTheSameNumber) {
    // A box shows what was stored; reading that text again must give the stored value, or the
    // next edit would see a different number.
    for (float f : {512.0f, -255.5f, 0.1f, 300.25f, 1048575.0f, -1048576.0f, 3.141593f, 1e-3f, 77.77f}) {
        EXPECT_EQ(static_cast<float>(ReadNumber(FloatText(f))), f) << FloatText(f);
    }
    for (double d : {256.0, -254.0, 10.5, 1048576.0, 0.125, -1.75}) {
        EXPECT_EQ(ReadNumber(DoubleText(d)), d) << DoubleText(d);
    }
}

} // namespace
} // namespace ondulix::engine
