// The 11-byte record the sharers of a port keep in shared memory (little-endian):
//   0     heartbeat counter, 1..255 then 1 again; 0 only before the first owner
//   1..4  owner's device descriptor number (in the owner's process)
//   5..8  owner's process id
//   9..10 reserved, zero
#ifndef TAVRIN_PORTSHARE_SHARERECORD_H
#define TAVRIN_PORTSHARE_SHARERECORD_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tavrin {

inline constexpr std::size_t kShareRecordSize = 11;

struct ShareRecord {
    std::uint8_t counter = 0;
    std::uint32_t ownerHandle = 0;
    std::uint32_t ownerPid = 0;
    std::uint16_t reserved = 0;

    friend bool operator==(const ShareRecord&, const ShareRecord&) = default;
};

using ShareRecordBytes = std::array<std::byte, kShareRecordSize>;

ShareRecord decodeShareRecord(std::span<const std::byte, kShareRecordSize> bytes);
ShareRecordBytes encodeShareRecord(const ShareRecord& record);
bool isEmptyRecord(std::span<const std::byte, kShareRecordSize> bytes);

// The counter after `counter`: 255 is followed by 1, so it is never 0 once started.
std::uint8_t nextCounter(std::uint8_t counter);

} // namespace tavrin

#endif
