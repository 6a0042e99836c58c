// A counter descriptor that becomes readable when signalled: the wake-up a host's event
// loop watches for pending notifications.
#pragma once

#include <chrono>
#include <optional>

namespace tavrin {

class EventFd {
public:
    static std::optional<EventFd> create();

    EventFd(EventFd&& other) noexcept;
    EventFd& operator=(EventFd&& other) noexcept;
    EventFd(const EventFd&) = delete;
    EventFd& operator=(const EventFd&) = delete;
    ~EventFd();

    int fd() const { return m_fd; }
    void signal() const;
    // Resets the counter so the descriptor stops being readable.
    void drain() const;
    // Sleeps until the descriptor is readable or the timeout passes; true when readable.
    bool waitReadable(std::chrono::milliseconds timeout) const;

private:
    explicit EventFd(int fd) : m_fd(fd) {}

    int m_fd = -1;
};

} // namespace tavrin
