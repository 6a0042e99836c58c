// Completions travel from a control's communications thread to the thread that created
// the control through that thread's queue: any thread posts, the host thread pumps, and
// the pump calls the control there. A host watches fd() (poll, a socket notifier) and
// calls pump() when it is readable.
#pragma once

#include "engine/EventFd.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace tavrin {

enum class NotifyCode : std::uint8_t {
    TransactionComplete = 0,
    DialComplete = 1,
    HangupComplete = 2,
    ModemStatusChanged = 3,
    UnsolicitedMessage = 4,
};

class NotifyTarget {
public:
    virtual void onNotify(NotifyCode code, std::int32_t value) = 0;

protected:
    ~NotifyTarget() = default;
};

// Identifies an attached target. Handles are never reused, so a notification posted for
// a target that has since been detached finds no one and is dropped.
using NotifyHandle = std::uint64_t;

class NotifyQueue {
public:
    // This thread's queue, made on first use and kept until the thread ends; nullptr only
    // when no descriptor can be had. Owners keep the queue alive past the thread's end.
    static std::shared_ptr<NotifyQueue> forCurrentThread();

    explicit NotifyQueue(EventFd event) : m_event(std::move(event)) {}

    int fd() const { return m_event.fd(); }

    // Attach and detach on the queue's thread. After detach the target is never called.
    NotifyHandle attach(NotifyTarget& target);
    void detach(NotifyHandle handle);

    // Any thread.
    void post(NotifyHandle target, NotifyCode code, std::int32_t value);

    // The queue's thread: delivers what was posted before the call, in order; returns how
    // many were delivered. Re-entrant: a target may pump again from inside its handler.
    std::size_t pump();

    // Sleeps until something is posted or the timeout passes, then pumps.
    std::size_t waitAndPump(std::chrono::milliseconds timeout);

private:
    struct Posted {
        NotifyHandle target;
        NotifyCode code;
        std::int32_t value;
    };

    EventFd m_event;
    std::mutex m_mutex; // guards everything below; the eventfd itself needs no lock
    std::vector<Posted> m_pending;
    std::unordered_map<NotifyHandle, NotifyTarget*> m_targets;
    NotifyHandle m_nextHandle = 1;
};

} // namespace tavrin
