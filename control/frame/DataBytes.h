// The control's 256-byte data area as the codec sees it: 128 words in host order,
// word i = byte 2i (low) and byte 2i+1 (high), independent of the machine's byte order.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tavrin {

inline constexpr std::size_t kDataAreaBytes = 256;
inline constexpr std::size_t kDataAreaWords = kDataAreaBytes / 2;
using DataBytes = std::array<std::uint8_t, kDataAreaBytes>;

inline std::uint16_t wordAt(const DataBytes& area, std::size_t i) {
    return static_cast<std::uint16_t>(area[2 * i] | (area[2 * i + 1] << 8));
}

inline void setWordAt(DataBytes& area, std::size_t i, std::uint16_t value) {
    area[2 * i] = static_cast<std::uint8_t>(value & 0xFF);
    area[2 * i + 1] = static_cast<std::uint8_t>(value >> 8);
}

} // namespace tavrin
