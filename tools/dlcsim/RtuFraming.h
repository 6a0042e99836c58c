// RTU: a request ends when its function's length is reached and the CRC is right, or
// else at the silence of 3.5 characters after its last byte.
#pragma once

#include "SlaveFraming.h"

#include <chrono>

namespace dlcsim {

class RtuFraming final : public SlaveFraming {
public:
    explicit RtuFraming(std::chrono::nanoseconds silence) : m_silence(silence) {}

    void receive(std::span<const std::uint8_t> bytes, TimePoint now,
                 std::vector<ReceivedFrame>& out) override;
    std::optional<TimePoint> deadline() const override;
    void expire(TimePoint now, std::vector<ReceivedFrame>& out) override;
    std::vector<std::uint8_t> encode(std::span<const std::uint8_t> message,
                                     bool badChecksum) const override;

private:
    void finish(FrameStatus status, std::vector<ReceivedFrame>& out);

    std::chrono::nanoseconds m_silence;
    ReceivedFrame m_frame;
    bool m_failedAtLength = false; // length reached with a wrong CRC: wait for the silence
    bool m_overflow = false;
};

} // namespace dlcsim
