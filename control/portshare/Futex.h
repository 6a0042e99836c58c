// Waiting on a 32-bit word in memory that several processes map.
#ifndef TAVRIN_PORTSHARE_FUTEX_H
#define TAVRIN_PORTSHARE_FUTEX_H

#include <chrono>
#include <cstdint>

namespace tavrin {

enum class FutexWait { Woken, ValueChanged, TimedOut };

// Sleeps while *word == expected, until woken or the deadline (steady clock, system-wide)
// passes. Spurious returns are possible; callers re-check their condition.
FutexWait futexWaitUntil(std::uint32_t* word, std::uint32_t expected,
                         std::chrono::steady_clock::time_point deadline);
void futexWakeAll(std::uint32_t* word);

} // namespace tavrin

#endif
