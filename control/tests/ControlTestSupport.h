// Fixtures for the control's tests: a scripted port in place of the serial line and a host
// that records what the control tells it.
#pragma once

#include "automation/Variant.h"
#include "ctrl/CTAVRINCtrl.h"
#include "ctrl/DispIds.h"
#include "engine/NotifyQueue.h"
#include "engine/TransactionPort.h"
#include "tavrin/TavrinEnums.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <poll.h>
#include <vector>

namespace tavrin::test {

using automation::InvokeKind;
using automation::Variant;
using namespace std::chrono_literals;

// What the scripted port was asked and what it answers. Shared between the test and the
// port the control owns.
struct PortScript {
    std::mutex mutex;
    std::condition_variable changed;

    bool openable = true;
    std::uint16_t result = 0;                            // what each transaction returns
    bool holdTransactions = false;                       // a transaction waits until released
    bool waitForStop = false;                            // a transaction waits for the stop flag
    std::function<void(DataArea&, std::int16_t&)> reply; // a good reply's effect
    std::uint16_t dialResult = 0;                        // what each dial returns
    std::uint16_t hangupResult = 0;                      // what each hang-up returns
    bool holdModem = false;      // a modem procedure waits until cancelled or stopped
    std::uint8_t modemLines = 0; // what the modem status reads

    int opens = 0;
    int transactionsStarted = 0;
    int transactionsEnded = 0;
    int disconnects = 0;
    std::vector<std::uint16_t> returned;
    std::vector<TransactionRequest> requests;
    std::vector<PortSetup> setups;
    std::vector<modem::DialCommands> dials;
    int hangups = 0;
    int statusReads = 0;

    void release() {
        std::lock_guard lock(mutex);
        holdTransactions = false;
        changed.notify_all();
    }

    // Waits (with a deadline) until `done` holds under the lock.
    template <class Pred>
    bool waitUntil(Pred done, std::chrono::milliseconds timeout = 5s) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, timeout, done);
    }
};

class ScriptedPort final : public TransactionPort {
public:
    explicit ScriptedPort(std::shared_ptr<PortScript> script) : m_script(std::move(script)) {}

    void lock() override { m_lock.lock(); }
    void unlock() override { m_lock.unlock(); }

    bool ensurePortOpen(const PortSetup& setup) override {
        std::lock_guard lock(m_script->mutex);
        m_script->setups.push_back(setup);
        ++m_script->opens;
        return m_script->openable;
    }

    std::uint16_t runTransaction(const TransactionRequest& request, DataArea& data,
                                 std::int16_t& memQty, const StopSignal& stop) override {
        std::unique_lock lock(m_script->mutex);
        m_script->requests.push_back(request);
        ++m_script->transactionsStarted;
        m_script->changed.notify_all();
        std::uint16_t result = m_script->result;
        if (m_script->waitForStop) {
            lock.unlock();
            pollfd raised{stop.fd(), POLLIN, 0};
            while (::poll(&raised, 1, -1) < 0) {
            }
            lock.lock();
            result = RES_AX_TERMINATION_REQUESTED;
        }
        m_script->changed.wait(lock, [&] { return !m_script->holdTransactions; });
        if (m_script->reply && result == 0) {
            m_script->reply(data, memQty);
        }
        m_script->returned.push_back(result);
        ++m_script->transactionsEnded;
        m_script->changed.notify_all();
        return result;
    }

    std::uint16_t dial(const modem::DialCommands& commands, modem::ModemCancel& cancel,
                       const StopSignal& stop) override {
        std::unique_lock lock(m_script->mutex);
        m_script->dials.push_back(commands);
        m_script->changed.notify_all();
        const bool cancelled = holdModem(lock, cancel, stop);
        return cancelled ? static_cast<std::uint16_t>(MDM_RES_MODEM_OPERATION_CANCELLED)
                         : m_script->dialResult;
    }

    std::uint16_t hangup(modem::ModemCancel& cancel, const StopSignal& stop) override {
        std::unique_lock lock(m_script->mutex);
        ++m_script->hangups;
        m_script->changed.notify_all();
        const bool cancelled = holdModem(lock, cancel, stop);
        return cancelled ? static_cast<std::uint16_t>(MDM_RES_MODEM_OPERATION_CANCELLED)
                         : m_script->hangupResult;
    }

    std::uint8_t modemStatus() override {
        std::lock_guard lock(m_script->mutex);
        ++m_script->statusReads;
        m_script->changed.notify_all();
        return m_script->modemLines;
    }

    void disconnect() override {
        std::lock_guard lock(m_script->mutex);
        ++m_script->disconnects;
    }

private:
    // As an answer wait: consumes a cancel, and while the script holds modem procedures
    // sleeps until a cancel or the stop. True when cancelled or stopped.
    bool holdModem(std::unique_lock<std::mutex>& lock, modem::ModemCancel& cancel,
                   const StopSignal& stop) {
        if (m_script->holdModem) {
            lock.unlock();
            pollfd fds[2] = {{cancel.fd(), POLLIN, 0}, {stop.fd(), POLLIN, 0}};
            while (::poll(fds, 2, -1) < 0) {
            }
            lock.lock();
        }
        const bool cancelled = cancel.consume();
        return cancelled || stop.raised();
    }

    std::shared_ptr<PortScript> m_script;
    std::recursive_mutex m_lock;
};

// A host: records events and property-change notifications, answers the design-mode
// question, and can run a hook inside an event.
class Host final : public automation::EventSink, public automation::ContainerSite {
public:
    struct Event {
        automation::DispId id;
        std::int32_t value;
    };

    std::vector<Event> events;
    std::vector<automation::DispId> changes;
    bool runMode = true;
    std::function<void(const Event&)> onEventHook;

    void onEvent(automation::DispId id, std::span<const Variant> args) override {
        Event e{id, args.empty() ? 0 : args[0].asI2()};
        events.push_back(e);
        if (onEventHook) {
            onEventHook(e);
        }
    }
    bool userMode() const override { return runMode; }
    void onPropertyChanged(automation::DispId id) override { changes.push_back(id); }

    std::size_t count(automation::DispId id) const {
        std::size_t n = 0;
        for (const Event& e : events) {
            n += e.id == id ? 1 : 0;
        }
        return n;
    }
};

// A control on a scripted port, reporting to `host`.
inline std::unique_ptr<CTAVRINCtrl> scriptedControl(std::shared_ptr<PortScript> script, Host& host,
                                                    ThreadLauncher launcher = {}) {
    ControlEnvironment env;
    env.makePort = [script = std::move(script)] { return std::make_unique<ScriptedPort>(script); };
    env.launchThread = std::move(launcher);
    auto control = CTAVRINCtrl::create(std::move(env));
    control->advise(&host);
    control->setSite(&host);
    return control;
}

// Pumps this thread's queue until `done` holds or the deadline passes.
template <class Pred>
bool pumpUntil(Pred done, std::chrono::milliseconds timeout = 5s) {
    const auto queue = NotifyQueue::forCurrentThread();
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left <= 0ms) {
            return false;
        }
        queue->waitAndPump(left);
    }
    return true;
}

inline Variant get(automation::Control& c, automation::DispId id) {
    Variant out;
    const automation::Status s = c.invoke(id, InvokeKind::PropertyGet, {}, out);
    EXPECT_TRUE(s) << "get " << id << ": " << (s ? "" : s.error().message);
    return out;
}

inline automation::Status put(automation::Control& c, automation::DispId id, Variant value) {
    Variant ignored;
    return c.invoke(id, InvokeKind::PropertyPut, std::span(&value, 1), ignored);
}

inline automation::Status call(automation::Control& c, automation::DispId id,
                               std::vector<Variant> args = {}, Variant* result = nullptr) {
    Variant ignored;
    return c.invoke(id, InvokeKind::Method, args, result != nullptr ? *result : ignored);
}

} // namespace tavrin::test
