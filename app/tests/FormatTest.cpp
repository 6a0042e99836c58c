#include "runtime/Format.h"

#include <cfloat>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using torvik::runtime::formatNumber;
using torvik::runtime::hexText;
using torvik::runtime::HexWidth;
using torvik::runtime::plainText;
using torvik::runtime::Precision;

namespace {

struct FormatCase {
    double value;
    const char* pattern;
    Precision precision;
    const char* expected;
};

// Expected texts worked out by hand: the value rounded to 15 (or 7) significant digits,
// then to the pattern's decimals with halves away from zero.
const FormatCase formatCases[] = {
    // The value formats of measured values.
    {0.0, "##0.00", Precision::Double, "0.00"},
    {1000.0, "##0.00", Precision::Double, "1000.00"},
    {12.3, "##0.000", Precision::Double, "12.300"},
    {123.456, "##0", Precision::Double, "123"},
    {-2.5, "##0.00", Precision::Double, "-2.50"},
    // Halves go away from zero, not to even.
    {0.125, "##0.00", Precision::Double, "0.13"},
    {-0.125, "##0.00", Precision::Double, "-0.13"},
    {0.5, "##0", Precision::Double, "1"},
    {-0.5, "##0", Precision::Double, "-1"},
    {2.5, "##0", Precision::Double, "3"},
    // Stored just below the half in binary (2.67499999999999982...), but 2.675 in 15 digits,
    // which is the text the operator sees for it.
    {2.675, "##0.00", Precision::Double, "2.68"},
    {1.005, "##0.00", Precision::Double, "1.01"},
    {9.995, "##0.00", Precision::Double, "10.00"},
    {999.995, "##0.00", Precision::Double, "1000.00"},
    {0.0049, "##0.00", Precision::Double, "0.00"},
    // A single's value is its 7 digits: 2.675f is 2.6749999523... as a double.
    {static_cast<double>(2.675f), "##0.00", Precision::Single, "2.68"},
    {static_cast<double>(2.675f), "##0.00", Precision::Double, "2.67"},
    // A small negative value keeps its sign.
    {-0.001, "##0.00", Precision::Double, "-0.00"},
    // Large and tiny values.
    {1e15, "##0.00", Precision::Double, "1000000000000000.00"},
    {1e20, "##0.00", Precision::Double, "100000000000000000000.00"},
    {1e-20, "##0.00", Precision::Double, "0.00"},
    // Remaining capacity in KB.
    {1e15, "#,##0", Precision::Double, "1,000,000,000,000,000"},
    {1000.0, "#,##0", Precision::Double, "1,000"},
    {999.5, "#,##0", Precision::Double, "1,000"},
    {999.4, "#,##0", Precision::Double, "999"},
    {0.4, "#,##0", Precision::Double, "0"},
    {-1234.5, "#,##0", Precision::Double, "-1,235"},
    // Zero-filled integers: addresses, time stamps, sequence numbers.
    {5, "0000", Precision::Double, "0005"},
    {12345, "0000", Precision::Double, "12345"},
    {7, "00", Precision::Double, "07"},
    {2.5, "00", Precision::Double, "03"},
    {42, "000", Precision::Double, "042"},
    {-5, "000", Precision::Double, "-005"},
    {1, "0.0", Precision::Double, "1.0"},
    {0.25, "#.##", Precision::Double, ".25"},
    // Not a digit pattern: the plain text.
    {1.5, "0%", Precision::Double, "1.5"},
    {std::numeric_limits<double>::quiet_NaN(), "##0.00", Precision::Double, "NaN"},
    {-std::numeric_limits<double>::infinity(), "##0.00", Precision::Double, "-Inf"},
};

TEST(FormatNumber, PatternsAndRounding) {
    for (const auto& c : formatCases) {
        EXPECT_EQ(formatNumber(c.value, QString::fromLatin1(c.pattern), c.precision).toStdString(),
                  c.expected)
            << c.value << " with " << c.pattern;
    }
}

struct PlainCase {
    double value;
    Precision precision;
    const char* expected;
};

// Shortest text of the value's 7 or 15 significant digits; exponent form below 1E-4 and from
// 1E+7 / 1E+15 on, with at least two exponent digits.
const PlainCase plainCases[] = {
    {0.0, Precision::Double, "0"},
    {1.0, Precision::Double, "1"},
    {0.1, Precision::Double, "0.1"},
    {0.1 + 0.2, Precision::Double, "0.3"},
    {-5.0, Precision::Double, "-5"},
    {1.0 / 3.0, Precision::Double, "0.333333333333333"},
    {2.0 / 3.0, Precision::Double, "0.666666666666667"},
    {123456789012345.0, Precision::Double, "123456789012345"},
    {1e15, Precision::Double, "1E+15"},
    {1e20, Precision::Double, "1E+20"},
    {-1.5e20, Precision::Double, "-1.5E+20"},
    {1e100, Precision::Double, "1E+100"},
    {0.0001, Precision::Double, "0.0001"},
    {0.00001, Precision::Double, "1E-05"},
    {-1.5e-7, Precision::Double, "-1.5E-07"},
    {DBL_MAX, Precision::Double, "1.79769313486232E+308"},
    {static_cast<double>(0.1f), Precision::Single, "0.1"},
    {static_cast<double>(1.0f / 3.0f), Precision::Single, "0.3333333"},
    {static_cast<double>(3.14159265f), Precision::Single, "3.141593"},
    {1234567.0, Precision::Single, "1234567"},
    {16777216.0, Precision::Single, "1.677722E+07"},
    {static_cast<double>(0.000001f), Precision::Single, "1E-06"},
    {std::numeric_limits<double>::quiet_NaN(), Precision::Double, "NaN"},
    {std::numeric_limits<double>::infinity(), Precision::Double, "Inf"},
};

TEST(PlainText, SingleAndDouble) {
    for (const auto& c : plainCases)
        EXPECT_EQ(plainText(c.value, c.precision).toStdString(), c.expected) << c.value;
}

TEST(PlainText, DoubleTextReadsBackAsTheSameFifteenDigits) {
    // What the data file holds must read back as the value that was shown.
    for (const double v : {0.1, 1.0 / 7.0, 123.456, -98765.4321, 6.02214076e23, 1.602e-19}) {
        const double back = plainText(v).toDouble();
        EXPECT_EQ(plainText(back), plainText(v));
        EXPECT_NEAR(back, v, std::fabs(v) * 1e-14);
    }
}

TEST(HexText, UpperCaseWithoutLeadingZeros) {
    // Compared with the digits of printf("%llX").
    EXPECT_EQ(hexText(0), "0");
    EXPECT_EQ(hexText(255), "FF");
    EXPECT_EQ(hexText(256), "100");
    EXPECT_EQ(hexText(0x12AB), "12AB");
    EXPECT_EQ(hexText(4294967296LL), "100000000");
    EXPECT_EQ(hexText(-1), "FFFFFFFF");
    EXPECT_EQ(hexText(-256), "FFFFFF00");
    EXPECT_EQ(hexText(-1, HexWidth::Bits16), "FFFF");
}

} // namespace
