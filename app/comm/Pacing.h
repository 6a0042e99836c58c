// How the runs wait: the millisecond tick, the line time of a reply, and waits that keep the
// user-interface thread's events flowing (replies, button clicks, timers arrive as events, so
// a wait must handle them as they come) while sleeping between them.
#pragma once

#include <cstdint>
#include <functional>

namespace torvik::comm {

// Milliseconds on a monotonic clock from an arbitrary start. 64 bits, so it never wraps
// within a run, however long.
std::int64_t timeGetTime();

// Time the line needs for k characters at the configured rate, in milliseconds. 36.608 x 300 =
// 10982.4, just under the 11,000 ms an 11-bit character (start, 8 data, parity, stop) takes at
// 1 bit/s: 1.144 ms a character at 9600 baud. A rate below 1 counts as 1.
double lineTimeMs(std::int32_t baudrate, int k);

// Handles events until the tick is past start + durationMs (start = the tick on entry, in
// double arithmetic as the tick comparison is) or, checked before the first wait and after
// every event, the condition holds. Sleeps between events; never spins. Returns true when the
// condition ended the wait. Handlers run inside it may wait in turn. Needs the application
// object (the waits run on the user-interface thread).
bool paceUntil(double durationMs, const std::function<bool()>& condition);

// paceUntil without a condition.
void pace(double durationMs);

// A one-millisecond sleep on the millisecond tick, with events handled as they come: the step
// between two checks of a polling loop. It ends when the tick has turned, as a sleep of one
// tick does, so it lasts up to a millisecond and two steps together stay within the silence a
// serial line keeps after a reply (1.75 ms).
void sleepAndPump();

} // namespace torvik::comm
