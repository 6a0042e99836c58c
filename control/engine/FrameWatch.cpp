#include "engine/FrameWatch.h"

#include <algorithm>
#include <chrono>

namespace tavrin {
namespace {

std::int64_t nowUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

FrameWatch::FrameWatch(FrameTap* tap, const std::string& port, std::uint8_t node,
                       std::uint8_t function, bool ascii)
    : m_tap(tap), m_port(port), m_node(node), m_function(function),
      m_flags(static_cast<std::uint16_t>((node == 0 ? frameflag::kBroadcast : 0) |
                                         (ascii ? frameflag::kAscii : 0))) {}

FrameRecord FrameWatch::base(FrameDirection direction) const {
    FrameRecord r;
    r.timeUs = nowUs();
    r.direction = direction;
    r.flags = m_flags;
    r.node = m_node;
    r.function = m_function;
    r.port = m_port;
    return r;
}

void FrameWatch::sent(std::span<const std::byte> bytes, std::uint16_t result, bool replyFollows) {
    if (m_tap == nullptr) {
        return;
    }
    FrameRecord r = base(FrameDirection::Sent);
    r.result = result;
    r.bytes.reserve(bytes.size());
    for (std::byte b : bytes) {
        r.bytes.push_back(std::to_integer<std::uint8_t>(b));
    }
    m_awaiting = replyFollows;
    m_tap->record(std::move(r), !replyFollows);
}

void FrameWatch::received(std::span<const std::byte> bytes) {
    if (m_tap == nullptr) {
        return;
    }
    const std::size_t room = kMaxReplyBytes - std::min(kMaxReplyBytes, m_reply.size());
    if (bytes.size() > room) {
        m_flags |= frameflag::kTruncated;
    }
    for (std::byte b : bytes.first(std::min(room, bytes.size()))) {
        m_reply.push_back(std::to_integer<std::uint8_t>(b));
    }
}

void FrameWatch::finish(std::uint16_t result) {
    if (m_tap == nullptr || !m_awaiting) {
        return;
    }
    m_awaiting = false;
    FrameRecord r = base(FrameDirection::Received);
    r.result = result;
    r.bytes = std::move(m_reply);
    m_tap->record(std::move(r), true);
}

} // namespace tavrin
