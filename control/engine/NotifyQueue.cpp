#include "engine/NotifyQueue.h"

namespace tavrin {

std::shared_ptr<NotifyQueue> NotifyQueue::forCurrentThread() {
    // One queue per host thread, released with the thread.
    thread_local std::shared_ptr<NotifyQueue> t_queue;
    if (!t_queue) {
        if (auto event = EventFd::create()) {
            t_queue = std::make_shared<NotifyQueue>(std::move(*event));
        }
    }
    return t_queue;
}

NotifyHandle NotifyQueue::attach(NotifyTarget& target) {
    std::lock_guard lock(m_mutex);
    const NotifyHandle handle = m_nextHandle++;
    m_targets.emplace(handle, &target);
    return handle;
}

void NotifyQueue::detach(NotifyHandle handle) {
    std::lock_guard lock(m_mutex);
    m_targets.erase(handle);
}

bool NotifyQueue::claimWake() {
    // Only the first of a batch signals: the host pumps everything pending at once.
    if (m_signalled) {
        return false;
    }
    m_signalled = true;
    return true;
}

// The descriptor is signalled after the lock is let go: the host wakes to pump at once instead
// of waiting for the posting thread to let go of it. A pump between the two takes the post
// already; the signal then only wakes the host once more to find nothing.

void NotifyQueue::post(NotifyHandle target, NotifyCode code, std::int32_t value) {
    bool signal = false;
    {
        std::lock_guard lock(m_mutex);
        signal = claimWake();
        m_pending.push_back({target, code, value});
    }
    if (signal) {
        m_event.signal();
    }
}

void NotifyQueue::setFrameListener(FrameListener listener) {
    std::lock_guard lock(m_mutex);
    m_listener = std::move(listener);
    m_tapping.store(static_cast<bool>(m_listener), std::memory_order_relaxed);
    ++m_listenerGeneration;
    if (!m_listener) {
        m_frames = {}; // and the memory with them
    }
}

std::uint64_t NotifyQueue::framesDropped() const {
    std::lock_guard lock(m_mutex);
    return m_framesDropped;
}

void NotifyQueue::record(FrameRecord frame, bool endsExchange) {
    bool signal = false;
    {
        std::lock_guard lock(m_mutex);
        if (!m_listener) {
            return; // the listener went away while the transaction ran
        }
        const std::uint64_t sequence = ++m_frameSequence;
        if (m_frames.size() >= kMaxPendingFrames) {
            ++m_framesDropped;
            signal = claimWake(); // whatever waits is overdue
        } else {
            m_frames.push_back({std::move(frame), sequence});
            signal = endsExchange && claimWake();
        }
    }
    if (signal) {
        m_event.signal();
    }
}

std::size_t NotifyQueue::pump() {
    std::vector<Posted> batch;
    std::vector<PendingFrame> frames;
    FrameListener listener;
    std::uint64_t generation = 0;
    {
        std::lock_guard lock(m_mutex);
        // Drained under the lock, so a post after the swap signals again.
        m_event.drain();
        m_signalled = false;
        batch.swap(m_pending);
        frames.swap(m_frames);
        if (!frames.empty()) {
            listener = m_listener;
            generation = m_listenerGeneration.load();
        }
    }
    // A transaction's frames were recorded before its completion was posted: they go first.
    for (const PendingFrame& f : frames) {
        if (!listener || m_listenerGeneration.load() != generation) {
            break;
        }
        listener(f.frame, f.sequence);
    }
    std::size_t delivered = 0;
    for (const Posted& p : batch) {
        NotifyTarget* target = nullptr;
        {
            // Looked up one at a time: an earlier handler may have detached this target.
            std::lock_guard lock(m_mutex);
            const auto it = m_targets.find(p.target);
            if (it != m_targets.end()) {
                target = it->second;
            }
        }
        if (target != nullptr) {
            target->onNotify(p.code, p.value);
            ++delivered;
        }
    }
    return delivered;
}

std::size_t NotifyQueue::waitAndPump(std::chrono::milliseconds timeout) {
    m_event.waitReadable(timeout);
    return pump();
}

} // namespace tavrin
