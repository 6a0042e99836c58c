#include "portshare/HostThread.h"

#include "portshare/Process.h"

#include <algorithm>

namespace tavrin {

HostThread::HostThread(std::unique_ptr<PortShare> share)
    : m_share(std::move(share)), m_thread([this] { run(); }) {}

HostThread::~HostThread() {
    stop();
}

void HostThread::addMember(ShareIdentity member) {
    std::lock_guard lock(m_membersMutex);
    m_members.push_back(member);
}

std::size_t HostThread::removeMember(ShareIdentity member) {
    // Waits for a beat in progress: after this, no beat can publish the leaving member.
    std::lock_guard lock(m_membersMutex);
    const auto it = std::find_if(m_members.begin(), m_members.end(), [&](const ShareIdentity& m) {
        return m.pid == member.pid && m.handle == member.handle;
    });
    if (it != m_members.end()) {
        m_members.erase(it);
    }
    if (m_members.empty()) {
        // Nobody left to beat for or to hand the port to: the thread answers no more.
        m_stop.store(true, std::memory_order_release);
    }
    return m_members.size();
}

void HostThread::stop() {
    m_stop.store(true, std::memory_order_release);
    // The thread sleeps on the shared exit event; wake it (and, harmlessly, every other
    // process's host thread, which sees no event and sleeps on) to see the flag.
    m_share->hostExit().wakeWaiters();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

std::uint64_t HostThread::beats() const {
    std::lock_guard lock(m_beatMutex);
    return m_beats;
}

bool HostThread::waitForBeat(std::uint64_t seen,
                             std::chrono::steady_clock::time_point deadline) const {
    std::unique_lock lock(m_beatMutex);
    return m_beatDone.wait_until(lock, deadline, [&] { return m_beats > seen; });
}

void HostThread::run() {
    while (!m_stop.load(std::memory_order_acquire)) {
        const auto result =
            m_share->hostExit().wait(std::chrono::steady_clock::now() + kHostPeriod, &m_stop);
        if (result == EventWait::Cancelled || m_stop.load(std::memory_order_acquire)) {
            break;
        }
        const bool asked = result == EventWait::Signalled;
        const bool served = beat(asked);
        if (asked) {
            // Published as owner by now: the closing sharer may close its descriptor. With
            // no member left to publish, the request goes on to another process's thread.
            (served ? m_share->hostCanExit() : m_share->hostExit()).set();
        }
    }
}

bool HostThread::beat(bool takeOverAllowed) {
    bool served = false;
    {
        std::lock_guard members(m_membersMutex);
        auto access = m_share->lockRecord();
        if (!m_members.empty() && access.valid()) {
            const ShareRecord record = access.read();
            // The owner's beat when the owner is one of this process's sharers; otherwise
            // the first one is the process's candidate for a take-over.
            ShareIdentity self = m_members.front();
            for (const ShareIdentity& m : m_members) {
                if (m.pid == record.ownerPid && m.handle == record.ownerHandle) {
                    self = m;
                }
            }
            const bool ownerAlive = processAlive(static_cast<std::int32_t>(record.ownerPid));
            const HeartbeatStep step =
                heartbeatStep(record, self, takeOverAllowed, ownerAlive, m_memory);
            if (step != HeartbeatStep::Leave) {
                access.write(applyHeartbeat(record, self, step, m_memory));
            }
            served = true;
        }
    }
    {
        std::lock_guard lock(m_beatMutex);
        ++m_beats;
    }
    m_beatDone.notify_all();
    return served;
}

} // namespace tavrin
