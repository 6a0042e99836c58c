#include "engine/EventFd.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <utility>

namespace tavrin {

std::optional<EventFd> EventFd::create() {
    const int fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd < 0) {
        return std::nullopt;
    }
    return EventFd(fd);
}

EventFd::EventFd(EventFd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

EventFd& EventFd::operator=(EventFd&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

EventFd::~EventFd() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

void EventFd::signal() const {
    const std::uint64_t one = 1;
    // EAGAIN means the counter is already at its limit: the descriptor is readable anyway.
    while (::write(m_fd, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void EventFd::drain() const {
    std::uint64_t count = 0;
    while (::read(m_fd, &count, sizeof count) < 0 && errno == EINTR) {
    }
}

bool EventFd::waitReadable(std::chrono::milliseconds timeout) const {
    pollfd p{m_fd, POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        const int rc = ::poll(&p, 1, static_cast<int>(std::max<long long>(left.count(), 0)));
        if (rc >= 0) {
            return rc > 0;
        }
        if (errno != EINTR) {
            return false;
        }
    }
}

} // namespace tavrin
