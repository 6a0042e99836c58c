#include "AsciiFraming.h"

#include "frame/Checksum.h"

namespace dlcsim {
namespace {

// ':', 2 x 255 characters of address, PDU and LRC, CR LF.
constexpr std::size_t kMaxAsciiFrame = 513;
constexpr std::size_t kMinMessage = 3; // address, function, LRC
constexpr auto kInterCharacterTimeout = std::chrono::seconds(1);

int hexValue(std::uint8_t c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

void appendHex(std::vector<std::uint8_t>& out, std::uint8_t b) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    out.push_back(static_cast<std::uint8_t>(kDigits[b >> 4]));
    out.push_back(static_cast<std::uint8_t>(kDigits[b & 0x0FU]));
}

} // namespace

void AsciiFraming::receive(std::span<const std::uint8_t> bytes, TimePoint now,
                           std::vector<ReceivedFrame>& out) {
    for (std::uint8_t b : bytes) {
        if (b == ':') {
            if (!m_frame.raw.empty()) {
                finish(m_inFrame ? FrameStatus::Cut : FrameStatus::Noise, out);
            }
            m_inFrame = true;
        }
        if (m_frame.raw.empty()) {
            m_frame.first = now;
        }
        m_frame.last = now;
        if (m_frame.raw.size() < kMaxAsciiFrame) {
            m_frame.raw.push_back(b);
        } else {
            m_overflow = true;
        }
        if (m_inFrame && b == '\n' && m_frame.raw.size() >= 2 &&
            m_frame.raw[m_frame.raw.size() - 2] == '\r') {
            decode(out);
        } else if (m_inFrame && b == '\n' && m_overflow) {
            finish(FrameStatus::Oversized, out);
        }
    }
}

std::optional<TimePoint> AsciiFraming::deadline() const {
    if (m_frame.raw.empty()) {
        return std::nullopt;
    }
    return m_frame.last + kInterCharacterTimeout;
}

void AsciiFraming::expire(TimePoint now, std::vector<ReceivedFrame>& out) {
    const auto due = deadline();
    if (!due || now < *due) {
        return;
    }
    finish(!m_inFrame   ? FrameStatus::Noise
           : m_overflow ? FrameStatus::Oversized
                        : FrameStatus::Cut,
           out);
}

void AsciiFraming::decode(std::vector<ReceivedFrame>& out) {
    if (m_overflow) {
        finish(FrameStatus::Oversized, out);
        return;
    }
    // Between ':' and CR LF: hexadecimal pairs.
    const std::size_t chars = m_frame.raw.size() - 3;
    if (chars % 2 != 0 || chars / 2 < kMinMessage) {
        finish(FrameStatus::BadFraming, out);
        return;
    }
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 1; i + 1 < m_frame.raw.size() - 2; i += 2) {
        const int hi = hexValue(m_frame.raw[i]);
        const int lo = hexValue(m_frame.raw[i + 1]);
        if (hi < 0 || lo < 0) {
            finish(FrameStatus::BadFraming, out);
            return;
        }
        bytes.push_back(static_cast<std::uint8_t>((hi << 4) | lo));
    }
    const std::uint8_t lrc = bytes.back();
    bytes.pop_back();
    if (tavrin::frame::lrc(bytes) != lrc) {
        finish(FrameStatus::BadChecksum, out);
        return;
    }
    m_frame.message = std::move(bytes);
    finish(FrameStatus::Good, out);
}

void AsciiFraming::finish(FrameStatus status, std::vector<ReceivedFrame>& out) {
    m_frame.status = status;
    out.push_back(std::move(m_frame));
    m_frame = ReceivedFrame{};
    m_inFrame = false;
    m_overflow = false;
}

std::vector<std::uint8_t> AsciiFraming::encode(std::span<const std::uint8_t> message,
                                               bool badChecksum) const {
    std::vector<std::uint8_t> chars{':'};
    for (std::uint8_t b : message) {
        appendHex(chars, b);
    }
    std::uint8_t lrc = tavrin::frame::lrc(message);
    if (badChecksum) {
        lrc = static_cast<std::uint8_t>(lrc + 1);
    }
    appendHex(chars, lrc);
    chars.push_back('\r');
    chars.push_back('\n');
    return chars;
}

} // namespace dlcsim
