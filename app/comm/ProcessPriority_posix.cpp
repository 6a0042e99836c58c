#include "comm/ProcessPriority.h"

#include <sched.h>

namespace torvik::comm {

bool raiseToRealTimePriority() {
    // The lowest round-robin priority is enough to stay ahead of every normal process
    // without starving the system's own real-time threads.
    sched_param param{};
    param.sched_priority = ::sched_get_priority_min(SCHED_RR);
    return ::sched_setscheduler(0, SCHED_RR, &param) == 0;
}

bool restoreNormalPriority() {
    if (::sched_getscheduler(0) == SCHED_OTHER)
        return true;
    sched_param param{};
    param.sched_priority = 0;
    return ::sched_setscheduler(0, SCHED_OTHER, &param) == 0;
}

} // namespace torvik::comm
