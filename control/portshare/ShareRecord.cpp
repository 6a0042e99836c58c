#include "portshare/ShareRecord.h"

#include <algorithm>

namespace tavrin {
namespace {

std::uint32_t readLe(std::span<const std::byte> bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;) {
        value = (value << 8) | std::to_integer<std::uint32_t>(bytes[i]);
    }
    return value;
}

void writeLe(std::span<std::byte> bytes, std::uint32_t value) {
    for (auto& b : bytes) {
        b = static_cast<std::byte>(value & 0xFFu);
        value >>= 8;
    }
}

} // namespace

ShareRecord decodeShareRecord(std::span<const std::byte, kShareRecordSize> bytes) {
    ShareRecord r;
    r.counter = std::to_integer<std::uint8_t>(bytes[0]);
    r.ownerHandle = readLe(bytes.subspan(1, 4));
    r.ownerPid = readLe(bytes.subspan(5, 4));
    r.reserved = static_cast<std::uint16_t>(readLe(bytes.subspan(9, 2)));
    return r;
}

ShareRecordBytes encodeShareRecord(const ShareRecord& record) {
    ShareRecordBytes bytes{};
    bytes[0] = static_cast<std::byte>(record.counter);
    writeLe(std::span(bytes).subspan(1, 4), record.ownerHandle);
    writeLe(std::span(bytes).subspan(5, 4), record.ownerPid);
    writeLe(std::span(bytes).subspan(9, 2), record.reserved);
    return bytes;
}

bool isEmptyRecord(std::span<const std::byte, kShareRecordSize> bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](std::byte b) { return b == std::byte{0}; });
}

std::uint8_t nextCounter(std::uint8_t counter) {
    return counter >= 255 ? std::uint8_t{1} : static_cast<std::uint8_t>(counter + 1);
}

} // namespace tavrin
