#include "RtuFraming.h"

#include "frame/Checksum.h"

namespace dlcsim {
namespace {

// Address, 253 bytes of PDU and the CRC.
constexpr std::size_t kMaxRtuFrame = 256;
constexpr std::size_t kCrcBytes = 2;
constexpr std::size_t kMinFrame = 4; // address, function, CRC

bool crcMatches(std::span<const std::uint8_t> frame) {
    if (frame.size() < kMinFrame) {
        return false;
    }
    const auto body = frame.first(frame.size() - kCrcBytes);
    const std::uint16_t crc = tavrin::frame::crc16(body);
    return frame[frame.size() - 2] == (crc & 0xFFU) && frame[frame.size() - 1] == (crc >> 8);
}

} // namespace

std::optional<std::size_t> rtuRequestLength(std::span<const std::uint8_t> head) {
    if (head.size() < 2) {
        return std::nullopt;
    }
    switch (head[1]) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 8:
        return 8;
    case 7:
    case 11:
    case 12:
    case 17:
        return 4;
    case 15:
    case 16: // address, function, start, quantity, byte count, data, CRC
        return head.size() < 7 ? std::nullopt : std::optional<std::size_t>(9U + head[6]);
    case 20:
    case 21:
        return head.size() < 3 ? std::nullopt : std::optional<std::size_t>(5U + head[2]);
    case 22:
        return 10;
    case 23:
        return head.size() < 11 ? std::nullopt : std::optional<std::size_t>(13U + head[10]);
    case 43:
        return 7;
    default:
        return 0;
    }
}

void RtuFraming::receive(std::span<const std::uint8_t> bytes, TimePoint now,
                         std::vector<ReceivedFrame>& out) {
    for (std::uint8_t b : bytes) {
        if (m_frame.raw.empty()) {
            m_frame.first = now;
        }
        m_frame.last = now;
        if (m_frame.raw.size() >= kMaxRtuFrame) {
            m_overflow = true; // keep the times, drop the bytes; the silence ends it
            continue;
        }
        m_frame.raw.push_back(b);
        if (m_failedAtLength) {
            continue;
        }
        const auto length = rtuRequestLength(m_frame.raw);
        if (length && *length == m_frame.raw.size()) {
            if (crcMatches(m_frame.raw)) {
                finish(FrameStatus::Good, out);
            } else {
                m_failedAtLength = true;
            }
        }
    }
}

std::optional<TimePoint> RtuFraming::deadline() const {
    if (m_frame.raw.empty()) {
        return std::nullopt;
    }
    return m_frame.last + std::chrono::duration_cast<Clock::duration>(m_silence);
}

void RtuFraming::expire(TimePoint now, std::vector<ReceivedFrame>& out) {
    const auto due = deadline();
    if (!due || now < *due) {
        return;
    }
    if (m_overflow) {
        finish(FrameStatus::Oversized, out);
    } else if (crcMatches(m_frame.raw)) {
        finish(FrameStatus::Good, out); // a function whose length only the silence tells
    } else {
        const auto length = rtuRequestLength(m_frame.raw);
        const bool shortOfLength = !length || (*length != 0 && m_frame.raw.size() < *length);
        finish(m_frame.raw.size() < kMinFrame || shortOfLength ? FrameStatus::Cut
                                                               : FrameStatus::BadChecksum,
               out);
    }
}

void RtuFraming::finish(FrameStatus status, std::vector<ReceivedFrame>& out) {
    m_frame.status = status;
    if (status == FrameStatus::Good) {
        m_frame.message.assign(m_frame.raw.begin(), m_frame.raw.end() - kCrcBytes);
    }
    out.push_back(std::move(m_frame));
    m_frame = ReceivedFrame{};
    m_failedAtLength = false;
    m_overflow = false;
}

std::vector<std::uint8_t> RtuFraming::encode(std::span<const std::uint8_t> message,
                                             bool badChecksum) const {
    std::vector<std::uint8_t> bytes(message.begin(), message.end());
    std::uint16_t crc = tavrin::frame::crc16(message);
    if (badChecksum) {
        crc ^= 0x00FFU; // the low byte goes out first: a master sees it wrong at once
    }
    bytes.push_back(static_cast<std::uint8_t>(crc & 0xFFU));
    bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
    return bytes;
}

} // namespace dlcsim
