// Character times on the line and the silent interval that separates Modbus RTU frames.
#ifndef TAVRIN_COMMPORT_LINETIMING_H
#define TAVRIN_COMMPORT_LINETIMING_H

#include "commport/CommSettings.h"

#include <chrono>

namespace tavrin {

// Bits of one character on the wire: start bit, data bits, parity bit, stop bits
// (8E1 and 8N2 give 11, 8N1 gives 10).
unsigned bitsPerCharacter(const CommSettings& settings);

// The time one character takes at the port's rate, for timing silences. Above 19200 baud
// the line is timed as if at a fixed 500 us per character, so that 3.5 characters are 1.75 ms
// and 1.5 are 750 us: faster slaves cannot be expected to time shorter gaps than that.
std::chrono::nanoseconds characterTime(const CommSettings& settings);

// The time one character really takes on the wire at the port's rate (bits / baud, at every
// rate): how long sent bytes keep the line busy.
std::chrono::nanoseconds wireCharacterTime(const CommSettings& settings);

// 3.5 characters: 9600 baud 8E1 -> 11 bits / 9600 = 1.146 ms per character, 4.01 ms.
std::chrono::nanoseconds silenceInterval(const CommSettings& settings, double charTimes = 3.5);

} // namespace tavrin

#endif
