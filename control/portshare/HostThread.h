// The thread each sharer of a port runs while it has the device: the owner's heartbeat, and
// a guest's readiness to take the port over when the owner leaves or dies.
#ifndef TAVRIN_PORTSHARE_HOSTTHREAD_H
#define TAVRIN_PORTSHARE_HOSTTHREAD_H

#include "portshare/Heartbeat.h"
#include "portshare/PortShare.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace tavrin {

// 301 ms between beats: slow enough to cost nothing, and a closing owner waits at most one
// period plus 100 ms for its successor's answer.
inline constexpr std::chrono::milliseconds kHostPeriod{301};
inline constexpr std::chrono::milliseconds kHandOverWait =
    kHostPeriod + std::chrono::milliseconds(100);

class HostThread {
public:
    // Starts the thread. `share` must outlive it.
    HostThread(PortShare& share, ShareIdentity self);
    HostThread(const HostThread&) = delete;
    HostThread& operator=(const HostThread&) = delete;
    ~HostThread(); // stops it

    // Ends the thread and waits for it; returns within one beat's work.
    void stop();

    // Beats done so far; waitForBeat sleeps until more than `seen` have been done or the
    // deadline passes (for callers that watch the hand-over happen).
    std::uint64_t beats() const;
    bool waitForBeat(std::uint64_t seen, std::chrono::steady_clock::time_point deadline) const;

private:
    void run();
    void beat(bool takeOverAllowed);

    PortShare& m_share;
    const ShareIdentity m_self;
    HeartbeatMemory m_memory; // host thread only
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_beatMutex;
    mutable std::condition_variable m_beatDone;
    std::uint64_t m_beats = 0; // guarded by m_beatMutex
    std::thread m_thread;      // last: starts once everything above is ready
};

} // namespace tavrin

#endif
