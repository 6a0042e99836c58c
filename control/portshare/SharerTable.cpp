#include "portshare/SharerTable.h"

namespace tavrin {
namespace {

void strikeOffDead(SharerTable& table, std::int32_t self, const ProcessAlive& alive) {
    for (auto& slot : table.slots) {
        if (slot.pid != 0 && slot.pid != self && !alive(slot.pid)) {
            slot = {};
        }
    }
}

std::uint32_t total(const SharerTable& table) {
    std::uint32_t sum = 0;
    for (const auto& slot : table.slots) {
        sum += slot.pid != 0 ? slot.count : 0;
    }
    return sum;
}

} // namespace

bool addSharer(SharerTable& table, std::int32_t pid, const ProcessAlive& alive) {
    strikeOffDead(table, pid, alive);
    SharerTable::Slot* free = nullptr;
    for (auto& slot : table.slots) {
        if (slot.pid == pid) {
            ++slot.count;
            return true;
        }
        if (slot.pid == 0 && free == nullptr) {
            free = &slot;
        }
    }
    if (free == nullptr) {
        return false;
    }
    *free = {pid, 1};
    return true;
}

std::uint32_t removeSharer(SharerTable& table, std::int32_t pid, const ProcessAlive& alive) {
    strikeOffDead(table, pid, alive);
    for (auto& slot : table.slots) {
        if (slot.pid == pid) {
            if (--slot.count == 0) {
                slot = {};
            }
            break;
        }
    }
    return total(table);
}

std::uint32_t otherSharers(SharerTable& table, std::int32_t pid, const ProcessAlive& alive) {
    strikeOffDead(table, pid, alive);
    const std::uint32_t all = total(table);
    return all > 0 ? all - 1 : 0;
}

} // namespace tavrin
