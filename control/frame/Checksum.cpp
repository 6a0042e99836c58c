#include "frame/Checksum.h"

#include <array>

namespace tavrin::frame {
namespace {

constexpr std::array<std::uint16_t, 256> makeCrcTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1U) != 0 ? (crc >> 1) ^ 0xA001U : crc >> 1;
        }
        table[i] = static_cast<std::uint16_t>(crc);
    }
    return table;
}

constexpr auto kCrcTable = makeCrcTable();

} // namespace

std::uint16_t crc16(std::span<const std::uint8_t> bytes) {
    unsigned crc = 0xFFFF;
    for (std::uint8_t b : bytes) {
        crc = (crc >> 8) ^ kCrcTable[(crc ^ b) & 0xFFU];
    }
    return static_cast<std::uint16_t>(crc);
}

std::uint8_t lrc(std::span<const std::uint8_t> bytes) {
    unsigned sum = 0;
    for (std::uint8_t b : bytes) {
        sum += b;
    }
    return static_cast<std::uint8_t>(0x100U - (sum & 0xFFU));
}

} // namespace tavrin::frame
