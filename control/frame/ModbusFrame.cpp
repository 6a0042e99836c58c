#include "frame/ModbusFrame.h"

#include <algorithm>

namespace tavrin::frame {

ModbusFrame::ModbusFrame(Framing framing) : m_framing(framing) {}

std::uint8_t ModbusFrame::GetAddress() const {
    return messageByte(0);
}

std::uint8_t ModbusFrame::GetFunction() const {
    return messageByte(1);
}

bool ModbusFrame::GetBit(std::size_t i) const {
    return ((GetByte(i / 8) >> (i % 8)) & 1U) != 0;
}

std::uint8_t ModbusFrame::GetByte(std::size_t i) const {
    const auto payload = GetPayload();
    return i < payload.size() ? payload[i] : 0;
}

std::uint16_t ModbusFrame::GetWord(std::size_t i) const {
    return static_cast<std::uint16_t>((GetByte(2 * i) << 8) | GetByte(2 * i + 1));
}

std::uint8_t ModbusFrame::GetExceptionCode() const {
    return messageByte(2);
}

std::uint8_t ModbusFrame::GetByteCount() const {
    return messageByte(2);
}

std::span<const std::uint8_t> ModbusFrame::GetPayload() const {
    if (!m_payload) {
        m_payload = decodePayload();
    }
    return *m_payload;
}

std::vector<std::uint8_t> ModbusFrame::decodePayload() const {
    const std::size_t body = messageBytesBeforeCheck();
    // Whatever a reply claims, the payload never reaches past the bytes actually received.
    const auto run = [&](std::size_t from, std::size_t count) {
        std::vector<std::uint8_t> out;
        for (std::size_t i = from; i < std::min(body, from + count); ++i) {
            out.push_back(messageByte(i));
        }
        return out;
    };
    const std::size_t rest = body > 2 ? body - 2 : 0;
    if (m_customFunction) {
        return run(2, rest);
    }
    switch (GetFunction()) {
    case 7:
        return run(2, 1);
    case 8:
        return run(2, 2);
    case 22:
        return run(2, 6);
    case 43:
    case 65:
        return run(2, rest);
    default:
        return run(3, GetByteCount());
    }
}

void ModbusFrame::Reset() {
    m_length = 0;
    m_payload.reset();
    // 0xCD marks never-written memory, so a stale request never looks like reply data.
    m_buffer.fill(0xCD);
    m_state = 0;
    m_overflowed = false;
}

void ModbusFrame::append(std::uint8_t raw) {
    if (m_length >= kCapacity) {
        m_overflowed = true;
        return;
    }
    m_buffer[m_length++] = raw;
    m_payload.reset();
}

} // namespace tavrin::frame
