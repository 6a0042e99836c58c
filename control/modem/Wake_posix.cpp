#include "modem/Wake.h"

#include <cerrno>
#include <poll.h>
#include <sys/epoll.h>
#include <thread>
#include <time.h>

namespace tavrin::modem {

bool sleepUnlessSignalled(std::chrono::milliseconds duration, int fd) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + duration;
    if (fd < 0) {
        std::this_thread::sleep_until(deadline);
        return true;
    }
    pollfd p{fd, POLLIN, 0};
    for (;;) {
        const auto left = deadline - Clock::now();
        if (left <= Clock::duration::zero()) {
            return true;
        }
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        const timespec ts{static_cast<time_t>(ns / 1'000'000'000),
                          static_cast<long>(ns % 1'000'000'000)};
        const int rc = ::ppoll(&p, 1, &ts, nullptr);
        if (rc > 0) {
            return false;
        }
        if (rc < 0 && errno != EINTR) {
            // Without a working poll the wait still has to last: the modem counts on it.
            std::this_thread::sleep_until(deadline);
            return true;
        }
    }
}

AnyReadable::AnyReadable(std::initializer_list<int> members)
    : m_set(::epoll_create1(EPOLL_CLOEXEC)) {
    if (!m_set.valid()) {
        return;
    }
    for (int member : members) {
        if (member < 0) {
            continue;
        }
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.fd = member;
        if (::epoll_ctl(m_set.get(), EPOLL_CTL_ADD, member, &event) != 0) {
            m_set.reset();
            return;
        }
    }
}

} // namespace tavrin::modem
