#include "portshare/SharedEvent.h"

#include "portshare/Futex.h"

namespace tavrin {
namespace {

// Bit 0 is the state; the bits above count wake-ups, so that a wake-up between a waiter's
// last check and its sleep changes the word and the sleep returns at once instead of being
// lost.
constexpr std::uint32_t kSignalled = 1;
constexpr std::uint32_t kWakeStep = 2;

} // namespace

SharedEvent::SharedEvent(Key, SharedMapping mapping, EventReset reset)
    : m_mapping(std::move(mapping)), m_reset(reset) {}

std::unique_ptr<SharedEvent> SharedEvent::open(const std::string& name, EventReset reset) {
    // A zero-filled object is a clear event: nothing to initialise, so creator and openers
    // need not wait for each other.
    auto object = openSharedObject(name, sizeof(std::uint32_t));
    if (!object) {
        return nullptr;
    }
    return std::make_unique<SharedEvent>(Key{}, std::move(object->mapping), reset);
}

std::uint32_t* SharedEvent::word() const {
    return reinterpret_cast<std::uint32_t*>(m_mapping.bytes().data());
}

void SharedEvent::set() {
    std::atomic_ref<std::uint32_t>(*word()).fetch_or(kSignalled, std::memory_order_release);
    // Every waiter wakes and competes; for an auto-reset event one wins and the rest sleep
    // again. Waking only one could pick a waiter that is leaving (cancelled) and strand the
    // event with everybody else asleep.
    futexWakeAll(word());
}

void SharedEvent::reset() {
    std::atomic_ref<std::uint32_t>(*word()).fetch_and(~kSignalled, std::memory_order_relaxed);
}

bool SharedEvent::isSet() const {
    return (std::atomic_ref<std::uint32_t>(*word()).load(std::memory_order_acquire) & kSignalled) !=
           0;
}

void SharedEvent::wakeWaiters() {
    std::atomic_ref<std::uint32_t>(*word()).fetch_add(kWakeStep, std::memory_order_release);
    futexWakeAll(word());
}

EventWait SharedEvent::wait(std::chrono::steady_clock::time_point deadline,
                            const std::atomic<bool>* cancel) {
    std::atomic_ref<std::uint32_t> state(*word());
    for (;;) {
        std::uint32_t seen = state.load(std::memory_order_acquire);
        while ((seen & kSignalled) != 0) {
            if (m_reset == EventReset::Manual) {
                return EventWait::Signalled;
            }
            if (state.compare_exchange_weak(seen, seen & ~kSignalled, std::memory_order_acquire)) {
                return EventWait::Signalled;
            }
        }
        if (cancel != nullptr && cancel->load(std::memory_order_acquire)) {
            return EventWait::Cancelled;
        }
        if (futexWaitUntil(word(), seen, deadline) == FutexWait::TimedOut) {
            // One last look: a set() just before the deadline still counts.
            seen = state.load(std::memory_order_acquire);
            if ((seen & kSignalled) == 0) {
                return EventWait::TimedOut;
            }
        }
    }
}

} // namespace tavrin
