#include "commport/Ioctl_posix.h"

#include <cerrno>
#include <sys/ioctl.h>

namespace tavrin::sys {

int ioctlPointer(int fd, unsigned long request, void* argument) {
    int rc = 0;
    do {
        rc = ::ioctl(fd, request, argument);
    } while (rc < 0 && errno == EINTR);
    return rc < 0 ? errno : 0;
}

int ioctlValue(int fd, unsigned long request, unsigned long argument) {
    int rc = 0;
    do {
        rc = ::ioctl(fd, request, argument);
    } while (rc < 0 && errno == EINTR);
    return rc < 0 ? errno : 0;
}

} // namespace tavrin::sys
