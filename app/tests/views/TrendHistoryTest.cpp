// The trend's memory: bounded however long a run lasts (the oldest values go first), values
// that are not numbers counted and left out, and a long time window still shows every
// second's extremes once the raw values no longer reach back.
#include "views/TrendHistory.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace torvik::views {
namespace {

TEST(TrendSeries, KeepsEveryValueOfAShortRunInOrder) {
    TrendSeries s;
    for (int i = 0; i < 100; ++i)
        s.add(1000.0 + i * 20, i * 0.5);
    const QList<QPointF> points = s.points(0, 1e9, 1000);
    ASSERT_EQ(points.size(), 100);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(points[i].x(), 1000.0 + i * 20);
        EXPECT_EQ(points[i].y(), i * 0.5);
    }
    // The window's bounds are kept to: from 1500 ms to 1600 ms are points 25 to 30.
    EXPECT_EQ(s.points(1500, 1600, 1000).size(), 6);
}

TEST(TrendSeries, ARunLongerThanItsMemoryDropsTheOldestValues) {
    // Small memory: 100 raw values and 10 seconds of extremes.
    TrendSeries s(100, 10);
    for (int i = 0; i < 1000; ++i)
        s.add(i * 50.0, i); // 20 values a second for 50 s
    EXPECT_EQ(s.count(), 1000);
    EXPECT_EQ(s.rawSize(), 100U);
    EXPECT_TRUE(s.dropped());
    EXPECT_EQ(s.firstRawTime(), 900 * 50.0);
    EXPECT_EQ(s.lastTime(), 999 * 50.0);
    // Asked for everything: the last ten seconds remain, by their extremes before the raw
    // values (seconds 40 to 44) and as they came after (45 s on).
    const QList<QPointF> all = s.points(0, 1e9, 1000);
    ASSERT_FALSE(all.isEmpty());
    EXPECT_GE(all.front().x(), 40000.0);
    EXPECT_EQ(all.back(), QPointF(999 * 50.0, 999));
    for (qsizetype i = 1; i < all.size(); ++i)
        EXPECT_LT(all[i - 1].x(), all[i].x());
    EXPECT_EQ(all.size(), 5 * 2 + 100); // five seconds by low and high, then the raw values
}

TEST(TrendSeries, ValuesThatAreNotNumbersAreCountedAndLeftOut) {
    TrendSeries s;
    s.add(0, 1.0);
    s.add(10, std::numeric_limits<double>::quiet_NaN());
    s.add(20, std::numeric_limits<double>::infinity());
    s.add(30, -std::numeric_limits<double>::infinity());
    s.add(40, 2.0);
    EXPECT_EQ(s.count(), 2);
    EXPECT_EQ(s.notFinite(), 3);
    const QList<QPointF> points = s.points(0, 100, 100);
    ASSERT_EQ(points.size(), 2);
    EXPECT_EQ(points[1], QPointF(40, 2.0));
}

TEST(TrendSeries, ThinningToTheWidthKeepsEachColumnsExtremes) {
    TrendSeries s;
    // 1000 values over 1 s, a spike of 100 at value 500 and a dip of -100 at 700.
    for (int i = 0; i < 1000; ++i)
        s.add(i, i == 500 ? 100.0 : i == 700 ? -100.0 : std::sin(i / 50.0));
    const QList<QPointF> points = s.points(0, 1000, 100);
    EXPECT_LE(points.size(), 200);
    bool spike = false;
    bool dip = false;
    for (const QPointF& p : points) {
        spike = spike || p == QPointF(500, 100.0);
        dip = dip || p == QPointF(700, -100.0);
    }
    EXPECT_TRUE(spike);
    EXPECT_TRUE(dip);
}

TEST(TrendHistory, ClearStartsANewRunAndEveryChangeMovesTheRevision) {
    TrendHistory h;
    const auto r0 = h.revision();
    h.add(2, h.now(), 5.0);
    h.add(9, h.now(), 5.0); // no such DLC index: ignored
    h.add(-1, h.now(), 5.0);
    EXPECT_TRUE(h.hasValues(2));
    EXPECT_FALSE(h.hasValues(1));
    EXPECT_GT(h.revision(), r0);
    const auto r1 = h.revision();
    h.clear();
    EXPECT_FALSE(h.hasValues(2));
    EXPECT_GT(h.revision(), r1);
    EXPECT_EQ(h.lastTime(), 0);
    const double a = h.now();
    const double b = h.now();
    EXPECT_LE(a, b);
}

} // namespace
} // namespace torvik::views
