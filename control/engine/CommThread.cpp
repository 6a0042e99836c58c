#include "engine/CommThread.h"

#include "engine/TimerSlack.h"

#include <algorithm>
#include <optional>
#include <system_error>
#include <utility>

namespace tavrin {

ThreadLauncher defaultThreadLauncher() {
    return [](std::function<void()> body, std::thread& thread) {
        try {
            thread = std::thread(std::move(body));
            return true;
        } catch (const std::system_error&) {
            return false; // out of threads or memory: the refresh reports it as a Result
        }
    };
}

CommThread::CommThread(CommThreadClient& client, ThreadLauncher launcher)
    : m_client(client), m_launcher(launcher ? std::move(launcher) : defaultThreadLauncher()) {}

CommThread::~CommThread() {
    stop();
}

CommThread::Start CommThread::ensureStarted(std::chrono::milliseconds readyWait) {
    std::unique_lock lock(m_mutex);
    if (!m_thread.joinable() && !m_launcher([this] { run(); }, m_thread)) {
        return Start::Failed;
    }
    return m_wake.wait_for(lock, readyWait, [this] { return m_ready; }) ? Start::Ready
                                                                        : Start::NotReady;
}

void CommThread::request(CommRequest request) {
    {
        std::lock_guard lock(m_mutex);
        m_request = request;
    }
    m_wake.notify_all();
}

void CommThread::setAutoPoll(bool active, std::int32_t intervalMs) {
    {
        std::lock_guard lock(m_mutex);
        // Hosts set the same values before every request: only a change is worth waking the
        // thread for, which would otherwise wake for nothing while the request is made.
        if (active == m_autoPoll && intervalMs == m_interval) {
            return;
        }
        m_autoPoll = active;
        m_interval = intervalMs;
    }
    m_wake.notify_all();
}

void CommThread::pause() {
    std::lock_guard lock(m_mutex);
    m_paused = true;
}

void CommThread::resume() {
    {
        std::lock_guard lock(m_mutex);
        // Every request resumes; only one after a pause has anything to wake the thread for.
        if (!std::exchange(m_paused, false)) {
            return;
        }
    }
    m_wake.notify_all();
}

void CommThread::busyReleased() {
    {
        std::lock_guard lock(m_mutex);
        if (!std::exchange(m_pollHeldBack, false)) {
            return;
        }
    }
    m_wake.notify_all();
}

void CommThread::setModemWatch(bool on) {
    {
        std::lock_guard lock(m_mutex);
        m_modemWatch = on;
        m_watchDue = PerfTimer::Clock::now();
    }
    m_wake.notify_all();
}

void CommThread::stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stop.store(true);
    }
    m_wake.notify_all();
    m_stopSignal.raise();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void CommThread::run() {
    useExactTimers();
    std::unique_lock lock(m_mutex);
    m_pollTimer.Arm(m_interval);
    m_pollTimer.Start();
    // Ready only now: requests can be signalled once the thread waits for them.
    m_ready = true;
    m_wake.notify_all();

    while (!m_stop.load()) {
        CommRequest next = std::exchange(m_request, CommRequest::None);
        if (pollEligible() && m_pollTimer.Expired()) {
            if (next == CommRequest::None && !m_client.beginAutoPoll()) {
                // The host has not taken the last completion yet; polling anyway would
                // queue completions faster than it drains them.
                m_pollHeldBack = true;
            } else if (next == CommRequest::None || next == CommRequest::Transaction) {
                // A poll due together with a host request is served as that one request.
                m_pollTimer.Arm(m_interval);
                m_pollTimer.Start();
                next = CommRequest::Transaction;
            }
            // A pending modem request goes first; the poll stays due for the next pass.
        }
        if (watching() && (next != CommRequest::None || PerfTimer::Clock::now() >= m_watchDue)) {
            lock.unlock();
            m_client.watchModem();
            lock.lock();
            m_watchDue = PerfTimer::Clock::now() + kModemWatchPeriod;
        }
        if (next != CommRequest::None) {
            lock.unlock();
            m_client.serve(next, m_stopSignal);
            lock.lock();
            continue;
        }
        if (m_request != CommRequest::None || m_stop.load()) {
            continue; // arrived while the lines were read
        }
        std::optional<PerfTimer::Clock::time_point> until;
        if (pollEligible()) {
            until = m_pollTimer.deadline() + std::chrono::nanoseconds(1);
        }
        if (watching()) {
            until = until ? std::min(*until, m_watchDue) : m_watchDue;
        }
        if (until) {
            m_wake.wait_until(lock, *until);
        } else {
            m_wake.wait(lock);
        }
    }
}

} // namespace tavrin
