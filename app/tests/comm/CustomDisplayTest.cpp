#include "comm/CustomDisplay.h"

#include "Registers.h"

#include <gtest/gtest.h>

using namespace torvik::comm;
using test::Registers;

namespace {

const DecodeSettings kDefault{}; // DP 2, "##0.00"

struct FormatCase {
    const char* what;
    CustomFormat format;
    const char* length;
    Registers reply;
    QString expected;
};

QString fill(int n) {
    return QString(n, QChar(0x00FF));
}

// Where the expected texts come from:
// - "worked": the display rules' own examples;
// - integers: Python int(hex, 16), 2**64 - 1 and 2**96 - 1 (the decimal type's largest);
// - two-register reals: Python struct.unpack('>f', ...) of the two registers high word first;
// - four-register reals: Microsoft Binary Format bytes of the value made in Python from its
//   IEEE form (exponent byte = IEEE exponent - 894, mantissa shifted left 3, sign in bit 7 of
//   byte 6; byte 2k is the low byte of register k), the value printed with '%.8f'.
const FormatCase formatCases[] = {
    // Hexadecimal: high byte of each register first, no separators.
    {"worked: 0A05 1234", CustomFormat::Hexadecimal, "2", {0x0A05, 0x1234}, "0A051234"},
    {"leading zeros kept",
     CustomFormat::Hexadecimal,
     "3",
     {0x0001, 0x00FF, 0xF000},
     "000100FFF000"},
    {"length beyond the registers read", CustomFormat::Hexadecimal, "2", {0xABCD}, "ABCD0000"},

    // Integer: all registers one unsigned big-endian number.
    {"worked: FFFF is 65535, not -1", CustomFormat::Integer, "1", {0xFFFF}, "65535"},
    {"two registers", CustomFormat::Integer, "2", {0x0A05, 0x1234}, "168104500"},
    {"zero", CustomFormat::Integer, "1", {0x0000}, "0"},
    {"four registers, exact beyond a double",
     CustomFormat::Integer,
     "4",
     {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF},
     "18446744073709551615"},
    {"the largest decimal",
     CustomFormat::Integer,
     "6",
     {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF},
     "79228162514264337593543950335"},
    {"seven registers, the first zero",
     CustomFormat::Integer,
     "7",
     {0x0000, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF},
     "79228162514264337593543950335"},
    {"beyond the decimal range: nothing",
     CustomFormat::Integer,
     "7",
     {0x0001, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000},
     ""},

    // Real over two registers: high word first, the value format.
    {"pi, high word first", CustomFormat::Real, "2", {0x4049, 0x0FDB}, "3.14"},
    {"words the other way round", CustomFormat::Real, "2", {0x0FDB, 0x4049}, "0.00"},
    {"negative", CustomFormat::Real, "2", {0xC2F6, 0xE979}, "-123.46"},

    // Real over four registers: the eight bytes through CVD, eight decimals.
    {"MBF 1.0", CustomFormat::Real, "4", {0x0000, 0x0000, 0x0000, 0x8100}, "1.00000000"},
    {"MBF -0.5", CustomFormat::Real, "4", {0x0000, 0x0000, 0x0000, 0x8080}, "-0.50000000"},
    {"MBF pi", CustomFormat::Real, "4", {0x6888, 0xA221, 0x0FDA, 0x8249}, "3.14159265"},
    {"MBF 123456789012345: every register counts",
     CustomFormat::Real,
     "4",
     {0xF200, 0x1BBE, 0x910C, 0xAF60},
     "123456789012345.00000000"},
    {"the same without register 0",
     CustomFormat::Real,
     "4",
     {0x0000, 0x1BBE, 0x910C, 0xAF60},
     "123456789012224.00000000"},
    {"all zero bytes", CustomFormat::Real, "4", {}, "0.00000000"},
    {"three registers: no rule", CustomFormat::Real, "3", {0x4049, 0x0FDB, 0x0000}, ""},
    {"one register: no rule", CustomFormat::Real, "1", {0x4049}, ""},

    // ASCII: high byte first, unprintable bytes as the fill character.
    {"ABC and a zero byte", CustomFormat::Ascii, "2", {0x4142, 0x4300}, "ABC" + fill(1)},
    {"comma and quote", CustomFormat::Ascii, "1", {0x2C22}, ",\""},
    {"control, DEL and high bytes", CustomFormat::Ascii, "2", {0x0A7F, 0x80FF}, fill(4)},
    {"edges of the printable range", CustomFormat::Ascii, "1", {0x207E}, " ~"},

    // Bits: "01 " on, "00 " off, whatever the registers.
    {"worked: on, off, on", CustomFormat::Bits, "3", Registers::ofBits({true, false, true}),
     "01 00 01 "},
    {"all off", CustomFormat::Bits, "2", Registers::ofBits({}), "00 00 "},

    // Lengths the display has no rule for.
    {"empty length", CustomFormat::Hexadecimal, "", {0x1234}, ""},
    {"length 0", CustomFormat::Hexadecimal, "0", {0x1234}, ""},
    {"length not a number", CustomFormat::Ascii, "x", {0x4142}, ""},
    {"fractional length", CustomFormat::Hexadecimal, "1.5", {0x1234}, ""},
    // The control's views reach registers 0 to 126 (bytes 0 to 253) and bits 0 to 2031.
    {"the last register the views reach",
     CustomFormat::Hexadecimal,
     "127",
     {0x1234},
     "1234" + QStringLiteral("0000").repeated(126)},
    {"one register beyond the views", CustomFormat::Hexadecimal, "128", {0x1234}, ""},
    {"more registers than the data area", CustomFormat::Hexadecimal, "129", {0x1234}, ""},
    {"the last bit the views reach", CustomFormat::Bits, "2032", Registers::ofBits({true}),
     "01 " + QStringLiteral("00 ").repeated(2031)},
    {"one bit beyond the views", CustomFormat::Bits, "2033", Registers::ofBits({true}), ""},
    {"more bits than the data area", CustomFormat::Bits, "2049", Registers::ofBits({true}), ""},
};

TEST(CustomDisplay, EveryFormatOnKnownRegisters) {
    for (const auto& c : formatCases)
        EXPECT_EQ(customText(c.reply, c.format, QString::fromLatin1(c.length), kDefault),
                  c.expected)
            << c.what;
}

TEST(CustomDisplay, TwoRegisterRealFollowsTheValueFormat) {
    DecodeSettings three = kDefault;
    three.DP = 3;
    three.ValueFormat = QStringLiteral("##0.000");
    EXPECT_EQ(customText(Registers{0x4049, 0x0FDB}, CustomFormat::Real, "2", three), "3.142");
    // The four-register real keeps its eight decimals whatever the value format.
    EXPECT_EQ(customText(Registers{0, 0, 0, 0x8100}, CustomFormat::Real, "4", three), "1.00000000");
}

TEST(CustomDisplay, TwentyRegistersOfEachFormatStayWithinTheDataArea) {
    Registers twenty{0x4142, 0x4344, 0x4546, 0x4748, 0x494A, 0x4B4C, 0x4D4E,
                     0x4F50, 0x5152, 0x5354, 0x5556, 0x5758, 0x595A, 0x6162,
                     0x6364, 0x6566, 0x6768, 0x696A, 0x6B6C, 0x6D6E};
    EXPECT_EQ(customText(twenty, CustomFormat::Ascii, "20", kDefault),
              "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn");
    EXPECT_EQ(customText(twenty, CustomFormat::Hexadecimal, "20", kDefault).size(), 80);
}

} // namespace
