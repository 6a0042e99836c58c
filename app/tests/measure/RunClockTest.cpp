// The run clock's time stamps, the remaining-capacity text and the serial words of an
// assignment broadcast. Expected values are worked by hand from the rules they follow.
#include "comm/RunClock.h"

#include "comm/SerialWords.h"
#include "comm/WorkingFile.h"

#include <gtest/gtest.h>

using namespace torvik::comm;

TEST(RunClock, CarriesUpToTheDayButNeverIntoTheMonth) {
    const struct {
        const char* start;  // wall clock at the start
        std::int64_t tick0; // its tick: the millisecond comes from its last three digits
        std::int64_t tick1;
        const char* stamp;
    } cases[] = {
        {"2024-05-01T13:07:09", 5042, 5042, "2024/05/01_13:07:09.042"},
        {"2024-05-01T13:07:09", 5042, 5042 + 958, "2024/05/01_13:07:10.000"},
        {"2024-05-31T23:59:59", 1900, 2100, "2024/05/32_00:00:00.100"}, // day 31 -> 32
        {"2024-05-01T00:00:00", 0, 3'600'000 * 25 + 61'001, "2024/05/02_01:01:01.001"},
    };
    for (const auto& c : cases) {
        RunClock clock;
        clock.start(QDateTime::fromString(c.start, Qt::ISODate), c.tick0);
        EXPECT_EQ(clock.TimeEdit(c.tick1).toStdString(), c.stamp) << c.start;
    }
}

TEST(RunClock, AdvancesFromTheLastStampNotFromTheStart) {
    RunClock clock;
    clock.start(QDateTime::fromString("2024-05-01T10:00:00", Qt::ISODate), 1000);
    clock.TimeEdit(1500);
    EXPECT_EQ(clock.TimeEdit(2600).toStdString(), "2024/05/01_10:00:01.600");
}

TEST(WorkingFile, RemainingCapacityText) {
    EXPECT_EQ(remainingCapacityText(1'000'000).toStdString(), "1,000KB");
    EXPECT_EQ(remainingCapacityText(999'499).toStdString(), "999KB");
    EXPECT_EQ(remainingCapacityText(0).toStdString(), "0KB");
    EXPECT_EQ(remainingBytes("/nonexistent/DataLog.csv"), 1'000'000);
}

TEST(SerialWords, HighAndLowWordsOfTheHexadecimalForm) {
    // 12345678 = 0x00BC614E; 3000000000 = 0xB2D05E00 (high word negative as 16 bits).
    EXPECT_EQ(serialWords(u"12345678").high, 0x00BC);
    EXPECT_EQ(serialWords(u"12345678").low, 0x614E);
    EXPECT_EQ(serialWords(u"3000000000").high, static_cast<std::int16_t>(0xB2D0));
    EXPECT_EQ(serialWords(u"3000000000").low, 0x5E00);
    EXPECT_EQ(serialWords(u"abc").high, 0);
    EXPECT_EQ(serialWords(u"abc").low, 0);
}
