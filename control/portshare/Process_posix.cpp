#include "portshare/Process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace tavrin {

std::int32_t currentProcessId() {
    return static_cast<std::int32_t>(::getpid());
}

bool processAlive(std::int32_t pid) {
    if (pid <= 0) {
        return false;
    }
    // EPERM: it exists but belongs to someone else.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}

UniqueFd duplicateDescriptor(std::int32_t fd) {
    return fd < 0 ? UniqueFd() : UniqueFd(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
}

} // namespace tavrin
