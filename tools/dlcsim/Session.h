// One simulated bus on one line: framing, the cells, faults, reply timing and the frame log.
// Pure logic driven by the event loop with bytes and times, so tests can run it on a
// made-up clock.
#pragma once

#include "Bus.h"
#include "Clock.h"
#include "Config.h"
#include "Faults.h"
#include "FrameLog.h"
#include "LineTiming.h"
#include "SlaveFraming.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace dlcsim {

struct Counters {
    std::uint64_t received = 0; // every frame seen on the line, good or bad
    std::uint64_t answered = 0; // replies sent
    std::uint64_t broadcasts = 0;
    std::uint64_t bad = 0; // checksum, cut, oversized, noise, malformed
};

std::string summaryLine(const Counters& counters);

class Session {
public:
    // `log` may be null; it must outlive the session.
    Session(const Config& config, TimePoint start, FrameLog* log);

    void receive(std::span<const std::uint8_t> bytes, TimePoint now);
    // Ends a frame whose silence has passed.
    void expire(TimePoint now);
    // The next time something is due: the end of a frame's silence or a byte to send.
    std::optional<TimePoint> nextDeadline() const;
    // The reply bytes due by `now`; the caller writes them at once.
    std::vector<std::uint8_t> takeDue(TimePoint now);

    const Counters& counters() const { return m_counters; }
    Bus& bus() { return m_bus; }

private:
    struct Pending {
        std::vector<std::uint8_t> bytes;
        TimePoint firstDue{};
        std::size_t sent = 0;
        TimePoint firstSent{};
        TimePoint lastSent{};
        std::string verdict;
    };

    void handle(std::vector<ReceivedFrame>& frames);
    void answer(const ReceivedFrame& frame, Outcome outcome);
    TimePoint dueOf(const Pending& p, std::size_t i) const;

    Bus m_bus;
    std::unique_ptr<SlaveFraming> m_framing;
    Faults m_faults;
    FrameLog* m_log;
    bool m_lineTiming;
    Clock::duration m_character;
    Clock::duration m_turnaround;
    std::deque<Pending> m_queue;
    TimePoint m_lineFreeAt{}; // when the last scheduled reply's last byte is out
    Counters m_counters;
    std::vector<ReceivedFrame> m_frames; // reused between calls
};

} // namespace dlcsim
