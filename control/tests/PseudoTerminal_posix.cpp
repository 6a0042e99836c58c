#include "PseudoTerminal.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace tavrin::test {
namespace {

void makeRaw(int fd) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
        throw std::runtime_error("tcgetattr failed");
    }
    cfmakeraw(&tio);
    if (tcsetattr(fd, TCSANOW, &tio) != 0) {
        throw std::runtime_error("tcsetattr failed");
    }
}

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(std::min<long long>(left, INT_MAX)) : 0;
}

} // namespace

UniqueFd::~UniqueFd() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

PseudoTerminal::PseudoTerminal() : m_master(posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK)) {
    if (m_master.get() < 0 || grantpt(m_master.get()) != 0 || unlockpt(m_master.get()) != 0) {
        throw std::runtime_error("no pseudo-terminal");
    }
    char name[128] = {};
    if (ptsname_r(m_master.get(), name, sizeof name) != 0) {
        throw std::runtime_error("ptsname_r failed");
    }
    m_slavePath = name;
    m_slave = UniqueFd(::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK));
    if (m_slave.get() < 0) {
        throw std::runtime_error("cannot open " + m_slavePath);
    }
    makeRaw(m_master.get());
    makeRaw(m_slave.get());
}

bool PseudoTerminal::write(std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno == EAGAIN) {
            pollfd pfd{m_master.get(), POLLOUT, 0};
            if (::poll(&pfd, 1, 1000) <= 0) {
                return false;
            }
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::vector<std::uint8_t>
PseudoTerminal::readUntil(std::chrono::milliseconds timeout,
                          const std::function<bool(const std::vector<std::uint8_t>&)>& done) {
    const auto deadline = Clock::now() + timeout;
    std::vector<std::uint8_t> got;
    while (!done(got)) {
        pollfd pfd{m_master.get(), POLLIN, 0};
        const int ready = ::poll(&pfd, 1, msLeft(deadline));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            break; // deadline
        }
        std::uint8_t byte = 0;
        // One byte at a time, so `done` sees every length the engine would see.
        const ssize_t n = ::read(m_master.get(), &byte, 1);
        if (n == 1) {
            got.push_back(byte);
        } else if (n < 0 && errno != EINTR && errno != EAGAIN) {
            break;
        }
    }
    return got;
}

bool waitReadable(int fd, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        pollfd pfd{fd, POLLIN, 0};
        const int ready = ::poll(&pfd, 1, msLeft(deadline));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        return ready > 0;
    }
}

} // namespace tavrin::test
