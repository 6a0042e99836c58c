// ASCII: a request runs from ':' to CR LF, two hexadecimal characters per byte and an LRC.
// A new ':' abandons a frame in progress, as does a second of silence inside it.
#pragma once

#include "SlaveFraming.h"

namespace dlcsim {

class AsciiFraming final : public SlaveFraming {
public:
    void receive(std::span<const std::uint8_t> bytes, TimePoint now,
                 std::vector<ReceivedFrame>& out) override;
    std::optional<TimePoint> deadline() const override;
    void expire(TimePoint now, std::vector<ReceivedFrame>& out) override;
    std::vector<std::uint8_t> encode(std::span<const std::uint8_t> message,
                                     bool badChecksum) const override;

private:
    void finish(FrameStatus status, std::vector<ReceivedFrame>& out);
    void decode(std::vector<ReceivedFrame>& out);

    ReceivedFrame m_frame;
    bool m_inFrame = false;
    bool m_overflow = false;
};

} // namespace dlcsim
