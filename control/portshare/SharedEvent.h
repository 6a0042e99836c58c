// An event every process of the machine finds by name: set, reset, and wait with a deadline.
// A manual-reset event stays set and releases every waiter; an auto-reset event releases one
// waiter and is clear again.
//
// Built on one futex word rather than a process-shared condition variable: a waiter killed
// inside pthread_cond_wait leaves that variable's internal waiter counts raised for good, and
// later signallers can then block forever. A dead futex waiter leaves nothing behind.
#ifndef TAVRIN_PORTSHARE_SHAREDEVENT_H
#define TAVRIN_PORTSHARE_SHAREDEVENT_H

#include "portshare/SharedMemory.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <string>

namespace tavrin {

enum class EventReset { Manual, Auto };
enum class EventWait { Signalled, TimedOut, Cancelled };

class SharedEvent {
public:
    // Opens or creates (clear) the event. Every opener of a name must pass the same reset kind.
    static std::unique_ptr<SharedEvent> open(const std::string& name, EventReset reset);

    void set();
    void reset();
    bool isSet() const;

    // Waits until the event is set or the deadline passes. `cancel`, when given, is checked
    // before every sleep; whoever sets it calls wakeWaiters() afterwards.
    EventWait wait(std::chrono::steady_clock::time_point deadline,
                   const std::atomic<bool>* cancel = nullptr);

    // Makes every sleeping waiter re-check (its cancel flag) without setting the event.
    void wakeWaiters();

private:
    struct Key {
        explicit Key() = default;
    };

public:
    SharedEvent(Key, SharedMapping mapping, EventReset reset);

private:
    std::uint32_t* word() const;

    SharedMapping m_mapping;
    EventReset m_reset;
};

} // namespace tavrin

#endif
