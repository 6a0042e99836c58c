#include "ModemOptions.h"

#include <array>
#include <charconv>
#include <optional>
#include <utility>

namespace dlcsim {
namespace {

constexpr int kMaxDelayMs = 600000;
constexpr int kMaxGuardMs = 10000;

std::optional<int> number(std::string_view text, int low, int high) {
    int value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || ptr != end || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

constexpr std::array<std::pair<std::string_view, ModemAnswer>, 10> kAnswers{{
    {"ok", ModemAnswer::Ok},
    {"connect", ModemAnswer::Connect},
    {"error", ModemAnswer::Error},
    {"no-carrier", ModemAnswer::NoCarrier},
    {"busy", ModemAnswer::Busy},
    {"no-dialtone", ModemAnswer::NoDialtone},
    {"no-dial-tone", ModemAnswer::NoDialTone},
    {"no-answer", ModemAnswer::NoAnswer},
    {"silence", ModemAnswer::Silence},
    {"garbage", ModemAnswer::Garbage},
}};

constexpr std::array<std::pair<std::string_view, ModemCommand>, 5> kCommands{{
    {"at", ModemCommand::Attention},
    {"init", ModemCommand::Init},
    {"dial", ModemCommand::Dial},
    {"hangup", ModemCommand::Hangup},
    {"escape", ModemCommand::Escape},
}};

} // namespace

bool isModemOption(std::string_view option) {
    return option == "--modem-connect-delay" || option == "--modem-guard" ||
           option == "--modem-answer" || option == "--modem-fault" || option == "--modem-log" ||
           option == "--modem-lines";
}

bool parseModemAnswer(std::string_view text, ModemConfig& modem, std::string& error) {
    const std::size_t eq = text.find('=');
    const std::string_view command = text.substr(0, eq);
    const std::string_view answer =
        eq == std::string_view::npos ? std::string_view{} : text.substr(eq + 1);
    std::optional<ModemAnswer> chosen;
    for (const auto& [name, value] : kAnswers) {
        if (name == answer) {
            chosen = value;
        }
    }
    if (!chosen) {
        error = "bad --modem-answer '" + std::string(text) +
                "' (COMMAND=ANSWER; ANSWER: ok, connect, error, no-carrier, busy, no-dialtone, "
                "no-dial-tone, no-answer, silence, garbage)";
        return false;
    }
    if (command == "all") {
        modem.answers.fill(chosen);
        return true;
    }
    for (const auto& [name, value] : kCommands) {
        if (name == command) {
            modem.answers[static_cast<std::size_t>(value)] = chosen;
            return true;
        }
    }
    error = "bad --modem-answer '" + std::string(text) +
            "' (COMMAND: at, init, dial, hangup, escape or all)";
    return false;
}

bool parseModemFault(std::string_view text, ModemConfig& modem, std::string& error) {
    if (text == "echo") {
        modem.echoAlways = true;
    } else if (text == "double") {
        modem.doubleAnswers = true;
    } else if (text == "split") {
        modem.splitAnswers = true;
    } else if (text == "noise") {
        modem.noise = true;
    } else if (text.starts_with("carrier-drop=")) {
        const auto n = number(text.substr(13), 1, 1000000);
        if (!n) {
            error = "bad --modem-fault '" + std::string(text) + "' (carrier-drop=N, N from 1)";
            return false;
        }
        modem.carrierDropAfter = *n;
    } else if (text.starts_with("carrier-drop-before=")) {
        const auto n = number(text.substr(20), 1, 1000000);
        if (!n) {
            error =
                "bad --modem-fault '" + std::string(text) + "' (carrier-drop-before=N, N from 1)";
            return false;
        }
        modem.carrierDropBefore = *n;
    } else {
        error = "unknown --modem-fault '" + std::string(text) +
                "' (echo, double, split, noise, carrier-drop=N, carrier-drop-before=N)";
        return false;
    }
    return true;
}

bool parseModemOption(std::string_view option, std::string_view value, ModemConfig& modem,
                      std::string& error) {
    const auto bad = [&](const char* what) {
        error = "bad " + std::string(option) + " '" + std::string(value) + "'" + what;
        return false;
    };
    if (option == "--modem-connect-delay") {
        const auto ms = number(value, 0, kMaxDelayMs);
        if (!ms) {
            return bad(" (0 to 600000 ms)");
        }
        modem.connectDelayMs = *ms;
    } else if (option == "--modem-guard") {
        const auto ms = number(value, 1, kMaxGuardMs);
        if (!ms) {
            return bad(" (1 to 10000 ms)");
        }
        modem.guardMs = *ms;
    } else if (option == "--modem-answer") {
        return parseModemAnswer(value, modem, error);
    } else if (option == "--modem-fault") {
        return parseModemFault(value, modem, error);
    } else if (option == "--modem-log") {
        modem.logPath = value;
    } else if (option == "--modem-lines") {
        modem.linesPath = value;
    }
    return true;
}

std::string modemUsage() {
    return R"(
Modem (a Hayes-compatible modem in front of the bus):
  --modem              answer AT commands; after ATD, "CONNECT" and the bus until "+++"
                       (with a guard time of silence before and after) or ATH0
  --modem-connect-delay MS
                       ATD until its answer, default 1000
  --modem-guard MS     escape guard time, default 1000 (S12=50)
  --modem-answer COMMAND=ANSWER (repeatable)
                       COMMAND: at, init, dial, hangup, escape, all; ANSWER: ok, connect,
                       error, no-carrier, busy, no-dialtone, no-dial-tone, no-answer,
                       silence, garbage (noise bytes and no word)
  --modem-fault echo|double|split|noise|carrier-drop=N|carrier-drop-before=N (repeatable)
                       echo commands even after E0, answer twice, answer a byte at a time,
                       noise before every answer, drop the carrier after N replies in a
                       call, drop it as the Nth reply of a call is due (that reply is lost)
  --modem-log FILE     one line per command, answer and change of state
  --modem-lines FILE   the modem's lines, "cts=1 dsr=1 ri=0 dcd=0", rewritten on change
)";
}

} // namespace dlcsim
