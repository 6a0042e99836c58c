// One request or one reply in either serial framing. The frame only holds bytes and judges
// them; sending, timing and the data area live elsewhere.
#pragma once

#include "frame/Verdict.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tavrin::frame {

enum class Framing { Rtu, Ascii };

class ModbusFrame {
public:
    // Large enough for the longest ASCII frame of 256 message bytes (2 * 256 + 3 characters)
    // plus slack; a reply that grows past it is garbage and reception starts over.
    static constexpr std::size_t kCapacity = 600;

    virtual ~ModbusFrame() = default;
    ModbusFrame(const ModbusFrame&) = delete;
    ModbusFrame& operator=(const ModbusFrame&) = delete;

    // The operations in the order of their virtual slots.
    virtual Verdict Validate() = 0;
    virtual std::uint8_t GetAddress() const;
    virtual std::uint8_t GetFunction() const;
    virtual bool GetBit(std::size_t i) const;
    virtual std::uint8_t GetByte(std::size_t i) const;
    virtual std::uint16_t GetWord(std::size_t i) const;
    virtual std::uint8_t GetExceptionCode() const;
    virtual std::span<const std::uint8_t> GetPayload() const;
    virtual void AddByte(std::uint8_t b) = 0;
    virtual void Finish() = 0;
    virtual bool IsComplete() const = 0;
    virtual std::uint8_t GetByteCount() const;
    virtual void SetExpectedLength(std::uint8_t n) = 0;

    // Empties the frame for receiving; the request's flags and expectations stay.
    void Reset();

    // Appends one raw byte (character) as received or built; silently ignored when full.
    void append(std::uint8_t raw);
    // Marks a received reply as whole so that Validate judges it.
    void handOver() { m_state = static_cast<std::int32_t>(Verdict::Good); }

    // Message byte i (address, function, ...) as decoded; 0xFF for an ASCII pair that is not
    // hex, 0 for an RTU byte not received.
    std::uint8_t messageByteAt(std::size_t i) const { return messageByte(i); }
    Framing framing() const { return m_framing; }
    std::span<const std::uint8_t> bytes() const { return {m_buffer.data(), m_length}; }
    std::size_t length() const { return m_length; }
    std::int32_t state() const { return m_state; }
    // True when something was dropped because the buffer was full.
    bool overflowed() const { return m_overflowed; }

    std::uint8_t expectedByteCount() const { return m_expectedByteCount; }
    void setExpectedByteCount(std::uint8_t count) { m_expectedByteCount = count; }
    std::uint8_t expectedLength() const { return m_expectedLength; }
    bool badChecksum() const { return m_badChecksum; }
    void setBadChecksum(bool on) { m_badChecksum = on; }
    bool customFunction() const { return m_customFunction; }
    void setCustomFunction(bool on) { m_customFunction = on; }

protected:
    explicit ModbusFrame(Framing framing);

    virtual std::uint8_t messageByte(std::size_t i) const = 0;
    // Message bytes received before the checksum.
    virtual std::size_t messageBytesBeforeCheck() const = 0;

    std::uint8_t raw(std::size_t i) const { return i < m_length ? m_buffer[i] : 0; }
    void setState(Verdict v) { m_state = static_cast<std::int32_t>(v); }
    void setExpectedLengthRaw(std::uint8_t e) { m_expectedLength = e; }

private:
    std::vector<std::uint8_t> decodePayload() const;

    std::array<std::uint8_t, kCapacity> m_buffer{};
    std::uint16_t m_length = 0;
    std::int32_t m_state = 0;
    std::uint8_t m_expectedByteCount = 0;
    std::uint8_t m_expectedLength = 0;
    bool m_badChecksum = false;
    bool m_customFunction = false;
    bool m_overflowed = false;
    Framing m_framing;
    // Decoded on first access and dropped whenever the bytes change.
    mutable std::optional<std::vector<std::uint8_t>> m_payload;
};

} // namespace tavrin::frame
