// Everything the sharers of one port meet through: the record and its mutex with the sharer
// table, the port lock, the hand-over events and the line-activity time. One PortShare per
// CommPort that owns or shares the port; the last one released removes the names, so that
// the next open starts afresh.
#ifndef TAVRIN_PORTSHARE_PORTSHARE_H
#define TAVRIN_PORTSHARE_PORTSHARE_H

#include "portshare/LineActivity.h"
#include "portshare/NamedMutex.h"
#include "portshare/ShareNames.h"
#include "portshare/ShareRecord.h"
#include "portshare/SharedEvent.h"

#include <memory>
#include <string_view>

namespace tavrin {

struct SharerTable;

class PortShare {
public:
    // Opens (creating where needed) every object of the port and, for a sharer, counts it
    // in. An observer (a host thread watching for the sharers of its process) is not
    // counted: it neither keeps the names alive nor asks for a hand-over. Nothing when the
    // name is empty or an object cannot be had.
    enum class Role { Sharer, Observer };
    static std::unique_ptr<PortShare> setUp(std::string_view portName, Role role = Role::Sharer);

    // True when the objects of that port exist (some sharer has it set up).
    static bool objectsExist(std::string_view portName);

    PortShare(const PortShare&) = delete;
    PortShare& operator=(const PortShare&) = delete;
    ~PortShare(); // counts this sharer out; the last one removes the names

    // The record and sharer table, held under their mutex for the access's lifetime.
    class RecordAccess {
    public:
        bool valid() const { return m_guard.owns(); }
        bool abandoned() const { return m_guard.abandoned(); }
        ShareRecord read() const;
        void write(const ShareRecord& record);
        bool isEmpty() const;
        // Sharers of live processes other than the caller.
        std::uint32_t otherSharers();

    private:
        friend class PortShare;
        explicit RecordAccess(PortShare& share);
        PortShare* m_share;
        NamedMutexGuard m_guard;
    };
    RecordAccess lockRecord();
    // The record read without its mutex, byte by byte: for a thread that must answer a sharer
    // who holds the mutex while it asks. Only what that sharer saw is sure to be read.
    ShareRecord peekRecord() const;

    NamedMutex& portLock() { return *m_portLock; }
    SharedEvent& hostExit() { return *m_hostExit; }
    SharedEvent& hostCanExit() { return *m_hostCanExit; }
    LineActivity& lineActivity() { return *m_line; }
    const ShareNames& names() const { return m_names; }

private:
    struct Key {
        explicit Key() = default;
    };

public:
    PortShare(Key, ShareNames names);

private:
    SharerTable& table() const;
    std::span<std::byte, kShareRecordSize> recordBytes() const;
    void removeNames() const;

    ShareNames m_names;
    std::unique_ptr<NamedMutex> m_recordLock;
    SharedMapping m_record;
    std::unique_ptr<NamedMutex> m_portLock;
    std::unique_ptr<SharedEvent> m_hostExit;
    std::unique_ptr<SharedEvent> m_hostCanExit;
    std::unique_ptr<LineActivity> m_line;
    bool m_counted = false;
};

} // namespace tavrin

#endif
