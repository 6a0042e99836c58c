#include "UniqueFd.h"

#include <unistd.h>

namespace dlcsim {

void UniqueFd::reset(int fd) {
    if (m_fd >= 0) {
        // No retry on EINTR: on Linux the descriptor is gone whatever close() reports.
        ::close(m_fd);
    }
    m_fd = fd;
}

} // namespace dlcsim
