#include "comm/WakeTimer.h"

#include <QSocketNotifier>
#include <cerrno>
#include <cstdint>
#include <sys/timerfd.h>
#include <unistd.h>

namespace torvik::comm {

WakeTimer::WakeTimer() : m_fd(::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC)) {
    if (m_fd >= 0) {
        m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                         [this] { fired(); });
    }
}

WakeTimer::~WakeTimer() {
    m_notifier.reset();
    if (m_fd >= 0)
        ::close(m_fd);
}

void WakeTimer::arm(TimePoint at) {
    // steady_clock is CLOCK_MONOTONIC, the timer's clock: the instant is absolute.
    const auto ns =
        std::chrono::duration_cast<std::chrono::nanoseconds>(at.time_since_epoch()).count();
    itimerspec when{};
    when.it_value.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
    when.it_value.tv_nsec = static_cast<long>(ns % 1'000'000'000);
    if (when.it_value.tv_sec == 0 && when.it_value.tv_nsec == 0)
        when.it_value.tv_nsec = 1; // zero would disarm it
    if (::timerfd_settime(m_fd, TFD_TIMER_ABSTIME, &when, nullptr) == 0)
        m_armedFor = at;
    else
        m_armedFor.reset();
}

void WakeTimer::fired() {
    std::uint64_t expirations = 0;
    ssize_t got = 0;
    while ((got = ::read(m_fd, &expirations, sizeof expirations)) < 0 && errno == EINTR) {
    }
    // Nothing to read: re-armed between the poll that saw it fire and this call, so it is
    // armed for the new instant.
    if (got > 0)
        m_armedFor.reset();
}

} // namespace torvik::comm
