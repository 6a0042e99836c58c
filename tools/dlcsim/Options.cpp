#include "Options.h"

#include "Cell.h"
#include "ModemOptions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <set>
#include <vector>

namespace dlcsim {
namespace {

constexpr int kMaxCells = 247;
constexpr int kMaxAddress = 247;
constexpr std::size_t kMaxText = 40;
constexpr int kMaxDelayMs = 60000;

template <typename T>
std::optional<T> number(std::string_view text) {
    T value{};
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc{} || ptr != end || text.empty()) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> probability(std::string_view text) {
    const auto p = number<double>(text);
    if (!p || !(*p >= 0.0 && *p <= 1.0)) {
        return std::nullopt;
    }
    return p;
}

std::vector<std::string_view> splitList(std::string_view text) {
    std::vector<std::string_view> items;
    while (true) {
        const std::size_t comma = text.find(',');
        items.push_back(text.substr(0, comma));
        if (comma == std::string_view::npos) {
            return items;
        }
        text.remove_prefix(comma + 1);
    }
}

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

struct Raw {
    std::optional<std::string> serials, addresses, values, temperatures;
    int cells = 4;
};

bool fail(ParsedOptions& result, std::string message) {
    result.error = std::move(message);
    return false;
}

bool finishCells(const Raw& raw, Config& config, ParsedOptions& result) {
    const auto n = static_cast<std::size_t>(raw.cells);
    config.cells.assign(n, CellSettings{});
    for (std::size_t i = 0; i < n; ++i) {
        config.cells[i].serial = static_cast<std::uint32_t>(i + 1);
        config.cells[i].address = static_cast<std::uint8_t>(i + 1);
    }
    if (raw.serials) {
        const auto items = splitList(*raw.serials);
        if (items.size() != n) {
            return fail(result, "--serials needs one serial number per cell");
        }
        std::set<std::uint32_t> seen;
        for (std::size_t i = 0; i < n; ++i) {
            const auto serial = number<std::uint32_t>(items[i]);
            if (!serial) {
                return fail(result, "bad serial number '" + std::string(items[i]) + "'");
            }
            if (!seen.insert(*serial).second) {
                return fail(result, "serial number " + std::to_string(*serial) +
                                        " given twice: assignment could not tell the cells apart");
            }
            config.cells[i].serial = *serial;
        }
    }
    if (raw.addresses) {
        const auto items = splitList(*raw.addresses);
        if (items.size() != n) {
            return fail(result, "--addresses needs one address per cell");
        }
        std::set<int> seen;
        for (std::size_t i = 0; i < n; ++i) {
            const auto address = number<int>(items[i]);
            if (!address || *address < 0 || *address > kMaxAddress) {
                return fail(result, "bad address '" + std::string(items[i]) + "' (0 to 247)");
            }
            if (*address != 0 && !seen.insert(*address).second) {
                return fail(result, "address " + std::to_string(*address) + " given twice");
            }
            config.cells[i].address = static_cast<std::uint8_t>(*address);
        }
    }
    if (raw.values) {
        const auto items = splitList(*raw.values);
        if (items.size() != 1 && items.size() != n) {
            return fail(result, "--value needs one value, or one per cell");
        }
        for (std::size_t i = 0; i < n; ++i) {
            const std::string_view item = items[items.size() == 1 ? 0 : i];
            std::optional<double> v;
            if (config.valueKind == ValueKind::Count) {
                if (const auto count = number<std::int32_t>(item)) {
                    v = *count;
                }
            } else if (const auto f = number<double>(item); f && std::isfinite(*f)) {
                v = *f;
            }
            if (!v) {
                return fail(result, "bad value '" + std::string(item) + "'");
            }
            config.cells[i].fixedValue = v;
        }
    }
    if (raw.temperatures) {
        const auto items = splitList(*raw.temperatures);
        if (items.size() != 1 && items.size() != n) {
            return fail(result, "--temperature needs one value, or one per cell");
        }
        for (std::size_t i = 0; i < n; ++i) {
            const std::string_view item = items[items.size() == 1 ? 0 : i];
            const auto t = number<double>(item);
            // The register holds hundredths of a degree as a signed 16-bit number.
            if (!t || !(*t >= -327.68 && *t <= 327.67)) {
                return fail(result, "bad temperature '" + std::string(item) +
                                        "' (-327.68 to 327.67 degrees)");
            }
            config.temperatures.push_back(static_cast<std::int16_t>(std::lround(*t * 100.0)));
        }
    }
    for (const Preset& preset : config.presets) {
        if (preset.cell > raw.cells) {
            return fail(result, "--preset names cell " + std::to_string(preset.cell) + " of " +
                                    std::to_string(raw.cells));
        }
    }
    for (const FaultRule& rule : config.faults) {
        if (rule.cell > raw.cells) {
            return fail(result, "--fault names cell " + std::to_string(rule.cell) + " of " +
                                    std::to_string(raw.cells));
        }
    }
    return true;
}

} // namespace

std::optional<Preset> parsePreset(std::string_view text, std::string& error) {
    const std::string whole(text);
    const auto bad = [&](const std::string& why) {
        error = "bad preset '" + whole + "': " + why;
        return std::nullopt;
    };
    Preset preset;
    if (text.starts_with("cell=")) {
        const std::size_t colon = text.find(':');
        const auto cell =
            number<int>(text.substr(5, colon == std::string_view::npos ? 0 : colon - 5));
        if (!cell || *cell < 1 || *cell > kMaxCells) {
            return bad("cell 1 to 247");
        }
        preset.cell = *cell;
        text.remove_prefix(colon + 1);
    }
    const std::size_t eq = text.find('=');
    const std::string_view ref = text.substr(0, eq);
    const auto one = number<unsigned>(ref.size() == 5 ? ref.substr(1) : std::string_view{});
    if (!one || *one < 1 || *one > kTableSize) {
        return bad("a five-digit reference such as 40010 (numbers 0001 to 0100)");
    }
    preset.start = *one - 1;
    std::size_t mapEnd = 0; // the register map's own entries at the start of the table
    bool bits = false;
    switch (ref[0]) {
    case '0':
        preset.table = Table::Coils;
        mapEnd = reg::kSyncCoil + 1;
        bits = true;
        break;
    case '1':
        preset.table = Table::Inputs;
        bits = true;
        break;
    case '3':
        preset.table = Table::InputRegisters;
        mapEnd = reg::kInputMapEnd;
        break;
    case '4':
        preset.table = Table::HoldingRegisters;
        mapEnd = reg::kHoldMapEnd;
        break;
    default:
        return bad("the reference starts with 0 (coil), 1 (input), 3 or 4 (registers)");
    }
    if (preset.start < mapEnd) {
        return bad("30001-30050, 40001-40004 and coil 00001 are the register map's own");
    }
    if (eq == std::string_view::npos) {
        return bad("REF=VALUE[,VALUE...]");
    }
    for (const std::string_view item : splitList(text.substr(eq + 1))) {
        std::optional<std::uint16_t> v;
        if (bits) {
            if (item == "0" || item == "1") {
                v = static_cast<std::uint16_t>(item == "1");
            }
        } else if (item.size() >= 1 && item.size() <= 4) {
            std::uint16_t word = 0;
            const auto [ptr, ec] =
                std::from_chars(item.data(), item.data() + item.size(), word, 16);
            if (ec == std::errc{} && ptr == item.data() + item.size()) {
                v = word;
            }
        }
        if (!v) {
            return bad(bits ? "bits are 0 or 1" : "words are one to four hexadecimal digits");
        }
        preset.values.push_back(*v);
    }
    if (preset.start + preset.values.size() > kTableSize) {
        return bad("runs past the table's end (reference x0100)");
    }
    return preset;
}

std::optional<FaultRule> parseFault(std::string_view text, std::string& error) {
    FaultRule rule;
    if (text.starts_with("cell=")) {
        const std::size_t colon = text.find(':');
        const auto cell =
            number<int>(text.substr(5, colon == std::string_view::npos ? 0 : colon - 5));
        if (!cell || *cell < 1 || *cell > kMaxCells) {
            error = "bad cell in fault '" + std::string(text) + "'";
            return std::nullopt;
        }
        rule.cell = *cell;
        text.remove_prefix(colon + 1);
    }
    const std::size_t eq = text.find('=');
    const std::string_view kind = text.substr(0, eq);
    const std::string_view arg =
        eq == std::string_view::npos ? std::string_view{} : text.substr(eq + 1);
    const std::size_t colon = arg.find(':');
    const std::string_view first = arg.substr(0, colon);
    const std::optional<std::string_view> second =
        colon == std::string_view::npos ? std::nullopt : std::optional(arg.substr(colon + 1));
    std::optional<double> p;
    if (kind == "drop" || kind == "crc" || kind == "garbage") {
        rule.kind = kind == "drop"  ? FaultKind::Drop
                    : kind == "crc" ? FaultKind::Crc
                                    : FaultKind::Garbage;
        p = second ? std::nullopt : probability(first);
    } else if (kind == "delay") {
        rule.kind = FaultKind::Delay;
        const auto ms = number<int>(first);
        if (ms && *ms >= 0 && *ms <= kMaxDelayMs) {
            rule.delayMs = *ms;
            p = second ? probability(*second) : 1.0;
        }
    } else if (kind == "exception") {
        rule.kind = FaultKind::Exception;
        const auto code = number<int>(first);
        if (code && *code >= 1 && *code <= 255 && second) {
            rule.exceptionCode = static_cast<std::uint8_t>(*code);
            p = probability(*second);
        }
    } else {
        error = "unknown fault '" + std::string(text) + "'";
        return std::nullopt;
    }
    if (!p) {
        error = "bad fault '" + std::string(text) +
                "' (drop=P, crc=P, garbage=P, delay=MS[:P], exception=CODE:P; P from 0 to 1)";
        return std::nullopt;
    }
    rule.probability = *p;
    return rule;
}

ParsedOptions parseOptions(std::span<const std::string_view> args) {
    ParsedOptions result;
    Config config;
    Raw raw;
    bool modemOptionSeen = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view opt = args[i];
        std::optional<std::string_view> inlineValue;
        if (const std::size_t eq = opt.find('=');
            opt.starts_with("--") && eq != std::string_view::npos) {
            inlineValue = opt.substr(eq + 1);
            opt = opt.substr(0, eq);
        }
        const auto flag = [&]() {
            if (inlineValue) {
                result.error = std::string(opt) + " takes no value";
                return false;
            }
            return true;
        };
        std::optional<std::string_view> value = inlineValue;
        const auto need = [&]() -> bool {
            if (!value) {
                if (i + 1 >= args.size()) {
                    result.error = std::string(opt) + " needs a value";
                    return false;
                }
                value = args[++i];
            }
            return true;
        };
        const auto bad = [&](const char* what) {
            result.error = "bad " + std::string(opt) + " '" + std::string(*value) + "'" + what;
            return result;
        };

        if (opt == "--help" || opt == "-h") {
            result.help = true;
            return result;
        }
        if (opt == "--line-timing") {
            if (!flag()) {
                return result;
            }
            config.lineTiming = true;
            continue;
        }
        // The emulated modem's options.
        if (opt == "--modem") {
            if (!flag()) {
                return result;
            }
            config.modem.enabled = true;
            continue;
        }
        if (isModemOption(opt)) {
            if (!need() || !parseModemOption(opt, *value, config.modem, result.error)) {
                return result;
            }
            modemOptionSeen = true;
            continue;
        }

        if (!need()) {
            return result;
        }
        const std::string_view v = *value;
        if (opt == "--link") {
            if (v.empty() || v.find('/') != std::string_view::npos || v == "." || v == "..") {
                return bad(" (a name such as COM5)");
            }
            config.linkName = v;
        } else if (opt == "--device") {
            config.devicePath = v;
        } else if (opt == "--baud") {
            const auto baud = number<int>(v);
            if (!baud || *baud < 50 || *baud > 4000000) {
                return bad("");
            }
            config.line.baud = *baud;
        } else if (opt == "--parity") {
            const std::string p = lower(v);
            if (p == "e" || p == "even") {
                config.line.parity = Parity::Even;
            } else if (p == "n" || p == "none") {
                config.line.parity = Parity::None;
            } else if (p == "o" || p == "odd") {
                config.line.parity = Parity::Odd;
            } else {
                return bad(" (E, N or O)");
            }
        } else if (opt == "--data-bits") {
            const auto bits = number<int>(v);
            if (!bits || (*bits != 7 && *bits != 8)) {
                return bad(" (7 or 8)");
            }
            config.line.dataBits = *bits;
        } else if (opt == "--stop-bits") {
            const auto bits = number<int>(v);
            if (!bits || (*bits != 1 && *bits != 2)) {
                return bad(" (1 or 2)");
            }
            config.line.stopBits = *bits;
        } else if (opt == "--cells") {
            const auto cells = number<int>(v);
            if (!cells || *cells < 1 || *cells > kMaxCells) {
                return bad(" (1 to 247)");
            }
            raw.cells = *cells;
        } else if (opt == "--serials") {
            raw.serials = std::string(v);
        } else if (opt == "--addresses") {
            raw.addresses = std::string(v);
        } else if (opt == "--mode") {
            if (v == "rtu") {
                config.framing = Framing::Rtu;
            } else if (v == "ascii") {
                config.framing = Framing::Ascii;
            } else {
                return bad(" (rtu or ascii)");
            }
        } else if (opt == "--value-kind") {
            if (v == "float") {
                config.valueKind = ValueKind::Float;
            } else if (v == "count") {
                config.valueKind = ValueKind::Count;
            } else {
                return bad(" (float or count)");
            }
        } else if (opt == "--value") {
            raw.values = std::string(v);
        } else if (opt == "--motion") {
            if (v == "sine") {
                config.motion = Motion::Sine;
            } else if (v == "ramp") {
                config.motion = Motion::Ramp;
            } else {
                return bad(" (sine or ramp)");
            }
        } else if (opt == "--model" || opt == "--maker") {
            if (v.size() > kMaxText) {
                return bad(" (at most 40 characters)");
            }
            (opt == "--model" ? config.model : config.maker) = v;
        } else if (opt == "--fault" && v == "echo") {
            // Not a fault of a reply but of the adapter: nothing to draw.
            config.echo = true;
        } else if (opt == "--temperature") {
            raw.temperatures = std::string(v);
        } else if (opt == "--preset") {
            auto preset = parsePreset(v, result.error);
            if (!preset) {
                return result;
            }
            config.presets.push_back(std::move(*preset));
        } else if (opt == "--fault") {
            auto rule = parseFault(v, result.error);
            if (!rule) {
                return result;
            }
            config.faults.push_back(*rule);
        } else if (opt == "--seed") {
            const auto seed = number<std::uint64_t>(v);
            if (!seed) {
                return bad("");
            }
            config.seed = *seed;
        } else if (opt == "--log") {
            config.logPath = v;
        } else {
            result.error = "unknown option " + std::string(opt);
            return result;
        }
    }
    if (modemOptionSeen && !config.modem.enabled) {
        result.error = "the --modem-* options need --modem";
        return result;
    }
    if (config.linkName.empty() == config.devicePath.empty()) {
        result.error = "give either --link NAME or --device PATH";
        return result;
    }
    if (!finishCells(raw, config, result)) {
        return result;
    }
    result.config = std::move(config);
    return result;
}

std::string usage() {
    return R"(usage: dlcsim (--link NAME | --device PATH) [options]

A bus of simulated digital load cells: a Modbus slave on a pseudo-terminal or serial port.

Line:
  --link NAME          create a pseudo-terminal and the link NAME to it in the ports folder
                       ($TAVRIN_PORTS, default ~/.config/tavrin/ports); prints
                       "dlcsim: NAME -> /dev/pts/N" once ready
  --device PATH        serve an existing serial device instead
  --baud N             38400 (on a pseudo-terminal only for --line-timing)
  --parity E|N|O       E
  --data-bits 7|8      8
  --stop-bits 1|2      1
  --mode rtu|ascii     rtu
  --line-timing        time the line as a wire at the baud rate: a request takes its
                       characters' time from its first byte's arrival (or the end of the
                       line's traffic before it), the reply follows a real turnaround at the
                       same rate, and the log holds these line times: when each frame's
                       first character began and its last was whole; an RTU request begun
                       less than 3.5 characters after the line's last traffic is marked
                       "[short silence X ms]"

Cells:
  --cells N            1 to 247, default 4
  --serials LIST       serial numbers, comma-separated, default 1..N
  --addresses LIST     slave addresses, default 1..N; 0: not assigned yet
  --value-kind float|count
                       measured value as a 32-bit float or a 32-bit count (hundredths)
  --value V[,V...]     fix the measured value (a count with --value-kind count)
  --motion sine|ramp   how values move when not fixed: cell k reads 100k + 10 sin(...)
                       (default), or 100k + k t with t the seconds since start
  --model TEXT         model name, at most 40 characters (bytes as given: commas, quotes
                       and unprintable bytes too)
  --maker TEXT         maker name, at most 40 characters
  --temperature T[,T...]
                       temperature in degrees, -327.68 to 327.67 (default 20 + 0.25 n for
                       cell n)
  --preset [cell=K:]REF=V[,V...]
                       contents from reference REF on (every cell, or cell K): hexadecimal
                       words for 3xxxx and 4xxxx, 0 or 1 for coils 0xxxx and inputs 1xxxx;
                       not the register map's own (30001-30050, 40001-40004, 00001);
                       repeatable, e.g. --preset 40010=0A05,1234 --preset cell=2:00005=1,0,1

Faults (repeatable, P from 0 to 1):
  --fault [cell=K:]drop=P         no reply
  --fault [cell=K:]crc=P          wrong checksum
  --fault [cell=K:]garbage=P      noise bytes before the reply
  --fault [cell=K:]delay=MS[:P]   late reply
  --fault [cell=K:]exception=CODE:P
  --fault echo                    every byte the master sends comes back to it as it is
                                  whole, before any reply (a two-wire adapter that echoes)
  --seed S             seed of the fault draws, default 1

  --log FILE           one line per frame: first and last byte time, rx|tx, bytes, verdict
  --help
)" + modemUsage() +
           R"(
Registers of every cell (one-based references):
  30001-30002 measured value   30003 status (bit 0: latched)   30004 rated capacity
  30006 serial number          30008 model name   30028 maker name (20 registers each)
  30048 temperature (0.01 C)   30049 rated output
  40001 slave address   40002 serial number   40004 baud rate / 100
  00001 synchronisation coil: on (broadcast) latches every cell's value
  free contents: registers 0xKKNN (KK cell, NN register number), coils and inputs in
  patterns, unless preset; writes to 40005-40100 and coils 00002-00100 are kept
)";
}

} // namespace dlcsim
