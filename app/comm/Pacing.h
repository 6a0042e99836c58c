// The pacing wait of the runs: pump the event loop until a deadline passes or a condition
// holds. Between events the thread sleeps in the event dispatcher; nothing spins.
#pragma once

#include <chrono>
#include <functional>

namespace torvik::comm {

using PacingClock = std::chrono::steady_clock;

// Returns true when `done` held (checked before the first wait and after every event), false
// when the deadline passed first. Events, including Complete, are handled inside.
bool paceUntil(PacingClock::time_point deadline, const std::function<bool()>& done = {});

// The same for a duration in milliseconds (fractions count: the runs' line times are
// fractional).
bool paceFor(double milliseconds, const std::function<bool()>& done = {});

} // namespace torvik::comm
