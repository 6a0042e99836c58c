// dlcsim: a simulated bus of digital load cells on a pseudo-terminal or serial port.
#include "EventLoop.h"
#include "FrameLog.h"
#include "Line.h"
#include "Modem.h"
#include "ModemFiles.h"
#include "Options.h"
#include "PortLink.h"
#include "Session.h"
#include "Signals.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace {

int failWith(const std::string& message) {
    std::fprintf(stderr, "dlcsim: %s\n", message.c_str());
    return 1;
}

// The emulated modem in front of the bus with its log and lines file.
struct ModemFront {
    std::unique_ptr<dlcsim::ModemLog> log;
    std::unique_ptr<dlcsim::Modem> modem;
};

std::optional<ModemFront> makeModem(const dlcsim::Config& config, dlcsim::Session& session,
                                    std::string& error) {
    using namespace dlcsim;
    ModemFront front;
    if (!config.modem.logPath.empty()) {
        front.log = ModemLog::open(config.modem.logPath);
        if (!front.log) {
            error = "cannot write " + config.modem.logPath + ": " + std::strerror(errno);
            return std::nullopt;
        }
    }
    Modem::LogFn logFn;
    if (front.log) {
        logFn = [log = front.log.get()](TimePoint t, std::string_view kind, std::string_view text) {
            log->write(t, kind, text);
        };
    }
    Modem::LinesFn linesFn;
    if (!config.modem.linesPath.empty()) {
        linesFn = [path = config.modem.linesPath](const ModemLines& lines) {
            if (!writeModemLines(path, lines)) {
                std::fprintf(stderr, "dlcsim: cannot write %s: %s\n", path.c_str(),
                             std::strerror(errno));
            }
        };
    }
    front.modem = std::make_unique<Modem>(config.modem, session, config.line.baud, std::move(logFn),
                                          std::move(linesFn));
    return front;
}

} // namespace

int main(int argc, char** argv) {
    using namespace dlcsim;
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const ParsedOptions parsed = parseOptions(args);
    if (parsed.help) {
        std::fputs(usage().c_str(), stdout);
        return 0;
    }
    if (!parsed.config) {
        std::fprintf(stderr, "dlcsim: %s (see --help)\n", parsed.error.c_str());
        return 2;
    }
    const Config& config = *parsed.config;

    std::string error;
    // Signals first, so that a stop during start-up still removes the link.
    auto signals = StopSignals::install(error);
    if (!signals) {
        return failWith(error);
    }
    auto line = config.devicePath.empty() ? Line::openPty(config.line, error)
                                          : Line::openDevice(config.devicePath, config.line, error);
    if (!line) {
        return failWith(error);
    }
    std::unique_ptr<FrameLog> log;
    if (!config.logPath.empty()) {
        log = FrameLog::open(config.logPath);
        if (!log) {
            return failWith("cannot write " + config.logPath + ": " + std::strerror(errno));
        }
    }
    Session session(config, Clock::now(), log.get());
    // Before the ready line: whoever waits for it may read the modem's files at once.
    std::optional<ModemFront> modem;
    if (config.modem.enabled) {
        modem = makeModem(config, session, error);
        if (!modem) {
            return failWith(error);
        }
    }

    std::optional<PortLink> link;
    if (!config.linkName.empty()) {
        link = PortLink::create(portsFolder(), config.linkName, line->peerPath(), error);
        if (!link) {
            return failWith(error);
        }
        std::printf("dlcsim: %s -> %s\n", config.linkName.c_str(), line->peerPath().c_str());
    } else {
        std::printf("dlcsim: serving %s\n", line->peerPath().c_str());
    }
    std::fflush(stdout);

    const bool ok = modem ? serve(*modem->modem, *line, *signals, error)
                          : serve(session, *line, *signals, error);
    std::printf("%s\n", summaryLine(session.counters()).c_str());
    std::fflush(stdout);
    if (!ok) {
        return failWith(error);
    }
    return 0;
}
