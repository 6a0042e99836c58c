#include "Modem.h"

#include "Session.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace dlcsim {
namespace {

using namespace std::chrono_literals;

// Bytes of a line in trouble: none of them is a letter of an answer word.
constexpr std::array<std::uint8_t, 6> kNoise{0x00, 0xFF, 0x7F, 0x1B, 0x8A, 0x3F};
// A split answer leaves a byte at a time, this far apart: further apart than a master
// takes to read what has come, so it sees the word in pieces.
constexpr auto kSplitGap = 4ms;
// Longer command lines are refused, as a modem's command buffer is full.
constexpr std::size_t kMaxLine = 255;

std::string printable(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F) {
            out += c;
        } else {
            constexpr char kDigits[] = "0123456789ABCDEF";
            out += "\\x";
            out += kDigits[u >> 4];
            out += kDigits[u & 0x0FU];
        }
    }
    return out;
}

char upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

Modem::Modem(const ModemConfig& config, Session& bus, int baud, LogFn log, LinesFn lines)
    : m_config(config), m_bus(bus), m_baud(baud), m_log(std::move(log)),
      m_linesChanged(std::move(lines)), m_guard(std::chrono::duration_cast<Clock::duration>(
                                            std::chrono::milliseconds(config.guardMs))) {
    if (m_linesChanged) {
        m_linesChanged(m_lines);
    }
}

void Modem::receive(std::span<const std::uint8_t> bytes, TimePoint now) {
    // A deadline that passed while these bytes were on their way came first.
    expire(now);
    for (const std::uint8_t b : bytes) {
        byte(b, now);
    }
}

void Modem::byte(std::uint8_t b, TimePoint now) {
    // "+++" is an escape only after a guard time of silence, with the pluses closer together
    // than the guard time, and followed by another guard time of silence: held back until
    // then, and passed on as data when that fails.
    if (b == '+') {
        const bool first = m_pluses == 0 && now - m_lastByte >= m_guard;
        const bool next = m_pluses > 0 && m_pluses < 3 && now - m_lastPlus < m_guard;
        if (first || next) {
            ++m_pluses;
            m_lastPlus = now;
            m_lastByte = now;
            return;
        }
    }
    releasePluses(now);
    data(b, now);
    m_lastByte = now;
}

void Modem::releasePluses(TimePoint now) {
    const int held = std::exchange(m_pluses, 0);
    for (int i = 0; i < held; ++i) {
        data('+', now);
    }
}

void Modem::data(std::uint8_t b, TimePoint now) {
    switch (m_state) {
    case ModemState::Online:
        m_bus.receive(std::span(&b, 1), now);
        return;
    case ModemState::Dialling:
        // A modem gives up dialling at any character from its master.
        m_dialDue.reset();
        m_state = ModemState::OnHook;
        log(now, "state", "dialling aborted");
        say(ModemAnswer::NoCarrier, now);
        return;
    case ModemState::OnHook:
    case ModemState::OnlineCommand:
        break;
    }
    if (m_echo || m_config.echoAlways) {
        send({b}, now);
    }
    if (b == '\r') {
        commandLine(now);
        m_line.clear();
    } else if (b == '\b') {
        if (!m_line.empty()) {
            m_line.pop_back();
        }
    } else if (b != '\n' && m_line.size() <= kMaxLine) {
        m_line += static_cast<char>(b);
    }
}

void Modem::expire(TimePoint now) {
    if (m_pluses > 0 && now - m_lastPlus >= m_guard) {
        if (m_pluses == 3) {
            escape(now);
        } else {
            releasePluses(m_lastPlus + m_guard);
        }
    }
    if (m_dialDue && now >= *m_dialDue) {
        dialAnswered(now);
    }
    m_bus.expire(now);
}

void Modem::escape(TimePoint now) {
    m_pluses = 0;
    log(now, "rx", "+++");
    switch (m_state) {
    case ModemState::Online:
        m_state = ModemState::OnlineCommand;
        log(now, "state", "command mode, call up");
        answer(ModemCommand::Escape, ModemAnswer::Ok, now);
        return;
    case ModemState::Dialling:
        data('+', now); // aborts the dial
        return;
    case ModemState::OnHook:
    case ModemState::OnlineCommand:
        return; // already in command mode: no command, no answer
    }
}

void Modem::commandLine(TimePoint now) {
    const std::string line = m_line;
    log(now, "rx", printable(line));
    if (line.size() > kMaxLine) {
        say(ModemAnswer::Error, now);
        return;
    }
    // Whatever precedes the attention prefix is ignored, as modems do.
    std::size_t at = std::string::npos;
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        if (upper(line[i]) == 'A' && upper(line[i + 1]) == 'T') {
            at = i;
            break;
        }
    }
    if (at == std::string::npos) {
        return;
    }
    const std::string body = line.substr(at + 2);
    if (body.empty()) {
        answer(ModemCommand::Attention, ModemAnswer::Ok, now);
        return;
    }
    ModemCommand kind = ModemCommand::Init;
    std::size_t i = 0;
    const auto digits = [&] {
        std::string d;
        while (i < body.size() && isDigit(body[i])) {
            d += body[i++];
        }
        return d;
    };
    while (i < body.size()) {
        const char c = upper(body[i++]);
        if (c == ' ') {
            continue;
        }
        if (c == 'D') {
            dial(std::string_view(body).substr(i), now);
            return;
        }
        if (c == 'O') {
            if (m_state == ModemState::OnlineCommand) {
                m_state = ModemState::Online;
                log(now, "state", "online");
                say(ModemAnswer::Connect, now);
            } else {
                say(ModemAnswer::NoCarrier, now);
            }
            return;
        }
        if (c == '&') {
            if (i < body.size() && upper(body[i++]) == 'F') {
                m_echo = true; // factory settings
            }
            digits();
        } else if (c == 'S') {
            digits();
            if (i < body.size() && (body[i] == '=' || body[i] == '?')) {
                ++i;
                digits();
            }
        } else {
            const std::string arg = digits();
            if (c == 'E') {
                m_echo = arg != "0" && !arg.empty();
            } else if (c == 'Z') {
                m_echo = true;
            } else if (c == 'H' && (arg.empty() || arg == "0")) {
                kind = ModemCommand::Hangup;
                if (m_state == ModemState::OnlineCommand) {
                    endCall(now, "on hook");
                }
            }
        }
    }
    answer(kind, ModemAnswer::Ok, now);
}

void Modem::dial(std::string_view number, TimePoint now) {
    if (m_state == ModemState::OnlineCommand) {
        say(ModemAnswer::Error, now); // a call is up already
        return;
    }
    m_state = ModemState::Dialling;
    log(now, "state", "dialling " + printable(number));
    const auto& chosen = m_config.answers[static_cast<std::size_t>(ModemCommand::Dial)];
    m_dialAnswer = chosen.value_or(ModemAnswer::Connect);
    if (m_dialAnswer == ModemAnswer::Silence) {
        m_dialDue.reset(); // dials for ever, until a character from the master stops it
        return;
    }
    m_dialDue = now + std::chrono::milliseconds(m_config.connectDelayMs);
}

void Modem::dialAnswered(TimePoint now) {
    m_dialDue.reset();
    if (m_dialAnswer == ModemAnswer::Connect) {
        m_state = ModemState::Online;
        m_repliesAtConnect = m_bus.counters().answered;
        setCarrier(true);
        log(now, "state", "online");
    } else {
        m_state = ModemState::OnHook;
        log(now, "state", "on hook");
    }
    say(m_dialAnswer, now);
}

void Modem::endCall(TimePoint now, std::string_view why) {
    m_state = ModemState::OnHook;
    setCarrier(false);
    log(now, "state", why);
}

void Modem::answer(ModemCommand command, ModemAnswer usual, TimePoint now) {
    say(m_config.answers[static_cast<std::size_t>(command)].value_or(usual), now);
}

void Modem::say(ModemAnswer answer, TimePoint now) {
    if (answer == ModemAnswer::Silence) {
        log(now, "tx", "(silence)");
        return;
    }
    std::vector<std::uint8_t> bytes;
    if (m_config.noise || answer == ModemAnswer::Garbage) {
        bytes.assign(kNoise.begin(), kNoise.end());
    }
    if (answer != ModemAnswer::Garbage) {
        // Verbose answers (V1): the word framed in CR LF.
        const std::string text = "\r\n" + word(answer) + "\r\n";
        bytes.insert(bytes.end(), text.begin(), text.end());
    }
    log(now, "tx", answer == ModemAnswer::Garbage ? "(noise)" : word(answer));
    if (m_config.doubleAnswers) {
        const std::vector<std::uint8_t> once = bytes;
        bytes.insert(bytes.end(), once.begin(), once.end());
    }
    if (m_config.splitAnswers) {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            send({bytes[i]}, now + kSplitGap * static_cast<long>(i));
        }
        return;
    }
    send(std::move(bytes), now);
}

std::string Modem::word(ModemAnswer answer) const {
    switch (answer) {
    case ModemAnswer::Ok:
        return "OK";
    case ModemAnswer::Connect:
        return "CONNECT " + std::to_string(m_baud); // X4: with the rate
    case ModemAnswer::Error:
        return "ERROR";
    case ModemAnswer::NoCarrier:
        return "NO CARRIER";
    case ModemAnswer::Busy:
        return "BUSY";
    case ModemAnswer::NoDialtone:
        return "NO DIALTONE";
    case ModemAnswer::NoDialTone:
        return "NO DIAL TONE";
    case ModemAnswer::NoAnswer:
        return "NO ANSWER";
    case ModemAnswer::Silence:
    case ModemAnswer::Garbage:
        break;
    }
    return {};
}

void Modem::send(std::vector<std::uint8_t> bytes, TimePoint due) {
    if (!m_out.empty() && m_out.back().due == due) {
        m_out.back().bytes.insert(m_out.back().bytes.end(), bytes.begin(), bytes.end());
        return;
    }
    const auto at = std::upper_bound(m_out.begin(), m_out.end(), due,
                                     [](TimePoint t, const Out& o) { return t < o.due; });
    m_out.insert(at, Out{due, std::move(bytes)});
}

void Modem::setCarrier(bool on) {
    if (m_lines.carrier == on) {
        return;
    }
    m_lines.carrier = on;
    if (m_linesChanged) {
        m_linesChanged(m_lines);
    }
}

void Modem::log(TimePoint now, std::string_view kind, std::string_view text) const {
    if (m_log) {
        m_log(now, kind, text);
    }
}

std::optional<TimePoint> Modem::nextDeadline() const {
    std::optional<TimePoint> next = m_bus.nextDeadline();
    const auto consider = [&next](TimePoint t) { next = next ? std::min(*next, t) : t; };
    if (!m_out.empty()) {
        consider(m_out.front().due);
    }
    if (m_dialDue) {
        consider(*m_dialDue);
    }
    if (m_pluses > 0) {
        consider(m_lastPlus + m_guard);
    }
    return next;
}

std::vector<std::uint8_t> Modem::takeDue(TimePoint now) {
    // The bus answers only what reached it during a call; a reply due after the call ended
    // (or while escaped to command mode) has nowhere to go.
    const std::uint64_t repliesInCall = m_bus.counters().answered - m_repliesAtConnect;
    std::vector<std::uint8_t> out = m_bus.takeDue(now);
    if (m_state != ModemState::Online) {
        out.clear();
    } else if (!out.empty() && m_config.carrierDropBefore > 0 &&
               repliesInCall + 1 >= static_cast<std::uint64_t>(m_config.carrierDropBefore)) {
        // The line goes dead as the reply is about to leave: the master waits for it in vain.
        out.clear();
        endCall(now, "carrier lost");
        say(ModemAnswer::NoCarrier, now);
    } else if (m_config.carrierDropAfter > 0 &&
               m_bus.counters().answered - m_repliesAtConnect >=
                   static_cast<std::uint64_t>(m_config.carrierDropAfter)) {
        endCall(now, "carrier lost");
        say(ModemAnswer::NoCarrier, now);
    }
    while (!m_out.empty() && m_out.front().due <= now) {
        out.insert(out.end(), m_out.front().bytes.begin(), m_out.front().bytes.end());
        m_out.pop_front();
    }
    return out;
}

} // namespace dlcsim
