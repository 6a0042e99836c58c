// Completions travel from a control's communications thread to the thread that created
// the control through that thread's queue: any thread posts, the host thread pumps, and
// the pump calls the control there. A host watches fd() (poll, a socket notifier) and
// calls pump() when it is readable.
#pragma once

#include "engine/EventFd.h"
#include "engine/FrameTap.h"

#include <atomic>
#include <cstdint>
#include <functional>
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

class NotifyQueue final : public FrameTap {
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

    // The frame tap of the controls that post here (set on the queue's thread). While a
    // listener is set, their transactions record their frames and pump() hands each to it,
    // numbered in line order, before the events posted with them. Empty: off, and frames
    // still waiting are dropped. After the call the old listener is never called again.
    using FrameListener = std::function<void(const FrameRecord& frame, std::uint64_t sequence)>;
    void setFrameListener(FrameListener listener);
    // What a transaction is handed: this queue while a listener is set, else nullptr.
    FrameTap* frameTap() { return m_tapping.load(std::memory_order_relaxed) ? this : nullptr; }
    // A host that does not pump cannot make the queue grow: past this many waiting frames
    // new ones are counted and dropped (their numbers are skipped).
    static constexpr std::size_t kMaxPendingFrames = 4096;
    std::uint64_t framesDropped() const;

    void record(FrameRecord frame, bool endsExchange) override;

private:
    struct Posted {
        NotifyHandle target;
        NotifyCode code;
        std::int32_t value;
    };
    struct PendingFrame {
        FrameRecord frame;
        std::uint64_t sequence;
    };

    // True for the first post of a batch, which then signals the descriptor; call with the
    // mutex held.
    bool claimWake();

    EventFd m_event;
    mutable std::mutex m_mutex; // guards everything below; the eventfd itself needs no lock
    bool m_signalled = false;   // the descriptor is readable and the pump has not yet drained it
    std::vector<Posted> m_pending;
    std::unordered_map<NotifyHandle, NotifyTarget*> m_targets;
    NotifyHandle m_nextHandle = 1;

    FrameListener m_listener;
    std::vector<PendingFrame> m_frames;
    std::uint64_t m_frameSequence = 0;
    std::uint64_t m_framesDropped = 0;
    std::atomic<bool> m_tapping{false};
    // Changes with every listener set: a pump stops handing frames to a listener replaced
    // from inside one of its calls.
    std::atomic<std::uint64_t> m_listenerGeneration{0};
};

} // namespace tavrin
