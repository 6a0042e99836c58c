// Checksums of the two Modbus serial framings.
#pragma once

#include <cstdint>
#include <span>

namespace tavrin::frame {

// CRC-16/MODBUS: reflected polynomial 0xA001, initial value 0xFFFF; sent low byte first.
std::uint16_t crc16(std::span<const std::uint8_t> bytes);

// ASCII framing: two's complement of the 8-bit sum of the message bytes.
std::uint8_t lrc(std::span<const std::uint8_t> bytes);

} // namespace tavrin::frame
