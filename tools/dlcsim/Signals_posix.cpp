#include "Signals.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/signalfd.h>
#include <unistd.h>

namespace dlcsim {

std::optional<StopSignals> StopSignals::install(std::string& error) {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    if (sigprocmask(SIG_BLOCK, &set, nullptr) != 0) {
        error = std::string("sigprocmask: ") + std::strerror(errno);
        return std::nullopt;
    }
    StopSignals signals;
    signals.m_fd.reset(signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC));
    if (!signals.m_fd) {
        error = std::string("signalfd: ") + std::strerror(errno);
        return std::nullopt;
    }
    return signals;
}

int StopSignals::take() {
    signalfd_siginfo info{};
    const ssize_t n = ::read(m_fd.get(), &info, sizeof info);
    return n == static_cast<ssize_t>(sizeof info) ? static_cast<int>(info.ssi_signo) : 0;
}

} // namespace dlcsim
