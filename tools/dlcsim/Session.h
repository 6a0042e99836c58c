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
#include "Wire.h"

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

    // Bytes the master wrote, read at `now`. With line timing they take their wire time from
    // there (after any traffic still on the line), and the frame log holds those times.
    void receive(std::span<const std::uint8_t> bytes, TimePoint now);
    // Ends a frame whose silence has passed.
    void expire(TimePoint now);
    // The next time something is due: the end of a frame's silence or a byte to send.
    std::optional<TimePoint> nextDeadline() const;
    // The reply (and echo) bytes due by `now`; the caller writes them at once.
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
    // With line timing: when a received character was whole, and the quiet line before it.
    struct CharacterStart {
        TimePoint end;
        std::optional<Clock::duration> silence;
    };

    void handle(std::vector<ReceivedFrame>& frames);
    void answer(const ReceivedFrame& frame, Outcome outcome, const std::string& note);
    void logReceived(const ReceivedFrame& frame, const std::string& verdict);
    // " [short silence X ms]" when the master began the frame too soon after the line's last
    // traffic (RTU with line timing only), else empty.
    std::string silenceNote(const ReceivedFrame& frame);
    TimePoint lineBegin(TimePoint firstWhole) const;
    TimePoint dueOf(const Pending& p, std::size_t i) const;
    void takeFrom(std::deque<Pending>& queue, TimePoint now, std::vector<std::uint8_t>& out,
                  bool replies);

    Bus m_bus;
    std::unique_ptr<SlaveFraming> m_framing;
    Faults m_faults;
    FrameLog* m_log;
    bool m_lineTiming;
    bool m_echo; // the adapter hands the master every byte it sends
    bool m_rtu;
    Clock::duration m_character;
    Clock::duration m_turnaround; // also the silence a master must keep before a request
    Wire m_wire;                  // line timing only
    std::deque<CharacterStart> m_starts;
    std::deque<Pending> m_queue;
    std::deque<Pending> m_echoes;
    TimePoint m_lineFreeAt{}; // without line timing: when the last scheduled reply is out
    Counters m_counters;
    std::vector<ReceivedFrame> m_frames; // reused between calls
};

} // namespace dlcsim
