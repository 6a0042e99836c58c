#include "comm/Pacing.h"

#include "TestSupport.h"

#include <QMetaObject>
#include <QTimer>
#include <chrono>
#include <ctime>
#include <gtest/gtest.h>
#include <thread>

using namespace torvik::comm;

namespace {

class Pacing : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::ensureApplication(); }
};

TEST_F(Pacing, LineTime) {
    // 36.608 / rate * 300 * k, worked by hand.
    const struct {
        std::int32_t baud;
        int k;
        double expected;
    } cases[] = {
        {9600, 1, 1.144},
        {9600, 8, 9.152},
        {9600, 15, 17.16},
        {38400, 8, 2.288},
        {115200, 8, 0.762666666666667},
        {0, 1, 10982.4},
        {-9600, 1, 10982.4}, // a rate below 1 counts as 1
    };
    for (const auto& c : cases)
        EXPECT_NEAR(lineTimeMs(c.baud, c.k), c.expected, 1e-9) << c.baud << " " << c.k;
}

TEST_F(Pacing, EndsOnlyOnceTheTickIsPastTheDeadline) {
    for (const double duration : {0.0, 1.0, 2.288, 25.0}) {
        const auto start = timeGetTime();
        EXPECT_FALSE(paceUntil(duration, [] { return false; }));
        EXPECT_LT(static_cast<double>(start) + duration, static_cast<double>(timeGetTime()))
            << duration;
    }
}

TEST_F(Pacing, ANegativeOrUnusableDurationDoesNotHang) {
    pace(-5.0);
    pace(std::numeric_limits<double>::quiet_NaN());
    SUCCEED();
}

TEST_F(Pacing, AConditionAlreadyTrueEndsTheWaitBeforeAnyEvent) {
    EXPECT_TRUE(paceUntil(60'000, [] { return true; }));
}

TEST_F(Pacing, EndsWhenAnEventMakesTheConditionTrue) {
    // A reply arrives as an event while the wait sleeps: from a timer on this thread, and
    // posted from another thread as the control's completion is. A wait that did not wake
    // for events would run into its 60 s deadline and return false.
    bool ready = false;
    QTimer::singleShot(20, [&] { ready = true; });
    EXPECT_TRUE(paceUntil(60'000, [&] { return ready; }));

    ready = false;
    std::thread poster([&] {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [&] { ready = true; }, Qt::QueuedConnection);
    });
    EXPECT_TRUE(paceUntil(60'000, [&] { return ready; }));
    poster.join();
}

TEST_F(Pacing, HandlersRunInsideAWaitMayWaitThemselves) {
    bool innerDone = false;
    bool outerReady = false;
    QTimer::singleShot(0, [&] {
        pace(5);
        innerDone = true;
        outerReady = true;
    });
    EXPECT_TRUE(paceUntil(60'000, [&] { return outerReady; }));
    EXPECT_TRUE(innerDone);
}

TEST_F(Pacing, NestedWaitsEachWakeAtTheirOwnInstant) {
    // The waits of a thread share one timer. A handler's wait inside another must wake at its
    // own instant when that comes first, and the outer wait at its own when the inner one
    // armed a later instant and ended early by its condition. A wait that slept through its
    // instant is woken only by the guard timer.
    QTimer guard;
    guard.setSingleShot(true);
    bool guardFired = false;
    QObject::connect(&guard, &QTimer::timeout, [&] { guardFired = true; });

    bool innerDone = false;
    QTimer::singleShot(0, [&] {
        pace(5);
        innerDone = true;
    });
    guard.start(10'000);
    EXPECT_TRUE(paceUntil(600'000, [&] { return innerDone; }));
    EXPECT_FALSE(guardFired) << "the inner wait slept past its instant";

    innerDone = false;
    QTimer::singleShot(0, [&] {
        bool released = false;
        QTimer::singleShot(0, [&] { released = true; });
        EXPECT_TRUE(paceUntil(600'000, [&] { return released; }));
        innerDone = true;
    });
    guard.start(10'000);
    pace(20);
    EXPECT_TRUE(innerDone);
    EXPECT_FALSE(guardFired) << "the outer wait slept past its instant";
}

TEST_F(Pacing, SleepsInsteadOfSpinning) {
    // Behaviour, not speed: a wait with nothing to do must leave the processor alone. A
    // sleeping wait costs well under 1 ms of processor time here; a spinning one took half the
    // wall time on this shared two-core machine (the other half went to other processes), so
    // the bound sits between the two, far from both.
    const auto wallStart = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    pace(300);
    const double cpuMs = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    const double wallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallStart)
            .count();
    EXPECT_LT(cpuMs, 0.1 * wallMs) << "cpu " << cpuMs << " ms over " << wallMs << " ms";
}

TEST_F(Pacing, SleepAndPumpHandlesEventsThatAreDue) {
    bool handled = false;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { handled = true; }, Qt::QueuedConnection);
    sleepAndPump();
    EXPECT_TRUE(handled);
}

} // namespace
