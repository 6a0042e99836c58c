// The system timer resolution calls of the start and end steps. The program's clock is the
// monotonic clock, which already counts in milliseconds, so there is nothing to set.
#pragma once

namespace torvik::startup {

inline void timeBeginPeriod(unsigned /*milliseconds*/) {}
inline void timeEndPeriod(unsigned /*milliseconds*/) {}

} // namespace torvik::startup
