// A Hayes-compatible modem in front of the simulated bus, as a master sees one on its
// serial line: AT commands answered in command mode, "CONNECT" some time after ATD, then
// every byte passed to the bus and its replies passed back, until the "+++" escape (with
// its guard times) returns to command mode or the carrier drops. Faults on demand.
// Pure logic on the event loop's bytes and times, like the Session it wraps.
#pragma once

#include "Clock.h"
#include "ModemConfig.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dlcsim {

class Session;

// The lines the modem drives towards the master.
struct ModemLines {
    bool cts = true;
    bool dsr = true;
    bool ring = false;
    bool carrier = false;
    friend bool operator==(const ModemLines&, const ModemLines&) = default;
};

enum class ModemState {
    OnHook,       // command mode, no call
    Dialling,     // ATD given, the answer is due
    Online,       // a call, data to and from the bus
    OnlineCommand // a call, escaped to command mode
};

class Modem {
public:
    // One line of the modem's log: "rx" (a command as received, "+++" for an escape), "tx"
    // (an answer word), "state" (what the modem did).
    using LogFn = std::function<void(TimePoint, std::string_view kind, std::string_view text)>;
    using LinesFn = std::function<void(const ModemLines&)>;

    // `baud` is the rate "CONNECT" reports. `bus` must outlive the modem.
    Modem(const ModemConfig& config, Session& bus, int baud, LogFn log = {}, LinesFn lines = {});

    // The Session's interface, for the event loop.
    void receive(std::span<const std::uint8_t> bytes, TimePoint now);
    void expire(TimePoint now);
    std::optional<TimePoint> nextDeadline() const;
    std::vector<std::uint8_t> takeDue(TimePoint now);

    ModemState state() const { return m_state; }
    const ModemLines& lines() const { return m_lines; }

private:
    struct Out {
        TimePoint due;
        std::vector<std::uint8_t> bytes;
    };

    void byte(std::uint8_t b, TimePoint now);
    void data(std::uint8_t b, TimePoint now);
    void releasePluses(TimePoint now);
    void escape(TimePoint now);
    void commandLine(TimePoint now);
    void dial(std::string_view number, TimePoint now);
    void dialAnswered(TimePoint now);
    void endCall(TimePoint now, std::string_view why);
    void answer(ModemCommand command, ModemAnswer usual, TimePoint now);
    void say(ModemAnswer answer, TimePoint now);
    void send(std::vector<std::uint8_t> bytes, TimePoint due);
    void setCarrier(bool on);
    void log(TimePoint now, std::string_view kind, std::string_view text) const;
    std::string word(ModemAnswer answer) const;

    ModemConfig m_config;
    Session& m_bus;
    int m_baud;
    LogFn m_log;
    LinesFn m_linesChanged;
    Clock::duration m_guard;

    ModemState m_state = ModemState::OnHook;
    ModemLines m_lines;
    bool m_echo = true; // as a modem comes up: E1
    std::string m_line; // the command being typed
    TimePoint m_lastByte{};
    int m_pluses = 0; // pluses held back: perhaps an escape
    TimePoint m_lastPlus{};
    std::optional<TimePoint> m_dialDue;
    ModemAnswer m_dialAnswer = ModemAnswer::Connect;
    std::uint64_t m_repliesAtConnect = 0;
    std::deque<Out> m_out; // by due time
};

} // namespace dlcsim
