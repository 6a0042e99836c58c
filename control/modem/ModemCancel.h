// The host's ModemCancel: a flag the next answer wait consumes, with a descriptor that is
// readable while it is set, so that a wait sleeping on the line wakes at once.
#pragma once

#include "engine/EventFd.h"

#include <atomic>
#include <optional>

namespace tavrin::modem {

class ModemCancel {
public:
    ModemCancel() : m_event(EventFd::create()) {}

    // Any thread.
    void raise() {
        m_raised.store(true);
        if (m_event) {
            m_event->signal();
        }
    }

    // True when it was raised since the last consume; clears it. The descriptor is drained
    // first: a raise that lands between the two leaves the flag set, never a descriptor
    // that is readable with no flag behind it for longer than one spurious wake.
    bool consume() {
        if (m_event) {
            m_event->drain();
        }
        return m_raised.exchange(false);
    }

    // -1 without a descriptor: waits then see the flag when their read bound ends.
    int fd() const { return m_event ? m_event->fd() : -1; }

private:
    std::atomic<bool> m_raised{false};
    std::optional<EventFd> m_event;
};

} // namespace tavrin::modem
