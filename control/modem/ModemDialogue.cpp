#include "modem/ModemDialogue.h"

#include "commport/CommPort.h"
#include "engine/StopSignal.h"
#include "modem/AnswerSearch.h"
#include "tavrin/TavrinEnums.h"

#include <array>
#include <string>

namespace tavrin::modem {
namespace {

using Clock = CommPort::Clock;

// As much as one answer wait reads at a time.
constexpr std::size_t kReadChunk = 80;
// Answer text kept while a modem chatters without ever saying a word we know: enough to
// hold the longest word across the cut.
constexpr std::size_t kTextLimit = 4096;
constexpr std::size_t kTextKept = 64;

std::uint16_t unlessCancelled(std::uint16_t answer, std::uint16_t failure) {
    return answer == MDM_RES_MODEM_OPERATION_CANCELLED ? answer : failure;
}

} // namespace

ModemDialogue::ModemDialogue(CommPort& port, const ModemTimings& timings, ModemCancel& cancel,
                             const StopSignal& stop)
    : m_port(port), m_timings(timings), m_cancel(cancel),
      m_stop(stop), m_wake{cancel.fd(), stop.fd()} {}

std::uint16_t ModemDialogue::dial(const DialCommands& commands) {
    const std::uint16_t result = dialSteps(commands);
    if (result != 0) {
        // Whatever the modem got to (off hook, dialling, a call that came up late), it is
        // put back on hook; the outcome of that is not the dial's.
        hangup();
    }
    return result;
}

std::uint16_t ModemDialogue::dialSteps(const DialCommands& commands) {
    setLines(true);
    m_port.purge(PurgeKind::Receive);
    pause(m_timings.settle);
    // Back to command mode, in case a call is still up.
    if (!send("+++")) {
        return MDM_RES_MODEM_WRITE_ESCAPE_CMD;
    }
    pause(m_timings.settle);
    if (!send("AT")) {
        return MDM_RES_MODEM_WRITE_ATTENTION_CMD;
    }
    if (const auto r = waitFor("OK", m_timings.commandAnswer); r != 0) {
        return unlessCancelled(r, MDM_RES_MODEM_RESP_ATTENTION_CMD);
    }
    if (!commands.initString1.empty()) {
        if (!send(commands.initString1)) {
            return MDM_RES_MODEM_WRITE_INIT1_CMD;
        }
        if (const auto r = waitFor("OK", m_timings.commandAnswer); r != 0) {
            return unlessCancelled(r, MDM_RES_MODEM_RESP_INIT1_CMD);
        }
    }
    if (!commands.initString2.empty()) {
        if (!send(commands.initString2)) {
            return MDM_RES_MODEM_WRITE_INIT2_CMD;
        }
        if (const auto r = waitFor("OK", m_timings.commandAnswer); r != 0) {
            return unlessCancelled(r, MDM_RES_MODEM_RESP_INIT2_CMD);
        }
    }
    if (!send(commands.dialCommand)) {
        return MDM_RES_MODEM_WRITE_DIAL_CMD;
    }
    const std::uint16_t answer = waitFor("CONNECT", std::nullopt);
    switch (answer) {
    case 0:
        pause(m_timings.afterConnect);
        m_port.purge(PurgeKind::TransmitClear);
        return 0;
    case MDM_RES_MODEM_OPERATION_CANCELLED:
    case MDM_RES_MODEM_RESP_NO_CARRIER:
    case MDM_RES_MODEM_RESP_ERROR:
    case MDM_RES_MODEM_RESP_NO_DIAL_TONE:
    case MDM_RES_MODEM_RESP_BUSY:
    case MDM_RES_MODEM_RESP_NO_ANSWER:
    case MDM_RES_MODEM_RESP_UNKNOWN:
        return answer;
    default:
        return MDM_RES_MODEM_WRITE_DIAL_CMD;
    }
}

std::uint16_t ModemDialogue::hangup() {
    setLines(true);
    m_port.purge(PurgeKind::Receive);
    pause(m_timings.settle);
    std::uint16_t result = 0;
    if (!send("+++")) {
        result = MDM_RES_MODEM_WRITE_ESCAPE_CMD;
    } else {
        pause(m_timings.settle);
        result = send("ATH0") ? waitFor("OK", m_timings.hangupAnswer)
                              : static_cast<std::uint16_t>(MDM_RES_MODEM_WRITE_HANGUP_CMD);
    }
    // With &D2 a modem hangs up when DTR drops, whatever became of the commands.
    setLines(false);
    m_port.purge(PurgeKind::Receive);
    return result;
}

bool ModemDialogue::send(std::string_view command) {
    const bool escape = command == "+++";
    if (escape) {
        pause(m_timings.escapeGuard);
    }
    // Whatever arrived before belongs to an earlier command: the answer to the escape
    // (which nobody waits for), a second answer of a modem that answers twice, a late one.
    // Left in place it would be taken for this command's answer.
    m_port.purge(PurgeKind::Receive);
    std::string bytes(command);
    if (!escape) {
        bytes += '\r';
    }
    const auto data = std::as_bytes(std::span(bytes));
    // Bounded by the port's write time-outs; the stop cuts it short.
    const IoResult written = m_port.writeAll(data, Clock::time_point::max(), m_stop.fd());
    if (written.status == IoStatus::HangUp) {
        m_portLost = true;
    }
    if (written.status != IoStatus::Ok || written.bytes != data.size()) {
        m_port.purge(PurgeKind::Transmit);
        return false;
    }
    if (escape) {
        pause(m_timings.escapeGuard);
    }
    return true;
}

std::uint16_t ModemDialogue::waitFor(std::string_view word,
                                     std::optional<std::chrono::milliseconds> limit) {
    const auto deadline = limit ? Clock::now() + *limit : Clock::time_point::max();
    std::string text;
    std::array<std::byte, kReadChunk> buffer{};
    for (;;) {
        // Each read is bounded by the port's read time-outs as well: the loop looks at the
        // flags again at least that often when no descriptor wakes it.
        const IoResult got = m_port.readSome(buffer, deadline, m_wake.fd());
        const bool cancelled = m_cancel.consume();
        if (cancelled || m_stop.raised()) {
            return MDM_RES_MODEM_OPERATION_CANCELLED;
        }
        if (got.bytes > 0) {
            text.append(reinterpret_cast<const char*>(buffer.data()), got.bytes);
            if (const auto answer = searchAnswer(text, word)) {
                return *answer;
            }
            if (text.size() > kTextLimit) {
                text.erase(0, text.size() - kTextKept);
            }
        }
        if (got.status == IoStatus::HangUp || got.status == IoStatus::Failed) {
            // A read that fails at once fails again at once: waiting on would spin, and a
            // wait without limit would never end.
            m_portLost = true;
            return RES_AX_COMM_OPEN;
        }
        // On every pass, not only when a read times out: a modem that chatters without pause
        // has bytes waiting at every read and would hold the wait past its limit for as long
        // as it chatters. (A read cut short by a wake-up whose flag is gone also lands here.)
        if (Clock::now() >= deadline) {
            return TAVRIN_MODEM_RESULT_HANGUP_NO_ANSWER;
        }
    }
}

void ModemDialogue::pause(std::chrono::milliseconds duration) const {
    if (!m_stop.raised()) {
        sleepUnlessSignalled(duration, m_stop.fd());
    }
}

void ModemDialogue::setLines(bool on) {
    // A line without modem lines refuses these; nothing to do about that here.
    m_port.setModemLine(ModemLine::Dtr, on);
    m_port.setModemLine(ModemLine::Rts, on);
}

} // namespace tavrin::modem
