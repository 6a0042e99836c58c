// The frames a transaction puts on the line and takes from it, for a host that watches the
// traffic. A transaction is handed a tap only while someone listens; without one it records,
// copies and allocates nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tavrin {

enum class FrameDirection : std::uint8_t { Sent = 1, Received = 2 };

// The bits of FrameRecord::flags (the C interface publishes the same values).
namespace frameflag {
constexpr std::uint16_t kBroadcast = 0x1; // node 0: no reply is awaited
constexpr std::uint16_t kTimeout = 0x2;   // no whole reply within TimeoutTrans
constexpr std::uint16_t kAscii = 0x4;     // the bytes are ASCII framing characters
constexpr std::uint16_t kTruncated = 0x8; // more arrived than a record keeps
} // namespace frameflag

struct FrameRecord {
    std::int64_t timeUs = 0; // system clock, microseconds since 1970-01-01 UTC
    FrameDirection direction = FrameDirection::Sent;
    std::uint16_t flags = 0;
    std::uint8_t node = 0;     // the request's slave address
    std::uint8_t function = 0; // the request's Modbus function code
    std::uint16_t result = 0;  // sent: the write's outcome; received: the transaction's Result
    std::string port;
    std::vector<std::uint8_t> bytes;
};

class FrameTap {
public:
    // Any thread, in line order: called with the port lock held. `endsExchange` is false for
    // a request whose reply is still to come, so the host is woken once per exchange.
    virtual void record(FrameRecord frame, bool endsExchange) = 0;

protected:
    ~FrameTap() = default;
};

} // namespace tavrin
