// The host thread of one port in this process: the heartbeat of whichever of the process's
// sharers owns the port, and the readiness of the others to take the port over when the
// owner leaves or dies. One thread serves every sharer of the port in the process, so that
// 45 controls on one port wake once per period instead of 45 times; the beat's rules are
// those of one sharer per record, with the first member standing for the process.
#ifndef TAVRIN_PORTSHARE_HOSTTHREAD_H
#define TAVRIN_PORTSHARE_HOSTTHREAD_H

#include "portshare/Heartbeat.h"
#include "portshare/PortShare.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tavrin {

// 301 ms between beats: slow enough to cost nothing, and a closing owner waits at most one
// period plus 100 ms for its successor's answer.
inline constexpr std::chrono::milliseconds kHostPeriod{301};
inline constexpr std::chrono::milliseconds kHandOverWait =
    kHostPeriod + std::chrono::milliseconds(100);

class HostThread {
public:
    // Starts the thread, watching the port through `share` (an observer: not a sharer).
    explicit HostThread(std::unique_ptr<PortShare> share);
    HostThread(const HostThread&) = delete;
    HostThread& operator=(const HostThread&) = delete;
    ~HostThread(); // stops it

    // A sharer whose descriptor is in place joins; a leaving one is never published as owner
    // once removeMember() has returned. Returns how many members remain; with none the
    // thread ends (stop() still joins it).
    void addMember(ShareIdentity member);
    std::size_t removeMember(ShareIdentity member);

    // Ends the thread and waits for it; returns within one beat's work.
    void stop();

    // Beats done so far; waitForBeat sleeps until more than `seen` have been done or the
    // deadline passes (for callers that watch the hand-over happen).
    std::uint64_t beats() const;
    bool waitForBeat(std::uint64_t seen, std::chrono::steady_clock::time_point deadline) const;

private:
    void run();
    // False when there was no member to beat for.
    bool beat(bool takeOverAllowed);

    std::unique_ptr<PortShare> m_share;
    std::mutex m_membersMutex; // guards the members and the memory, held for a whole beat
    std::vector<ShareIdentity> m_members;
    HeartbeatMemory m_memory;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_beatMutex;
    mutable std::condition_variable m_beatDone;
    std::uint64_t m_beats = 0; // guarded by m_beatMutex
    std::thread m_thread;      // last: starts once everything above is ready
};

} // namespace tavrin

#endif
