// Who shares a port: sharer counts per process, kept beside the record under its mutex, so
// that the last sharer to leave can remove the names and the next open starts afresh.
// Counting per process (not one total) lets a process that died be struck off.
#ifndef TAVRIN_PORTSHARE_SHARERTABLE_H
#define TAVRIN_PORTSHARE_SHARERTABLE_H

#include <cstdint>
#include <functional>

namespace tavrin {

inline constexpr std::size_t kMaxSharerProcesses = 64;

// Lives in shared memory, zero-initialised; plain data only.
struct SharerTable {
    std::uint32_t retired; // the names are being or have been removed: open them afresh
    std::uint32_t reserved;
    struct Slot {
        std::int32_t pid;
        std::uint32_t count;
    } slots[kMaxSharerProcesses];
};

using ProcessAlive = std::function<bool(std::int32_t pid)>;

// Adds one sharer of process `pid`. False when the table is full of live processes.
bool addSharer(SharerTable& table, std::int32_t pid, const ProcessAlive& alive);
// Removes one sharer of `pid`; returns how many sharers (of live processes) remain.
std::uint32_t removeSharer(SharerTable& table, std::int32_t pid, const ProcessAlive& alive);
// Sharers of live processes, this process's other sharers included, but not the caller.
std::uint32_t otherSharers(SharerTable& table, std::int32_t pid, const ProcessAlive& alive);

} // namespace tavrin

#endif
