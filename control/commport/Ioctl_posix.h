// ioctl() behind a function of our own: the tty ioctl structures come from the kernel's
// headers, which cannot share a file with the C library's <sys/ioctl.h>.
#ifndef TAVRIN_COMMPORT_IOCTL_POSIX_H
#define TAVRIN_COMMPORT_IOCTL_POSIX_H

namespace tavrin::sys {

// 0 on success, else errno. EINTR is retried.
int ioctlPointer(int fd, unsigned long request, void* argument);
int ioctlValue(int fd, unsigned long request, unsigned long argument);

} // namespace tavrin::sys

#endif
