// Helpers shared by the codec tests: frames written as hex text, and a sample data area.
#pragma once

#include "frame/DataBytes.h"
#include "frame/ModbusFrame.h"
#include "frame/RequestBuilder.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin::frame::test {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::int16_t kRtu = 0;   // DATA_MODE_MB_RTU
inline constexpr std::int16_t kAscii = 1; // DATA_MODE_MB_ASCII
inline constexpr std::int16_t kFramings[] = {kRtu, kAscii};

// "01 03 C4 0B" -> {0x01, 0x03, 0xC4, 0x0B}
inline Bytes hexBytes(std::string_view text) {
    Bytes out;
    unsigned value = 0;
    int digits = 0;
    for (char c : text) {
        if (c == ' ') {
            continue;
        }
        const unsigned nibble = c <= '9' ? static_cast<unsigned>(c - '0')
                                         : static_cast<unsigned>((c | 0x20) - 'a' + 10);
        value = value * 16 + nibble;
        if (++digits == 2) {
            out.push_back(static_cast<std::uint8_t>(value));
            value = 0;
            digits = 0;
        }
    }
    return out;
}

inline Bytes textBytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

inline Bytes frameBytes(const ModbusFrame& frame) {
    const auto b = frame.bytes();
    return Bytes(b.begin(), b.end());
}

// Words 0x1234, 0x5678, 0x9ABC, 0xDEF0, the rest 0: the area the vector script assumes.
inline DataBytes sampleArea() {
    DataBytes area{};
    const std::uint16_t words[] = {0x1234, 0x5678, 0x9ABC, 0xDEF0};
    for (std::size_t i = 0; i < 4; ++i) {
        setWordAt(area, i, words[i]);
    }
    return area;
}

inline TransactionProperties props(std::int32_t function, std::string memStart,
                                   std::int16_t memQty = 1, std::int16_t addressType = 0,
                                   std::int16_t dataMode = 0, std::string node = "1") {
    TransactionProperties p;
    p.function = function;
    p.memStart = std::move(memStart);
    p.memQty = memQty;
    p.addressType = addressType;
    p.dataMode = dataMode;
    p.nodeAddress = std::move(node);
    return p;
}

} // namespace tavrin::frame::test
