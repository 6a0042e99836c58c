// Character and silence times of a serial line.
#pragma once

#include "Config.h"

#include <chrono>

namespace dlcsim {

using Nanos = std::chrono::nanoseconds;

// Start bit, data bits, optional parity bit and stop bits:
// 38400 baud 8E1 -> 11 bits -> 286.458 us per character.
Nanos characterTime(const LineSettings& line);

// The silence that ends an RTU frame and the least turnaround before a reply:
// 3.5 characters, fixed at 1.75 ms above 19200 baud as the serial line rules allow
// (at 9600 baud 8E1: 3.5 x 1.146 ms = 4.01 ms).
Nanos frameSilence(const LineSettings& line);

} // namespace dlcsim
