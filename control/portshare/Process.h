// This process and others: ids, liveness, descriptors.
#ifndef TAVRIN_PORTSHARE_PROCESS_H
#define TAVRIN_PORTSHARE_PROCESS_H

#include "portshare/UniqueFd.h"

#include <cstdint>

namespace tavrin {

std::int32_t currentProcessId();

// False only when no process of that id exists (0 and negative ids never do).
bool processAlive(std::int32_t pid);

// A descriptor of this process for the open file behind our descriptor `fd` (close-on-exec);
// invalid on failure.
UniqueFd duplicateDescriptor(std::int32_t fd);

} // namespace tavrin

#endif
