#include "config/Conversions.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <random>

using torvik::mdlFileMgr::CVD;
using torvik::mdlFileMgr::msbin2ieee_d;
using torvik::mdlFileMgr::SerialNo2Hex;

namespace {

using Bytes = std::array<std::uint8_t, 8>;

TEST(SerialNo2Hex, Numbers) {
    // Hexadecimal of the whole part, worked out by hand.
    const struct {
        double value;
        const char* expected;
    } cases[] = {
        {0, "00000000"},
        {1234567, "0012D687"},
        {4294967295.0, "FFFFFFFF"},
        {10.9, "0000000A"},
        {-1, "00000000"},
        {-4294967295.0, "00000000"},
        {4294967296.0, "100000000"},   // 16^8: the first position carries 16
        {73014444032.0, "1100000000"}, // 17 × 16^8: the first position carries 0x110
        {std::numeric_limits<double>::quiet_NaN(), "0"},
        {std::numeric_limits<double>::infinity(), "0"},
        {1e300, "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SerialNo2Hex(c.value).toStdString(), c.expected) << c.value;
}

TEST(SerialNo2Hex, Texts) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"1234567", "0012D687"}, {" 42 ", "0000002A"}, {"0", "00000000"},
        {"10.9", "0000000A"},    {"abc", "0"},         {"", "0"},
        {"12abc", "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SerialNo2Hex(QString::fromLatin1(c.text)).toStdString(), c.expected) << c.text;
}

Bytes convert(const Bytes& src) {
    Bytes dest{};
    msbin2ieee_d(src, dest);
    return dest;
}

Bytes ieeeBytes(double value) {
    return std::bit_cast<Bytes>(value);
}

// Byte images worked out from value = ±1.m × 2^(byte 7 − 129), m = 55 bits below the
// implied one, rounded half up to 52 bits.
TEST(Msbin2IeeeD, ByteTable) {
    const struct {
        const char* what;
        Bytes src;
        Bytes expected;
    } cases[] = {
        {"all zero", {0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0}},
        {"1.0", {0, 0, 0, 0, 0, 0, 0x00, 0x81}, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}},
        {"-1.0", {0, 0, 0, 0, 0, 0, 0x80, 0x81}, {0, 0, 0, 0, 0, 0, 0xF0, 0xBF}},
        {"0.5", {0, 0, 0, 0, 0, 0, 0x00, 0x80}, {0, 0, 0, 0, 0, 0, 0xE0, 0x3F}},
        {"10.0", {0, 0, 0, 0, 0, 0, 0x20, 0x84}, {0, 0, 0, 0, 0, 0, 0x24, 0x40}},
        // Exponent byte 0 with a mantissa bit set is not zero: 2^-129.
        {"exponent 0", {1, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0xE0, 0x37}},
        {"smallest exponent", {0, 0, 0, 0, 0, 0, 0, 1}, {0, 0, 0, 0, 0, 0, 0xF0, 0x37}},
        // All ones round up into the next power of two: 2^127.
        {"largest",
         {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF},
         {0, 0, 0, 0, 0, 0, 0xE0, 0x47}},
        {"most negative",
         {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
         {0, 0, 0, 0, 0, 0, 0xE0, 0xC7}},
        // Dropped bits 100 with an even last bit: half up gives 1 + 2^-52 (half to even
        // would stay at 1.0).
        {"tie rounds up", {0x04, 0, 0, 0, 0, 0, 0x00, 0x81}, {1, 0, 0, 0, 0, 0, 0xF0, 0x3F}},
        {"below half", {0x03, 0, 0, 0, 0, 0, 0x00, 0x81}, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}},
        // The carry runs through six bytes into byte 6: 1 + 2^-4 - 2^-53 becomes 1.0625.
        {"carry chain",
         {0xFC, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x07, 0x81},
         {0, 0, 0, 0, 0, 0, 0xF1, 0x3F}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(convert(c.src), c.expected) << c.what;
}

TEST(Msbin2IeeeD, AgreesWithExactArithmeticAwayFromTies) {
    // Independent oracle: the 56-bit significand is exact in x87 long double; one rounding
    // to double (to nearest) equals half up wherever the dropped bits are not exactly 100.
    static_assert(std::numeric_limits<long double>::digits >= 56);
    std::mt19937_64 rng(20240501);
    for (int n = 0; n < 20000; ++n) {
        const std::uint64_t r = rng();
        Bytes src{};
        for (std::size_t i = 0; i < 8; ++i)
            src[i] = static_cast<std::uint8_t>(r >> (8 * i));
        if ((src[0] & 0x07) == 0x04)
            continue;
        std::uint64_t mantissa = src[6] & 0x7Fu;
        for (std::size_t i = 6; i-- > 0;)
            mantissa = (mantissa << 8) | src[i];
        const long double significand =
            static_cast<long double>((std::uint64_t{1} << 55) | mantissa);
        const long double exact = std::ldexp(significand, src[7] - 129 - 55);
        const double expected = static_cast<double>((src[6] & 0x80) ? -exact : exact);
        ASSERT_EQ(convert(src), ieeeBytes(expected)) << "random case " << n;
    }
}

TEST(Cvd, ReturnsTheConvertedDouble) {
    EXPECT_EQ(CVD(Bytes{0, 0, 0, 0, 0, 0, 0x20, 0x84}), 10.0);
    EXPECT_EQ(CVD(Bytes{0, 0, 0, 0, 0, 0, 0x80, 0x81}), -1.0);
    EXPECT_EQ(CVD(Bytes{}), 0.0);
}

TEST(Cvd, ShortArraysEndQuietly) {
    const std::array<std::uint8_t, 7> shortSrc{0, 0, 0, 0, 0, 0, 0x81};
    EXPECT_EQ(CVD(shortSrc), 0.0);

    Bytes dest{1, 2, 3, 4, 5, 6, 7, 8};
    msbin2ieee_d(shortSrc, dest);
    EXPECT_EQ(dest, (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
    std::array<std::uint8_t, 4> shortDest{9, 9, 9, 9};
    msbin2ieee_d(Bytes{0, 0, 0, 0, 0, 0, 0, 0x81}, shortDest);
    EXPECT_EQ(shortDest, (std::array<std::uint8_t, 4>{9, 9, 9, 9}));
}

} // namespace
