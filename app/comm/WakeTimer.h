// A wake-up for the user-interface thread's event loop at a given instant of the monotonic
// clock, to the microsecond: Qt's own timers count whole milliseconds from when they are
// started, so a wait for the next millisecond tick would last a millisecond or more.
#pragma once

#include <QObject>
#include <chrono>
#include <memory>
#include <optional>

class QSocketNotifier;

namespace torvik::comm {

class WakeTimer {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    WakeTimer();
    ~WakeTimer();
    WakeTimer(const WakeTimer&) = delete;
    WakeTimer& operator=(const WakeTimer&) = delete;

    // False when the platform gave no timer; the caller then falls back on Qt's.
    bool valid() const { return m_fd >= 0; }
    // The event loop wakes at `at` (once; arming again replaces it).
    void arm(TimePoint at);
    bool armed() const { return m_armedFor.has_value(); }
    // Armed for exactly `at` and not yet fired: a wait that shares the timer with the waits
    // nested in it re-arms only when one of those took it over.
    bool armedFor(TimePoint at) const { return m_armedFor == at; }

private:
    void fired();

    int m_fd = -1;
    std::optional<TimePoint> m_armedFor;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace torvik::comm
