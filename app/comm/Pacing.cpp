#include "comm/Pacing.h"

#include "comm/WakeTimer.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <optional>

namespace torvik::comm {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Beyond the longest pause the settings allow (a poll interval of 2^31 s is 2.1e12 ms), and
// small enough that tick arithmetic in double and the wake time in 64-bit nanoseconds stay
// exact.
constexpr double kLongestWaitMs = 1e13;

// The exact timer of the application's thread, made on its first wait and kept until the
// application object goes (before its event dispatcher does). A timer of its own for every
// wait cost a descriptor and a notifier registration, and their removal, on every step of the
// run loops: several times a poll, some of them between a tick and the send it starts.
// Waits nested in a wait share it; each re-arms it for its own instant when it finds it
// taken over.
std::unique_ptr<WakeTimer>& applicationTimer() {
    static std::unique_ptr<WakeTimer> timer;
    return timer;
}

WakeTimer& sharedTimer() {
    std::unique_ptr<WakeTimer>& timer = applicationTimer();
    if (!timer) {
        timer = std::make_unique<WakeTimer>();
        qAddPostRoutine([] { applicationTimer().reset(); });
    }
    return *timer;
}

// Handles events until passed() or condition() holds. A single-shot timer at wakeAt bounds
// each sleep, so the thread sleeps in the event dispatcher between events instead of
// re-checking on a tick. The timer is re-armed only when it fired (or a nested wait took it)
// and the wait is not over (the clock's millisecond had not turned yet). The exact timer
// wakes at wakeAt itself; Qt's would wake a whole millisecond after it was started at the
// earliest.
template <typename Passed>
bool pumpUntil(Passed passed, Clock::time_point wakeAt, const std::function<bool()>& condition) {
    // Another thread (none waits so today) keeps a timer of its own for the wait.
    const bool onApplicationThread =
        QCoreApplication::instance() != nullptr &&
        QThread::currentThread() == QCoreApplication::instance()->thread();
    std::unique_ptr<WakeTimer> own = onApplicationThread ? nullptr : std::make_unique<WakeTimer>();
    WakeTimer& exact = onApplicationThread ? sharedTimer() : *own;
    std::optional<QTimer> wake; // where the platform gives no exact timer: whole milliseconds
    for (;;) {
        if (condition && condition())
            return true;
        if (passed())
            return false;
        if (exact.valid()) {
            if (!exact.armedFor(wakeAt))
                exact.arm(wakeAt);
        } else {
            if (!wake) {
                wake.emplace();
                wake->setSingleShot(true);
                wake->setTimerType(Qt::PreciseTimer);
            }
            if (!wake->isActive()) {
                const auto remaining = std::chrono::ceil<milliseconds>(wakeAt - Clock::now());
                wake->start(std::max(remaining, milliseconds(1)));
            }
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
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
