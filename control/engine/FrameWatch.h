// What one transaction shows a frame tap: the request as written, then the reply as it came
// back (or what had come when the exchange ended). Inert without a tap.
#pragma once

#include "engine/FrameTap.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tavrin {

class FrameWatch {
public:
    // More than the longest reply the codec takes (600 characters) with line noise around it.
    static constexpr std::size_t kMaxReplyBytes = 1024;

    FrameWatch(FrameTap* tap, const std::string& port, std::uint8_t node, std::uint8_t function,
               bool ascii);

    // The request went to the line with this outcome (0 written, else its Result); a reply is
    // awaited when `replyFollows`.
    void sent(std::span<const std::byte> bytes, std::uint16_t result, bool replyFollows);
    // Bytes taken in while waiting for the reply, in order.
    void received(std::span<const std::byte> bytes);
    void timedOut() { m_flags |= frameflag::kTimeout; }
    // The exchange ended with `result`: the reply record, if one was awaited.
    void finish(std::uint16_t result);

private:
    FrameRecord base(FrameDirection direction) const;

    FrameTap* m_tap;
    const std::string& m_port;
    std::uint8_t m_node;
    std::uint8_t m_function;
    std::uint16_t m_flags;
    bool m_awaiting = false;
    std::vector<std::uint8_t> m_reply;
};

} // namespace tavrin
