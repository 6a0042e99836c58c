#include "portshare/PortShare.h"

#include "portshare/Process.h"
#include "portshare/SharerTable.h"

#include <atomic>
#include <cstring>

namespace tavrin {

static_assert(std::is_trivially_copyable_v<SharerTable>);

PortShare::PortShare(Key, ShareNames names) : m_names(std::move(names)) {}

SharerTable& PortShare::table() const {
    return *reinterpret_cast<SharerTable*>(m_recordLock->payload().data());
}

std::span<std::byte, kShareRecordSize> PortShare::recordBytes() const {
    return m_record.bytes().first<kShareRecordSize>();
}

void PortShare::removeNames() const {
    // The record mutex goes last: as long as its name stands, an opener meets the retired
    // table and starts again, so nobody can pair a fresh mutex with an old record or lock.
    unlinkSharedObject(m_names.record);
    unlinkSharedObject(m_names.portLock);
    unlinkSharedObject(m_names.hostExit);
    unlinkSharedObject(m_names.hostCanExit);
    unlinkSharedObject(m_names.lineActivity);
    unlinkSharedObject(m_names.recordLock);
}

std::unique_ptr<PortShare> PortShare::setUp(std::string_view portName, Role role) {
    if (portName.empty()) {
        return nullptr;
    }
    for (int attempt = 0; attempt < 8; ++attempt) {
        auto share = std::make_unique<PortShare>(Key{}, shareNamesFor(portName));
        share->m_recordLock = NamedMutex::open(share->m_names.recordLock, sizeof(SharerTable));
        if (!share->m_recordLock) {
            return nullptr;
        }
        NamedMutexGuard guard(*share->m_recordLock);
        if (!guard.owns()) {
            return nullptr;
        }
        if (share->table().retired != 0) {
            // The last sharer has removed the names, or died removing them. In the second
            // case the name still leads to this very object, and holding its mutex we are the
            // only one who can finish the job; in the first we just open the new objects.
            if (sharedObjectId(share->m_names.recordLock) == share->m_recordLock->objectId()) {
                share->removeNames();
            }
            continue;
        }
        auto record = openSharedObject(share->m_names.record, kShareRecordSize);
        if (!record) {
            return nullptr;
        }
        share->m_record = std::move(record->mapping);
        share->m_portLock = NamedMutex::open(share->m_names.portLock);
        share->m_hostExit = SharedEvent::open(share->m_names.hostExit, EventReset::Auto);
        share->m_hostCanExit = SharedEvent::open(share->m_names.hostCanExit, EventReset::Auto);
        share->m_line = LineActivity::open(share->m_names.lineActivity);
        if (!share->m_portLock || !share->m_hostExit || !share->m_hostCanExit || !share->m_line) {
            return nullptr;
        }
        if (role == Role::Observer) {
            return share;
        }
        if (!addSharer(share->table(), currentProcessId(), processAlive)) {
            return nullptr;
        }
        share->m_counted = true;
        return share;
    }
    return nullptr;
}

bool PortShare::objectsExist(std::string_view portName) {
    return sharedObjectId(shareNamesFor(portName).recordLock).has_value();
}

PortShare::~PortShare() {
    if (!m_counted) {
        return;
    }
    NamedMutexGuard guard(*m_recordLock);
    if (!guard.owns()) {
        return;
    }
    if (removeSharer(table(), currentProcessId(), processAlive) == 0) {
        table().retired = 1;
        removeNames();
    }
}

PortShare::RecordAccess::RecordAccess(PortShare& share)
    : m_share(&share), m_guard(*share.m_recordLock) {}

PortShare::RecordAccess PortShare::lockRecord() {
    return RecordAccess(*this);
}

ShareRecord PortShare::peekRecord() const {
    ShareRecordBytes bytes{};
    const auto shared = recordBytes();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = std::atomic_ref<std::byte>(shared[i]).load(std::memory_order_acquire);
    }
    return decodeShareRecord(bytes);
}

ShareRecord PortShare::RecordAccess::read() const {
    return decodeShareRecord(m_share->recordBytes());
}

void PortShare::RecordAccess::write(const ShareRecord& record) {
    const ShareRecordBytes bytes = encodeShareRecord(record);
    std::memcpy(m_share->recordBytes().data(), bytes.data(), bytes.size());
}

bool PortShare::RecordAccess::isEmpty() const {
    return isEmptyRecord(m_share->recordBytes());
}

std::uint32_t PortShare::RecordAccess::otherSharers() {
    return tavrin::otherSharers(m_share->table(), currentProcessId(), processAlive);
}

} // namespace tavrin
