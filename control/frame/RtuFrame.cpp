#include "frame/RtuFrame.h"

#include "frame/Checksum.h"

namespace tavrin::frame {

void RtuFrame::AddByte(std::uint8_t b) {
    append(b);
}

void RtuFrame::Finish() {
    const std::uint16_t crc = crc16(bytes());
    append(static_cast<std::uint8_t>(crc & 0xFFU));
    auto high = static_cast<std::uint8_t>(crc >> 8);
    if (badChecksum()) {
        // Lets a bench provoke and watch a slave's checksum handling.
        high = static_cast<std::uint8_t>(high + 1U);
    }
    append(high);
    setState(Verdict::Good);
}

// n message bytes and the two CRC bytes.
void RtuFrame::SetExpectedLength(std::uint8_t n) {
    setExpectedLengthRaw(static_cast<std::uint8_t>(n + 2U));
}

std::size_t RtuFrame::messageBytesBeforeCheck() const {
    return length() >= 2 ? length() - 2 : 0;
}

bool RtuFrame::IsComplete() const {
    const std::size_t len = length();
    if (len < 4) {
        return false;
    }
    const std::uint8_t code = raw(1);
    // address, function | 0x80, exception code, CRC
    if ((code & 0x80U) != 0) {
        return len == 5;
    }
    const std::size_t expected = expectedLength();
    // address, function, byte count, data, CRC
    const std::size_t byByteCount = raw(2) + 5U;
    if (customFunction()) {
        if (expected == 3) {
            return false;
        }
        return len == (expected == 4 ? byByteCount : expected);
    }
    switch (code) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 17:
    case 20:
    case 21:
    case 23:
        return len == byByteCount;
    case 5:
    case 6:
    case 15:
    case 16:
        return len == (expected != 0 ? expected : 8U);
    case 7:
        return len == 5;
    case 8:
        return len == 8;
    case 22:
        return len == 10;
    case 100:
        if (raw(3) == 4) {
            return len == byByteCount;
        }
        return raw(3) == 5 && len == 8;
    case 43:
        return deviceIdComplete();
    default:
        // No way to tell where such a reply ends: it ends at the reply timeout.
        return false;
    }
}

// Device identification: 8 header bytes, then per object an id, a length and the value,
// then the CRC. Each object's length byte has arrived once the objects before it are whole.
bool RtuFrame::deviceIdComplete() const {
    const std::size_t len = length();
    std::size_t need = 10;
    if (len < need) {
        return false;
    }
    std::size_t lengthAt = 9;
    const unsigned objects = raw(7);
    for (unsigned i = 0; i < objects; ++i) {
        const std::size_t objectLength = raw(lengthAt);
        need += 2 + objectLength;
        if (len < need) {
            return false;
        }
        lengthAt += 2 + objectLength;
    }
    return true;
}

Verdict RtuFrame::Validate() {
    if (state() != static_cast<std::int32_t>(Verdict::Good)) {
        return static_cast<Verdict>(state());
    }
    const std::size_t len = length();
    if (len < 4) {
        return Verdict::BadLength;
    }
    const auto all = bytes();
    const std::uint16_t received = static_cast<std::uint16_t>(raw(len - 2) | (raw(len - 1) << 8));
    if (crc16(all.first(len - 2)) != received) {
        return Verdict::BadChecksum;
    }
    const std::uint8_t code = raw(1);
    if ((code & 0x80U) != 0) {
        return Verdict::Exception;
    }
    if (expectedByteCount() == 0) {
        return Verdict::Good;
    }
    const bool counted = code == 1 || code == 2 || code == 3 || code == 4 || code == 20 ||
                         code == 23 || (code == 100 && raw(3) == 4);
    if (counted && raw(2) != expectedByteCount()) {
        return Verdict::BadByteCount;
    }
    return Verdict::Good;
}

} // namespace tavrin::frame
