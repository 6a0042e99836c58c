// Sleeping in the modem dialogue: fixed waits that end early when the control is being
// destroyed, and one descriptor for an answer wait that wakes on a cancel or on the stop.
#pragma once

#include "portshare/UniqueFd.h"

#include <chrono>
#include <initializer_list>

namespace tavrin::modem {

// Sleeps for `duration` unless `fd` (>= 0) is or becomes readable; false when it was.
bool sleepUnlessSignalled(std::chrono::milliseconds duration, int fd);

// A descriptor that is readable while any of its members is (an epoll set: it reports
// readiness level-triggered, without consuming the members' state).
class AnyReadable {
public:
    // Members < 0 are left out; fd() is -1 when no set can be had.
    explicit AnyReadable(std::initializer_list<int> members);
    int fd() const { return m_set.get(); }

private:
    UniqueFd m_set;
};

} // namespace tavrin::modem
