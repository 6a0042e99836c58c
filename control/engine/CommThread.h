// The communications thread of one control: started on the first asynchronous request,
// it sleeps until a request, the auto-poll deadline or the stop arrives, and hands each
// request to its client (the control), which runs it through the port and posts the
// completion to the host thread.
#pragma once

#include "engine/PerfTimer.h"
#include "engine/StopSignal.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace tavrin {

enum class CommRequest : std::uint8_t { None, Transaction, Dial, Hangup };

class CommThreadClient {
public:
    // Claims the control's Busy for an auto-poll; false while it is already taken, i.e.
    // while the host has not yet taken the previous completion.
    virtual bool beginAutoPoll() = 0;
    // Runs on the communications thread: serves one request and posts its completion. A
    // transaction sleeping on the line wakes when `stop` is raised.
    virtual void serve(CommRequest request, const StopSignal& stop) = 0;
    // Runs on the communications thread while the modem watch is on: reads the modem's
    // lines and posts a change.
    virtual void watchModem() = 0;

protected:
    ~CommThreadClient() = default;
};

// Starts `body` on a new thread stored in `thread`; false when no thread can be had.
using ThreadLauncher = std::function<bool(std::function<void()> body, std::thread& thread)>;
ThreadLauncher defaultThreadLauncher();

class CommThread {
public:
    enum class Start : std::uint8_t { Ready, Failed, NotReady };

    CommThread(CommThreadClient& client, ThreadLauncher launcher);
    CommThread(const CommThread&) = delete;
    CommThread& operator=(const CommThread&) = delete;
    ~CommThread();

    // Starts the thread unless it runs and waits up to `readyWait` for it to be ready to
    // take requests.
    Start ensureStarted(std::chrono::milliseconds readyWait);

    // The caller has claimed Busy for it.
    void request(CommRequest request);

    // Polls run every `intervalMs` while `active`; a new interval applies from the next poll.
    void setAutoPoll(bool active, std::int32_t intervalMs);

    // The Disconnect pause: no auto-polls until resumed (accepted requests are still served).
    void pause();
    void resume();

    // The host took a completion and released Busy: a poll held back by it may run now.
    void busyReleased();

    // While a modem call is up: the lines are read before every request and at least every
    // kModemWatchPeriod (not while paused).
    void setModemWatch(bool on);
    // Linux has no descriptor that turns readable when a modem line changes (TIOCMIWAIT
    // blocks, and only a signal could end it), so the lines are sampled, and only during a
    // call. Every request sees them fresh; between requests a lost carrier is noticed within
    // this period, far below any reply time-out, at 20 wake-ups a second.
    static constexpr std::chrono::milliseconds kModemWatchPeriod{50};

    // Raises the stop signal (a transaction in progress wakes and ends) and waits for the
    // thread.
    void stop();

    const StopSignal& stopSignal() const { return m_stopSignal; }

private:
    void run();
    bool pollEligible() const { return m_autoPoll && !m_paused && !m_pollHeldBack; }
    bool watching() const { return m_modemWatch && !m_paused; }

    CommThreadClient& m_client;
    ThreadLauncher m_launcher;

    std::mutex m_mutex; // guards the fields below up to m_thread
    std::condition_variable m_wake;
    bool m_ready = false;
    bool m_paused = false;
    bool m_autoPoll = false;
    bool m_pollHeldBack = false;
    bool m_modemWatch = false;
    PerfTimer::Clock::time_point m_watchDue{};
    std::int32_t m_interval = 50;
    CommRequest m_request = CommRequest::None;
    PerfTimer m_pollTimer;
    std::thread m_thread;

    std::atomic<bool> m_stop{false}; // the loop's flag; m_stopSignal wakes the port
    StopSignal m_stopSignal;
};

} // namespace tavrin
