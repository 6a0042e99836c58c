#include "portshare/HostThread.h"

#include "portshare/Process.h"

namespace tavrin {

HostThread::HostThread(PortShare& share, ShareIdentity self)
    : m_share(share), m_self(self), m_thread([this] { run(); }) {}

HostThread::~HostThread() {
    stop();
}

void HostThread::stop() {
    m_stop.store(true, std::memory_order_release);
    // The thread sleeps on the shared exit event; wake it (and, harmlessly, every other
    // sharer's host thread, which sees no event and sleeps on) to see the flag.
    m_share.hostExit().wakeWaiters();
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
            m_share.hostExit().wait(std::chrono::steady_clock::now() + kHostPeriod, &m_stop);
        if (result == EventWait::Cancelled || m_stop.load(std::memory_order_acquire)) {
            break;
        }
        const bool asked = result == EventWait::Signalled;
        beat(asked);
        if (asked) {
            // Published as owner by now: the closing sharer may close its descriptor.
            m_share.hostCanExit().set();
        }
    }
}

void HostThread::beat(bool takeOverAllowed) {
    {
        auto access = m_share.lockRecord();
        if (access.valid()) {
            const ShareRecord record = access.read();
            const bool ownerAlive = processAlive(static_cast<std::int32_t>(record.ownerPid));
            const HeartbeatStep step =
                heartbeatStep(record, m_self, takeOverAllowed, ownerAlive, m_memory);
            if (step != HeartbeatStep::Leave) {
                if (step == HeartbeatStep::TakeOver) {
                    allowDescriptorSharing();
                }
                access.write(applyHeartbeat(record, m_self, step, m_memory));
            }
        }
    }
    {
        std::lock_guard lock(m_beatMutex);
        ++m_beats;
    }
    m_beatDone.notify_all();
}

} // namespace tavrin
