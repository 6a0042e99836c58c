// Per-port time limits of single reads and writes, derived from the baud rate.
#ifndef TAVRIN_COMMPORT_PORTTIMEOUTS_H
#define TAVRIN_COMMPORT_PORTTIMEOUTS_H

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace tavrin {

struct PortTimeouts {
    // "Return at once with whatever has arrived": a read never waits between bytes.
    std::uint32_t readInterval = 0xFFFFFFFFu;
    std::uint32_t readMultiplier = 0;    // ms per byte asked for
    std::uint32_t readConstant = 50;     // ms
    std::uint32_t writeMultiplier = 0;   // ms per byte written
    std::uint32_t writeConstant = 10000; // ms

    // Longest a read of `bytes` / a write of `bytes` may take.
    std::chrono::milliseconds readBound(std::size_t bytes) const;
    std::chrono::milliseconds writeBound(std::size_t bytes) const;

    friend bool operator==(const PortTimeouts&, const PortTimeouts&) = default;
};

inline constexpr std::uint32_t kDefaultReadConstantMs = 50;

// Twice the time of one byte rounded down to whole ms, but never under 2 ms per byte:
// q = max(baud, 12) / 12 bytes per second (12 bits per byte leaves room for parity and a
// second stop bit), t = max(1000 / q, 2) ms, multiplier = 2t. 9600 and 19200 baud give 4 ms
// per byte, 1200 baud 20 ms.
PortTimeouts timeoutsFor(std::uint32_t baudRate,
                         std::uint32_t readConstantMs = kDefaultReadConstantMs);

} // namespace tavrin

#endif
