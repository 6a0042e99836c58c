// Numeric text as the forms read it. Expected values follow the forms' run-time rules:
// IsNumeric/CDbl accept blanks, a sign, thousands separators, an E or D exponent and &H/&O
// integers; CInt/CLng round half to even; Val reads the leading number.
#include "runtime/NumericText.h"

#include <QString>
#include <gtest/gtest.h>

using namespace torvik::runtime;

namespace {

TEST(NumericText, IsNumeric) {
    const struct {
        const char16_t* text;
        bool numeric;
    } cases[] = {
        {u"12", true},    {u" 12 ", true}, {u"\t5\t", true},  {u"+1", true},   {u"-1.5", true},
        {u"1.", true},    {u".5", true},   {u"1e3", true},    {u"1E+3", true}, {u"1d2", true},
        {u"1,000", true}, {u"&H1F", true}, {u"&h1f", true},   {u"&O17", true}, {u"", false},
        {u" ", false},    {u".", false},   {u"-", false},     {u"1e", false},  {u",1", false},
        {u"&H", false},   {u"&HG", false}, {u"&O8", false},   {u"12a", false}, {u"a12", false},
        {u"1 2", false},  {u"--1", false}, {u"1e400", false}, // does not fit a double
    };
    for (const auto& c : cases)
        EXPECT_EQ(isNumeric(c.text), c.numeric) << QString::fromUtf16(c.text).toStdString();
}

TEST(NumericText, IntegerConversionsRoundHalfToEvenAndFailOutsideTheirRange) {
    const struct {
        const char16_t* text;
        std::optional<std::int16_t> cint;
        std::optional<std::int32_t> clng;
    } cases[] = {
        {u"2.5", 2, 2},
        {u"3.5", 4, 4},
        {u"-2.5", -2, -2},
        {u"-3.5", -4, -4},
        {u"2.4999", 2, 2},
        {u"2.5001", 3, 3},
        {u"1e4", 10000, 10000},
        {u"32767", 32767, 32767},
        {u"32767.5", std::nullopt, 32768}, // rounds up to 32768
        {u"-32768.5", -32768, -32768},     // -32768 is the even neighbour
        {u"32768", std::nullopt, 32768},
        {u"38400", std::nullopt, 38400},
        {u"2147483647", std::nullopt, 2147483647},
        {u"2147483648", std::nullopt, std::nullopt},
        {u"-2147483648", std::nullopt, std::numeric_limits<std::int32_t>::min()},
        {u"&HFFFF", -1, -1}, // 16-bit patterns are 16-bit numbers
        {u"&H8000", -32768, -32768},
        {u"&H10000", std::nullopt, 65536},
        {u"&HFFFFFFFF", -1, -1}, // the 32-bit number -1
        {u"&H100000000", std::nullopt, std::nullopt},
        {u"1,000", 1000, 1000},
        {u"", std::nullopt, std::nullopt},
        {u"abc", std::nullopt, std::nullopt},
        {u"12abc", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        const std::string text = QString::fromUtf16(c.text).toStdString();
        EXPECT_EQ(toInt16(c.text), c.cint) << text;
        EXPECT_EQ(toInt32(c.text), c.clng) << text;
    }
}

TEST(NumericText, RealConversions) {
    EXPECT_EQ(toDouble(u"-0.5"), -0.5);
    EXPECT_EQ(toDouble(u"1e-400"), 0.0); // too small is zero, not a failure
    EXPECT_EQ(toDouble(u"0.0000e999999"), 0.0);
    EXPECT_EQ(toDouble(u"1e400"), std::nullopt);
    EXPECT_EQ(toSingle(u"1.0"), 1.0f);
    EXPECT_EQ(toSingle(u"3.4e38"), 3.4e38f);
    EXPECT_EQ(toSingle(u"1e39"), std::nullopt); // beyond single precision
    EXPECT_EQ(toSingle(u"x"), std::nullopt);
}

TEST(NumericText, ValReadsTheLeadingNumber) {
    const struct {
        const char16_t* text;
        std::optional<double> value;
    } cases[] = {
        {u"12abc", 12.0}, {u" 1 2 3", 123.0}, {u"1,5", 1.0},        {u"abc", 0.0},
        {u"", 0.0},       {u".5", 0.5},       {u"-3.5e2x", -350.0}, {u"1e", 1.0},
        {u"&HFF", 255.0}, {u"&HFFFF", -1.0},  {u"&HZ", 0.0},        {u"1e400", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(val(c.text), c.value) << QString::fromUtf16(c.text).toStdString();
}

} // namespace
