#include "Session.h"

#include <algorithm>
#include <cstdio>

namespace dlcsim {
namespace {

const char* badVerdict(FrameStatus status, bool ascii) {
    switch (status) {
    case FrameStatus::BadChecksum:
        return ascii ? "bad lrc" : "bad crc";
    case FrameStatus::Cut:
        return "cut frame";
    case FrameStatus::Oversized:
        return "oversized frame";
    case FrameStatus::BadFraming:
        return "bad framing";
    case FrameStatus::Noise:
        return "noise";
    case FrameStatus::Good:
        break;
    }
    return "good";
}

// Received characters remembered for the frame in progress; more only when a master streams
// bytes with no silence at all, and then the oldest go.
constexpr std::size_t kMaxCharacterStarts = 600;

} // namespace

std::string summaryLine(const Counters& c) {
    return "dlcsim: frames received " + std::to_string(c.received) + ", answered " +
           std::to_string(c.answered) + ", broadcasts " + std::to_string(c.broadcasts) +
           ", bad frames " + std::to_string(c.bad);
}

Session::Session(const Config& config, TimePoint start, FrameLog* log)
    : m_bus(config, start), m_framing(makeFraming(config.framing, config.line)),
      m_faults(config.faults, config.seed, config.framing), m_log(log),
      m_lineTiming(config.lineTiming), m_echo(config.echo), m_rtu(config.framing == Framing::Rtu),
      m_character(std::chrono::duration_cast<Clock::duration>(characterTime(config.line))),
      m_turnaround(std::chrono::duration_cast<Clock::duration>(frameSilence(config.line))),
      m_wire(m_character) {}

void Session::receive(std::span<const std::uint8_t> bytes, TimePoint now) {
    if (bytes.empty()) {
        return;
    }
    TimePoint firstWhole = now;
    if (m_lineTiming) {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const Wire::Character c = m_wire.carry(now);
            firstWhole = i == 0 ? c.end : firstWhole;
            if (m_starts.size() == kMaxCharacterStarts) {
                m_starts.pop_front();
            }
            m_starts.push_back({c.end, c.silence});
            m_framing->receive(bytes.subspan(i, 1), c.end, m_frames);
        }
    } else {
        m_framing->receive(bytes, now, m_frames);
    }
    if (m_echo) {
        // Each character comes back as it is whole, before any reply to it.
        Pending p;
        p.bytes.assign(bytes.begin(), bytes.end());
        p.firstDue = firstWhole;
        m_echoes.push_back(std::move(p));
    }
    handle(m_frames);
}

void Session::expire(TimePoint now) {
    m_framing->expire(now, m_frames);
    handle(m_frames);
}

TimePoint Session::lineBegin(TimePoint firstWhole) const {
    return m_lineTiming ? firstWhole - m_character : firstWhole;
}

std::string Session::silenceNote(const ReceivedFrame& frame) {
    while (!m_starts.empty() && m_starts.front().end < frame.first) {
        m_starts.pop_front();
    }
    std::optional<Clock::duration> silence;
    if (!m_starts.empty() && m_starts.front().end == frame.first) {
        silence = m_starts.front().silence;
    }
    while (!m_starts.empty() && m_starts.front().end <= frame.last) {
        m_starts.pop_front();
    }
    if (!m_rtu || !silence || *silence >= m_turnaround) {
        return {};
    }
    char text[48];
    std::snprintf(text, sizeof text, " [short silence %.3f ms]",
                  std::chrono::duration<double, std::milli>(*silence).count());
    return text;
}

void Session::logReceived(const ReceivedFrame& frame, const std::string& verdict) {
    if (m_log != nullptr) {
        m_log->write(lineBegin(frame.first), frame.last, Direction::Rx, frame.raw, verdict);
    }
}

void Session::handle(std::vector<ReceivedFrame>& frames) {
    for (ReceivedFrame& frame : frames) {
        ++m_counters.received;
        const std::string note = m_lineTiming ? silenceNote(frame) : std::string();
        if (frame.status != FrameStatus::Good) {
            ++m_counters.bad;
            logReceived(frame, badVerdict(frame.status, frame.raw.front() == ':') + note);
            continue;
        }
        // The bus acts at the last byte's time: a synchronisation latches that instant.
        Outcome outcome = m_bus.handle(frame.message, frame.last);
        if (outcome.malformed) {
            ++m_counters.bad;
        }
        if (outcome.broadcast && !outcome.malformed) {
            ++m_counters.broadcasts;
        }
        answer(frame, std::move(outcome), note);
    }
    frames.clear();
}

void Session::answer(const ReceivedFrame& frame, Outcome outcome, const std::string& note) {
    std::string rxVerdict = outcome.verdict + note;
    if (outcome.reply.empty()) {
        logReceived(frame, rxVerdict);
        return;
    }
    FaultDecision fault = m_faults.decide(outcome.cell);
    std::string txVerdict = "reply cell " + std::to_string(outcome.cell);
    if (fault.drop) {
        logReceived(frame, rxVerdict + " [fault drop]");
        return;
    }
    logReceived(frame, rxVerdict);
    if (fault.exception != 0) {
        outcome.reply.resize(3);
        outcome.reply[1] = static_cast<std::uint8_t>(frame.message[1] | 0x80U);
        outcome.reply[2] = fault.exception;
        txVerdict += " [fault exception " + std::to_string(fault.exception) + "]";
    }
    if (fault.badChecksum) {
        txVerdict += " [fault bad checksum]";
    }
    std::vector<std::uint8_t> bytes = std::move(fault.garbage);
    if (!bytes.empty()) {
        txVerdict += " [fault noise " + std::to_string(bytes.size()) + " bytes]";
    }
    const std::vector<std::uint8_t> framed = m_framing->encode(outcome.reply, fault.badChecksum);
    bytes.insert(bytes.end(), framed.begin(), framed.end());
    if (fault.delay.count() > 0) {
        txVerdict += " [fault delay " + std::to_string(fault.delay.count()) + " ms]";
    }

    Pending p;
    p.verdict = std::move(txVerdict);
    const TimePoint requested = frame.last + fault.delay;
    if (m_lineTiming) {
        // The reply's first character begins the turnaround after the request's last one was
        // whole (and after whatever else the line still carries) and is whole one character
        // time later.
        const TimePoint quietFrom = std::max(requested, m_wire.quietFrom().value_or(requested));
        const TimePoint begin = quietFrom + m_turnaround;
        p.firstDue = begin + m_character;
        m_wire.reserve(begin, static_cast<long>(bytes.size()));
    } else {
        p.firstDue = std::max(requested, m_lineFreeAt);
        m_lineFreeAt = p.firstDue;
    }
    p.bytes = std::move(bytes);
    m_queue.push_back(std::move(p));
}

TimePoint Session::dueOf(const Pending& p, std::size_t i) const {
    return m_lineTiming ? p.firstDue + m_character * static_cast<long>(i) : p.firstDue;
}

std::optional<TimePoint> Session::nextDeadline() const {
    std::optional<TimePoint> next = m_framing->deadline();
    for (const std::deque<Pending>* queue : {&m_echoes, &m_queue}) {
        if (!queue->empty()) {
            const Pending& p = queue->front();
            const TimePoint due = dueOf(p, p.sent);
            next = next ? std::min(*next, due) : due;
        }
    }
    return next;
}

void Session::takeFrom(std::deque<Pending>& queue, TimePoint now, std::vector<std::uint8_t>& out,
                       bool replies) {
    while (!queue.empty()) {
        Pending& p = queue.front();
        while (p.sent < p.bytes.size() && dueOf(p, p.sent) <= now) {
            if (p.sent == 0) {
                p.firstSent = now;
            }
            p.lastSent = now;
            out.push_back(p.bytes[p.sent++]);
        }
        if (p.sent < p.bytes.size()) {
            break;
        }
        // An echo is the adapter's, not traffic of the line: neither logged nor counted.
        if (replies) {
            ++m_counters.answered;
            if (m_lineTiming) {
                m_wire.busyUntil(p.lastSent); // a late wake-up kept the line busy longer
            }
            if (m_log != nullptr) {
                // Bytes sent late go in one burst, but on the wire they still took their time:
                // the frame began at least that long before its last byte was whole.
                const TimePoint first =
                    m_lineTiming
                        ? std::min(lineBegin(p.firstSent),
                                   p.lastSent - m_character * static_cast<long>(p.bytes.size()))
                        : p.firstSent;
                m_log->write(first, p.lastSent, Direction::Tx, p.bytes, p.verdict);
            }
        }
        queue.pop_front();
    }
}

std::vector<std::uint8_t> Session::takeDue(TimePoint now) {
    std::vector<std::uint8_t> out;
    takeFrom(m_echoes, now, out, false);
    takeFrom(m_queue, now, out, true);
    return out;
}

} // namespace dlcsim
