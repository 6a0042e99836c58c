// The stop flag of a communications thread as a descriptor: a transaction sleeping in a read
// wakes the moment it is raised, instead of noticing it at the next timeout.
#ifndef TAVRIN_ENGINE_STOPSIGNAL_H
#define TAVRIN_ENGINE_STOPSIGNAL_H

#include "portshare/UniqueFd.h"

#include <atomic>

namespace tavrin {

class StopSignal {
public:
    // An eventfd; fd() is -1 when none could be had (raise() then only sets the flag that
    // raised() reads, and sleeping reads see it at their timeout).
    StopSignal();

    // Latches: once raised it stays raised. Safe from any thread.
    void raise();
    bool raised() const;
    int fd() const { return m_fd.get(); }

private:
    UniqueFd m_fd;
    std::atomic<bool> m_fallback{false}; // only without a descriptor
};

// True when `fd` (a StopSignal's, or any cancel descriptor) is readable now; false for -1.
bool isSignalled(int fd);

} // namespace tavrin

#endif
