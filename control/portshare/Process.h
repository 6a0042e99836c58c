// Processes and descriptors of other processes.
#ifndef TAVRIN_PORTSHARE_PROCESS_H
#define TAVRIN_PORTSHARE_PROCESS_H

#include "portshare/UniqueFd.h"

#include <cstdint>

namespace tavrin {

std::int32_t currentProcessId();

// False only when no process of that id exists (0 and negative ids never do).
bool processAlive(std::int32_t pid);

// Lets processes that are not our ancestors take our descriptors (needed where the kernel
// restricts ptrace-style access to ancestors). Best effort.
void allowDescriptorSharing();

// A descriptor of this process for the open file behind descriptor `fd` of process `pid`:
// a plain dup inside this process, pidfd_getfd across processes. Invalid on failure.
UniqueFd takeDescriptor(std::int32_t pid, std::int32_t fd);

} // namespace tavrin

#endif
