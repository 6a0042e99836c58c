#include "portshare/Process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

// Kernel 5.6 numbers, for C libraries whose headers predate the calls.
#ifndef SYS_pidfd_open
#define SYS_pidfd_open 434
#endif
#ifndef SYS_pidfd_getfd
#define SYS_pidfd_getfd 438
#endif

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

void allowDescriptorSharing() {
    // Fails with EINVAL where no such restriction is built in: nothing to allow then.
    ::prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY, 0, 0, 0);
}

UniqueFd takeDescriptor(std::int32_t pid, std::int32_t fd) {
    if (pid <= 0 || fd < 0) {
        return UniqueFd();
    }
    if (pid == currentProcessId()) {
        return UniqueFd(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
    }
    UniqueFd pidfd(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
    if (!pidfd.valid()) {
        return UniqueFd();
    }
    // The new descriptor is close-on-exec already.
    return UniqueFd(static_cast<int>(::syscall(SYS_pidfd_getfd, pidfd.get(), fd, 0)));
}

} // namespace tavrin
