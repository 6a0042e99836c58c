// A wake-up for the user-interface thread's event loop at a given instant of the monotonic
// clock, to the microsecond: Qt's own timers count whole milliseconds from when they are
// started, so a wait for the next millisecond tick would last a millisecond or more.
#pragma once

#include <QObject>
#include <chrono>
#include <memory>

class QSocketNotifier;

namespace torvik::comm {

class WakeTimer {
public:
    WakeTimer();
    ~WakeTimer();
    WakeTimer(const WakeTimer&) = delete;
    WakeTimer& operator=(const WakeTimer&) = delete;

    // False when the platform gave no timer; the caller then falls back on Qt's.
    bool valid() const { return m_fd >= 0; }
    // The event loop wakes at `at` (once; arming again replaces it).
    void arm(std::chrono::steady_clock::time_point at);
    bool armed() const { return m_armed; }

private:
    void fired();

    int m_fd = -1;
    bool m_armed = false;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace torvik::comm
