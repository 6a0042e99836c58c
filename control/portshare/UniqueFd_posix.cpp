#include "portshare/UniqueFd.h"

#include <unistd.h>

namespace tavrin {

void UniqueFd::reset(int fd) {
    if (m_fd >= 0) {
        // No retry on EINTR: Linux has released the descriptor either way, and a retry could
        // close a number another thread has just been given.
        ::close(m_fd);
    }
    m_fd = fd;
}

} // namespace tavrin
