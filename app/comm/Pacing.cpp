#include "comm/Pacing.h"

#include "comm/WakeTimer.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>

namespace torvik::comm {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Beyond the longest pause the settings allow (a poll interval of 2^31 s is 2.1e12 ms), and
// small enough that tick arithmetic in double and the wake time in 64-bit nanoseconds stay
// exact.
constexpr double kLongestWaitMs = 1e13;

// Handles events until passed() or condition() holds. A single-shot timer at wakeAt bounds
// each sleep, so the thread sleeps in the event dispatcher between events instead of
// re-checking on a tick. The timer is re-armed only when it fired and the wait is not over
// (the clock's millisecond had not turned yet). The exact timer wakes at wakeAt itself; Qt's
// would wake a whole millisecond after it was started at the earliest.
template <typename Passed>
bool pumpUntil(Passed passed, Clock::time_point wakeAt, const std::function<bool()>& condition) {
    QEventLoop loop;
    WakeTimer exact;
    QTimer wake; // where the platform gives no exact timer: whole milliseconds, one at least
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    for (;;) {
        if (condition && condition())
            return true;
        if (passed())
            return false;
        if (exact.valid()) {
            if (!exact.armed())
                exact.arm(wakeAt);
        } else if (!wake.isActive()) {
            const auto remaining = std::chrono::ceil<milliseconds>(wakeAt - Clock::now());
            wake.start(std::max(remaining, milliseconds(1)));
        }
        loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

} // namespace

std::int64_t timeGetTime() {
    return std::chrono::duration_cast<milliseconds>(Clock::now().time_since_epoch()).count();
}

double lineTimeMs(std::int32_t baudrate, int k) {
    return 36.608 / static_cast<double>(std::max(baudrate, 1)) * 300.0 * k;
}

bool paceUntil(double durationMs, const std::function<bool()>& condition) {
    const double duration = std::isnan(durationMs) ? 0.0 : std::min(durationMs, kLongestWaitMs);
    const auto start = static_cast<double>(timeGetTime());
    // The wait is over at the first tick above start + duration.
    const double lastTick = std::max(std::floor(start + duration), start - 1.0);
    const auto wakeAt = Clock::time_point(milliseconds(static_cast<std::int64_t>(lastTick) + 1));
    return pumpUntil([&] { return start + duration < static_cast<double>(timeGetTime()); }, wakeAt,
                     condition);
}

void pace(double durationMs) {
    paceUntil(durationMs, {});
}

void sleepAndPump() {
    const auto wakeAt = std::chrono::floor<milliseconds>(Clock::now()) + milliseconds(1);
    pumpUntil([&] { return Clock::now() >= wakeAt; }, wakeAt, {});
    // The pump after the sleep: what is due is handled even when the tick turned before the
    // wait could handle anything.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace torvik::comm
