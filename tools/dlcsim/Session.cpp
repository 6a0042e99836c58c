#include "Session.h"

#include <algorithm>

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

} // namespace

std::string summaryLine(const Counters& c) {
    return "dlcsim: frames received " + std::to_string(c.received) + ", answered " +
           std::to_string(c.answered) + ", broadcasts " + std::to_string(c.broadcasts) +
           ", bad frames " + std::to_string(c.bad);
}

Session::Session(const Config& config, TimePoint start, FrameLog* log)
    : m_bus(config, start), m_framing(makeFraming(config.framing, config.line)),
      m_faults(config.faults, config.seed, config.framing), m_log(log),
      m_lineTiming(config.lineTiming),
      m_character(std::chrono::duration_cast<Clock::duration>(characterTime(config.line))),
      m_turnaround(std::chrono::duration_cast<Clock::duration>(frameSilence(config.line))) {}

void Session::receive(std::span<const std::uint8_t> bytes, TimePoint now) {
    m_framing->receive(bytes, now, m_frames);
    handle(m_frames);
}

void Session::expire(TimePoint now) {
    m_framing->expire(now, m_frames);
    handle(m_frames);
}

void Session::handle(std::vector<ReceivedFrame>& frames) {
    for (ReceivedFrame& frame : frames) {
        ++m_counters.received;
        if (frame.status != FrameStatus::Good) {
            ++m_counters.bad;
            if (m_log != nullptr) {
                m_log->write(frame.first, frame.last, Direction::Rx, frame.raw,
                             badVerdict(frame.status, frame.raw.front() == ':'));
            }
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
        answer(frame, std::move(outcome));
    }
    frames.clear();
}

void Session::answer(const ReceivedFrame& frame, Outcome outcome) {
    std::string rxVerdict = outcome.verdict;
    if (outcome.reply.empty()) {
        if (m_log != nullptr) {
            m_log->write(frame.first, frame.last, Direction::Rx, frame.raw, rxVerdict);
        }
        return;
    }
    FaultDecision fault = m_faults.decide(outcome.cell);
    std::string txVerdict = "reply cell " + std::to_string(outcome.cell);
    if (fault.drop) {
        rxVerdict += " [fault drop]";
        if (m_log != nullptr) {
            m_log->write(frame.first, frame.last, Direction::Rx, frame.raw, rxVerdict);
        }
        return;
    }
    if (m_log != nullptr) {
        m_log->write(frame.first, frame.last, Direction::Rx, frame.raw, rxVerdict);
    }
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
        // The reply's first character leaves after the turnaround and is whole one
        // character time later; the line must also have been quiet since our last reply.
        const TimePoint quietFrom = std::max(requested, m_lineFreeAt);
        p.firstDue = quietFrom + m_turnaround + m_character;
        m_lineFreeAt = p.firstDue + m_character * static_cast<long>(bytes.size() - 1);
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
    if (!m_queue.empty()) {
        const Pending& p = m_queue.front();
        const TimePoint due = dueOf(p, p.sent);
        next = next ? std::min(*next, due) : due;
    }
    return next;
}

std::vector<std::uint8_t> Session::takeDue(TimePoint now) {
    std::vector<std::uint8_t> out;
    while (!m_queue.empty()) {
        Pending& p = m_queue.front();
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
        ++m_counters.answered;
        if (m_log != nullptr) {
            m_log->write(p.firstSent, p.lastSent, Direction::Tx, p.bytes, p.verdict);
        }
        m_queue.pop_front();
    }
    return out;
}

} // namespace dlcsim
