#include "comm/DlcDecoding.h"

#include "Registers.h"

#include <cstdint>
#include <gtest/gtest.h>

using namespace torvik::comm;

namespace {

using test::Registers;

DecodeSettings settings(std::int16_t dp, const char* kind, bool unit) {
    const QString format = dp == 0 ? QStringLiteral("##0") : "##0." + QString(dp, u'0');
    return {dp, QString::fromLatin1(kind), unit, format};
}

struct ValueCase {
    const char* what;
    Registers reply;
    DecodeSettings settings;
    double capacity; // rated values of the DLC (index 1)
    double output;
    const char* expected;
};

// The worked examples of the decoding rules, and the rounding of the value format
// (half away from zero, on the digits a single-precision float carries).
const ValueCase valueCases[] = {
    {"float, DP 2", Registers::ofFloat(1.5f), settings(2, "R", true), 0, 0, "1.50"},
    {"float, DP 0", Registers::ofFloat(12.5f), settings(0, "R", true), 0, 0, "13"},
    {"float, DP 3", Registers::ofFloat(1.5f), settings(3, "R", true), 0, 0, "1.500"},
    {"float keeps single digits", Registers::ofFloat(2.675f), settings(2, "R", true), 0, 0, "2.68"},
    {"float ignores rated values", Registers::ofFloat(4.0f), settings(2, "R", true), 500, 2,
     "4.00"},
    {"count, no rated output yet", Registers::ofLong(12345), settings(2, "N", true), 0, 0,
     "123.45"},
    {"count converted", Registers::ofLong(1000), settings(2, "N", true), 500, 2, "2500.00"},
    {"count, capacity 0", Registers::ofLong(1000), settings(2, "N", true), 0, 2, "0.00"},
    {"count unconverted", Registers::ofLong(-5), settings(2, "N", false), 500, 2, "-5"},
    {"count, DP 0", Registers::ofLong(7), settings(0, "N", true), 0, 0, "7"},
    {"largest count", Registers::ofLong(2147483647), settings(0, "N", false), 0, 0, "2147483647"},
};

TEST(DlcDecoding, MeasuredValue) {
    for (const auto& c : valueCases) {
        RatedValues rated;
        rated.m_TeikakuCapacity[1] = c.capacity;
        rated.m_TeikakuOutput[1] = c.output;
        EXPECT_EQ(measuredValueText(c.reply, 1, rated, c.settings), c.expected) << c.what;
    }
}

TEST(DlcDecoding, MeasuredValueOfAnIndexOutsideTheTablesIsNotConverted) {
    RatedValues rated;
    rated.m_TeikakuCapacity.fill(500);
    rated.m_TeikakuOutput.fill(2);
    EXPECT_EQ(measuredValueText(Registers::ofLong(1000), 9, rated, settings(2, "N", true)),
              "10.00");
    EXPECT_EQ(measuredValueText(Registers::ofLong(1000), -1, rated, settings(2, "N", true)),
              "10.00");
}

TEST(DlcDecoding, StatusWordIsFourDigitsHighByteFirst) {
    // Registers: value high, value low, status.
    const struct {
        std::uint16_t status;
        const char* expected;
    } cases[] = {{0x0A05, "0A05"}, {0x0000, "0000"}, {0xFF00, "FF00"}, {0x00AB, "00AB"}};
    for (const auto& c : cases)
        EXPECT_EQ(statusText(Registers{0, 0, c.status}), c.expected) << c.expected;
}

TEST(DlcDecoding, NamesKeepFortyCharactersAndFillUnprintableBytes) {
    // "AB", "C" + zero byte, then zero registers: every zero byte is the fill character.
    const QString abc = nameText(Registers{0x4142, 0x4300});
    EXPECT_EQ(abc, "ABC" + QString(37, QChar(0x00FF)));

    // Each register is read high byte first; the edges of the printable range.
    const QString edges = nameText(Registers{0x207E, 0x1F7F, 0x80FF, 0x2020, 0x2020, 0x2020, 0x2020,
                                             0x2020, 0x2020, 0x2020, 0x2020, 0x2020, 0x2020, 0x2020,
                                             0x2020, 0x2020, 0x2020, 0x2020, 0x2020, 0x2020});
    EXPECT_EQ(edges, " ~" + QString(4, QChar(0x00FF)) + QString(34, u' '));
}

TEST(DlcDecoding, WordBCD2String) {
    const QChar fill(0x00FF);
    const struct {
        const char* code;
        QChar expected;
    } cases[] = {
        {"65", u'A'},  {"32", u' '},  {"126", u'~'}, {" 66 ", u'B'},  {"66.4", u'B'}, {"31", fill},
        {"127", fill}, {"255", fill}, {"-65", fill}, {"99999", fill}, {"abc", fill},  {"", fill},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WordBCD2String(QString::fromLatin1(c.code)), c.expected) << c.code;
}

TEST(DlcDecoding, Hex2Dec) {
    const struct {
        const char* digit;
        std::int16_t expected;
    } cases[] = {{"0", 0}, {"9", 9}, {"A", 10}, {"C", 12}, {"F", 15},
                 {"c", 0}, {"G", 0}, {"", 0},   {"-", 0},  {" ", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(Hex2Dec(QString::fromLatin1(c.digit)), c.expected) << c.digit;
}

TEST(DlcDecoding, TemperatureAndPlainTexts) {
    // -250 hundredths is 0xFF06 on the line.
    EXPECT_EQ(temperatureText(Registers{0xFF06}, settings(2, "R", true)), "-2.50");
    EXPECT_EQ(temperatureText(Registers{2512}, settings(2, "R", true)), "25.12");
    EXPECT_EQ(temperatureText(Registers{0xFF06}, settings(0, "R", true)), "-3");

    EXPECT_EQ(serialNumberText(Registers::ofLong(1234567)), "1234567");
    EXPECT_EQ(serialNumberText(Registers::ofLong(-1)), "-1");
    EXPECT_EQ(registerText(Registers{247}), "247");
    EXPECT_EQ(registerText(Registers{0xFFFF}), "-1");
}

TEST(DlcDecoding, RatedValuesForDisplay) {
    EXPECT_EQ(ratedOutputText(Registers::ofFloat(2.0f), settings(2, "R", true)), "2.00");
    EXPECT_EQ(ratedOutputText(Registers::ofLong(20000), settings(2, "N", true)), "20000");
    EXPECT_EQ(ratedCapacityText(Registers::ofFloat(500.0f), settings(3, "N", true)), "500.000");
}

TEST(DlcDecoding, RatedValuesForTheConversion) {
    RatedValues rated;
    const auto counts = settings(2, "N", true);
    EXPECT_TRUE(rated.takeCapacity(3, 0, false, Registers::ofFloat(500.0f)));
    EXPECT_TRUE(rated.takeOutput(3, 0, false, Registers::ofLong(200), counts));
    EXPECT_EQ(rated.m_TeikakuCapacity[3], 500.0);
    EXPECT_EQ(rated.m_TeikakuOutput[3], 2.0); // the count scaled by 10^DP

    EXPECT_TRUE(rated.takeOutput(3, 0, false, Registers::ofFloat(1.5f), settings(2, "R", true)));
    EXPECT_EQ(rated.m_TeikakuOutput[3], 1.5);

    // A failed read, one after an abort, and an index past the tables change nothing.
    const RatedValues before = rated;
    EXPECT_FALSE(rated.takeCapacity(3, 256, false, Registers::ofFloat(1.0f)));
    EXPECT_FALSE(rated.takeOutput(3, 0, true, Registers::ofLong(100), counts));
    EXPECT_FALSE(rated.takeCapacity(9, 0, false, Registers::ofFloat(1.0f)));
    EXPECT_FALSE(rated.takeOutput(-1, 0, false, Registers::ofLong(100), counts));
    EXPECT_EQ(rated.m_TeikakuCapacity, before.m_TeikakuCapacity);
    EXPECT_EQ(rated.m_TeikakuOutput, before.m_TeikakuOutput);
}

} // namespace
