#include "comm/DeviceLock.h"

#include <cerrno>
#include <sys/file.h>

namespace torvik::comm {

bool lockDeviceExclusive(int fd) {
    // TIOCEXCL, which the serial port sets, does not hold back a privileged second user; the
    // lock does, and it is the one the control and the simulator check.
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EINTR)
            return false;
    }
}

} // namespace torvik::comm
