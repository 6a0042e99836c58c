#include "portshare/Futex.h"

#include <cerrno>
#include <climits>
#include <ctime>
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tavrin {

FutexWait futexWaitUntil(std::uint32_t* word, std::uint32_t expected,
                         std::chrono::steady_clock::time_point deadline) {
    // steady_clock is CLOCK_MONOTONIC, the clock FUTEX_WAIT_BITSET measures absolute
    // deadlines against; the word is shared between processes, so no FUTEX_PRIVATE_FLAG.
    const auto ns =
        std::chrono::duration_cast<std::chrono::nanoseconds>(deadline.time_since_epoch()).count();
    if (ns <= 0) {
        return FutexWait::TimedOut;
    }
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
    ts.tv_nsec = static_cast<long>(ns % 1'000'000'000);
    const long rc = ::syscall(SYS_futex, word, FUTEX_WAIT_BITSET, expected, &ts, nullptr,
                              FUTEX_BITSET_MATCH_ANY);
    if (rc == 0) {
        return FutexWait::Woken;
    }
    switch (errno) {
    case ETIMEDOUT:
        return FutexWait::TimedOut;
    case EAGAIN:
        return FutexWait::ValueChanged;
    default: // EINTR: the caller re-checks and waits again
        return FutexWait::Woken;
    }
}

void futexWakeAll(std::uint32_t* word) {
    ::syscall(SYS_futex, word, FUTEX_WAKE, INT_MAX, nullptr, nullptr, 0);
}

} // namespace tavrin
