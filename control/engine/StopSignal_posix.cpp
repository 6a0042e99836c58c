#include "engine/StopSignal.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace tavrin {

StopSignal::StopSignal() : m_fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

void StopSignal::raise() {
    if (!m_fd.valid()) {
        m_fallback.store(true, std::memory_order_release);
        return;
    }
    // Never read back, so the counter only grows and the descriptor stays readable.
    const std::uint64_t one = 1;
    ssize_t n = 0;
    do {
        n = ::write(m_fd.get(), &one, sizeof one);
    } while (n < 0 && errno == EINTR);
}

bool StopSignal::raised() const {
    return m_fd.valid() ? isSignalled(m_fd.get()) : m_fallback.load(std::memory_order_acquire);
}

bool isSignalled(int fd) {
    if (fd < 0) {
        return false;
    }
    pollfd p{fd, POLLIN, 0};
    int rc = 0;
    do {
        rc = ::poll(&p, 1, 0);
    } while (rc < 0 && errno == EINTR);
    return rc > 0 && (p.revents & POLLIN) != 0;
}

} // namespace tavrin
