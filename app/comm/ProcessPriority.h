// The scheduling class a run asks for. Best effort: real-time scheduling is usually refused
// to normal users, and the run goes on at normal priority then.
#pragma once

namespace torvik::comm {

// Each returns whether the system accepted the change.
bool raiseToRealTimePriority();
bool restoreNormalPriority();

} // namespace torvik::comm
