#include "Options.h"

#include "Escapes.h"

#include <charconv>

namespace textpeer {
namespace {

std::optional<long> number(std::string_view text) {
    long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

// A time in milliseconds, 0 to one hour.
std::optional<int> milliseconds(std::string_view text) {
    const auto value = number(text);
    if (!value || *value < 0 || *value > 3600000) {
        return std::nullopt;
    }
    return static_cast<int>(*value);
}

} // namespace

ParsedOptions parseOptions(std::span<const std::string_view> args) {
    ParsedOptions result;
    PeerConfig config;
    bool portSeen = false;
    bool onlyCommands = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view opt = args[i];
        if (!onlyCommands && (opt == "--help" || opt == "-h")) {
            result.help = true;
            return result;
        }
        if (!onlyCommands && opt == "--") {
            onlyCommands = true; // so that a command may start with "--"
            continue;
        }
        if (onlyCommands || !opt.starts_with("--")) {
            if (!portSeen) {
                config.port = opt;
                portSeen = true;
                continue;
            }
            auto command = unescape(opt);
            if (!command) {
                result.error = "bad escape in command '" + std::string(opt) +
                               "' (\\r \\n \\t \\\\ \\\" \\xHH)";
                return result;
            }
            config.commands.push_back(std::move(*command));
            continue;
        }
        if (opt == "--create" || opt == "--no-wait") {
            (opt == "--create" ? config.create : config.noWait) = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            result.error = std::string(opt) + " needs a value";
            return result;
        }
        const std::string_view v = args[++i];
        const auto bad = [&](const char* what) {
            result.error = "bad " + std::string(opt) + " '" + std::string(v) + "'" + what;
            return result;
        };
        if (opt == "--baud") {
            const auto baud = number(v);
            if (!baud || *baud < 50 || *baud > 4000000) {
                return bad("");
            }
            config.line.baud = static_cast<int>(*baud);
        } else if (opt == "--parity") {
            const std::string p = upper(v);
            if (p == "E" || p == "EVEN") {
                config.line.parity = dlcsim::Parity::Even;
            } else if (p == "N" || p == "NONE") {
                config.line.parity = dlcsim::Parity::None;
            } else if (p == "O" || p == "ODD") {
                config.line.parity = dlcsim::Parity::Odd;
            } else {
                return bad(" (E, N or O)");
            }
        } else if (opt == "--data-bits") {
            const auto bits = number(v);
            if (!bits || (*bits != 7 && *bits != 8)) {
                return bad(" (7 or 8)");
            }
            config.line.dataBits = static_cast<int>(*bits);
        } else if (opt == "--stop-bits") {
            const auto bits = number(v);
            if (!bits || (*bits != 1 && *bits != 2)) {
                return bad(" (1 or 2)");
            }
            config.line.stopBits = static_cast<int>(*bits);
        } else if (opt == "--terminator") {
            const std::string t = upper(v);
            if (t == "CRLF") {
                config.terminator = "\r\n";
            } else if (t == "CR") {
                config.terminator = "\r";
            } else if (t == "LF") {
                config.terminator = "\n";
            } else if (t == "NONE") {
                config.terminator.clear();
            } else {
                return bad(" (CRLF, CR, LF or NONE)");
            }
        } else if (opt == "--timeout" || opt == "--quiet" || opt == "--interval") {
            const auto ms = milliseconds(v);
            if (!ms || (opt != "--interval" && *ms == 0)) {
                return bad(" (milliseconds)");
            }
            (opt == "--timeout" ? config.timeoutMs
             : opt == "--quiet" ? config.quietMs
                                : config.intervalMs) = *ms;
        } else if (opt == "--repeat") {
            const auto times = number(v);
            if (!times || *times < 0) {
                return bad(" (0 for ever, or a count)");
            }
            config.repeat = *times;
        } else {
            result.error = "unknown option " + std::string(opt);
            return result;
        }
    }
    if (!portSeen || config.port.empty()) {
        result.error = "no port given";
        return result;
    }
    if (config.create && config.port.find('/') != std::string::npos) {
        result.error = "--create takes a name for the ports folder such as COM6, not a path";
        return result;
    }
    if (config.noWait && config.intervalMs < 0) {
        result.error = "--no-wait needs --interval";
        return result;
    }
    result.config = std::move(config);
    return result;
}

std::string usage() {
    return R"(textpeer: stands in for a data logger on a text-command serial link. Sends commands,
prints each response with its delay.

usage: textpeer [options] PORT [COMMAND...]

  PORT              COMn (a link of that name in the ports folder $TAVRIN_PORTS, default
                    ~/.config/tavrin/ports, else /dev/ttyS(n-1)) or a device path
  COMMAND           sent followed by the terminator; \r \n \t \\ \" and \xHH stand for those
                    characters ("\x12" is the one character 0x12). Without commands, each line
                    of standard input is one command. After "--" no word is an option.
  --create          make a pseudo-terminal and link it as PORT in the ports folder, for a
                    program on this machine to open (no second serial port needed); sending
                    starts once that program has opened it
  --baud N          (default 9600)     --parity E|N|O   (default E)
  --data-bits 7|8   (default 8)        --stop-bits 1|2  (default 1)
  --terminator CRLF|CR|LF|NONE
                    after every command; a response is whole when it ends with it
                    (default CRLF)
  --timeout MS      no response this long after a send: reported as none (default 1000)
  --quiet MS        a response that lacks the terminator ends this long after its last
                    character (default 100)
  --repeat N        send the commands N times over (default 1; 0: until stopped)
  --interval MS     from one send to the next (default: as soon as the response is whole)
  --no-wait         send every interval whether the response came or not (flood a port)

Each response prints as
  "MSV?33,1,0\r\n" -> "+23.5,1,0\r\n" after 31.4 ms
and a command without one as
  "XYZ\r\n" -> nothing within 1000 ms
)";
}

} // namespace textpeer
