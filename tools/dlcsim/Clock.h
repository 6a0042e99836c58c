// Every time in the simulator is a point on the monotonic clock, so that the frame log
// can be compared with the timestamps of a master running on the same machine.
#pragma once

#include <chrono>

namespace dlcsim {

using Clock = std::chrono::steady_clock;
using TimePoint = Clock::time_point;
using Micros = std::chrono::microseconds;

inline double secondsSinceEpoch(TimePoint t) {
    return std::chrono::duration<double>(t.time_since_epoch()).count();
}

} // namespace dlcsim
