// The slave's side of a serial framing: finds requests in the bytes that arrive and
// wraps replies. No I/O: bytes and times in, frames out.
#pragma once

#include "Clock.h"
#include "Config.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace dlcsim {

enum class FrameStatus {
    Good, // checksum right; message holds address, function and data
    BadChecksum,
    Cut,        // ended before it was whole
    Oversized,  // longer than any frame can be
    BadFraming, // ASCII: not hexadecimal pairs
    Noise,      // ASCII: bytes outside a frame
};

struct ReceivedFrame {
    FrameStatus status = FrameStatus::Good;
    std::vector<std::uint8_t> raw;     // as it came over the line
    std::vector<std::uint8_t> message; // Good only: without checksum (ASCII: decoded)
    TimePoint first{};
    TimePoint last{};
};

class SlaveFraming {
public:
    virtual ~SlaveFraming() = default;

    // Takes bytes that arrived at `now`; appends every frame they end to `out`.
    virtual void receive(std::span<const std::uint8_t> bytes, TimePoint now,
                         std::vector<ReceivedFrame>& out) = 0;
    // When a frame in progress ends by silence alone, if one is in progress.
    virtual std::optional<TimePoint> deadline() const = 0;
    // Ends the frame in progress once its deadline has passed.
    virtual void expire(TimePoint now, std::vector<ReceivedFrame>& out) = 0;
    // The line bytes of a reply; `badChecksum` sends a wrong CRC or LRC on purpose.
    virtual std::vector<std::uint8_t> encode(std::span<const std::uint8_t> message,
                                             bool badChecksum) const = 0;
};

std::unique_ptr<SlaveFraming> makeFraming(Framing framing, const LineSettings& line);

// RTU request length from its first bytes: nullopt while too few bytes are known,
// 0 when only the silence after it can end it (unknown function codes).
std::optional<std::size_t> rtuRequestLength(std::span<const std::uint8_t> head);

} // namespace dlcsim
