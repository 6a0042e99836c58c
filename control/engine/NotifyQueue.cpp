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

void NotifyQueue::post(NotifyHandle target, NotifyCode code, std::int32_t value) {
    bool first = false;
    {
        std::lock_guard lock(m_mutex);
        // Only the first of a batch signals: the host pumps everything pending at once.
        first = m_pending.empty();
        m_pending.push_back({target, code, value});
    }
    // After the lock: the host wakes to pump at once instead of waiting for this thread to let
    // go of it. A pump between the push and the signal takes the post already; the signal then
    // only wakes the host once more to find nothing.
    if (first) {
        m_event.signal();
    }
}

std::size_t NotifyQueue::pump() {
    std::vector<Posted> batch;
    {
        std::lock_guard lock(m_mutex);
        // Drained under the lock, so a post after the swap signals again.
        m_event.drain();
        batch.swap(m_pending);
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
