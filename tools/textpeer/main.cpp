// textpeer: the other end of a text-command link, for trying and testing the test tab.
#include "Exchange.h"
#include "Line.h"
#include "Options.h"
#include "PortLink.h"
#include "Signals.h"
#include "UniqueFd.h"
#include "commport/PortName.h"
#include "commport/PortPath.h"

#include <cstdio>
#include <string_view>
#include <sys/inotify.h>
#include <vector>

namespace {

int failWith(const std::string& message) {
    std::fprintf(stderr, "textpeer: %s\n", message.c_str());
    return 1;
}

// COMn and the other names of the ports folder resolve as the control resolves them; a
// path is taken as it stands.
std::optional<std::string> devicePath(const std::string& port) {
    if (port.find('/') != std::string::npos) {
        return port;
    }
    const auto name = tavrin::parsePortName(port);
    return name ? tavrin::resolveDevicePath(*name) : std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    using namespace textpeer;
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const ParsedOptions parsed = parseOptions(args);
    if (parsed.help) {
        std::fputs(usage().c_str(), stdout);
        return 0;
    }
    if (!parsed.config) {
        std::fprintf(stderr, "textpeer: %s (see --help)\n", parsed.error.c_str());
        return 2;
    }
    const PeerConfig& config = *parsed.config;

    std::string error;
    // Signals first, so that a stop during start-up still removes the link.
    auto signals = dlcsim::StopSignals::install(error);
    if (!signals) {
        return failWith(error);
    }
    std::optional<dlcsim::Line> line;
    std::optional<dlcsim::PortLink> link;
    dlcsim::UniqueFd watchFd;
    PeerWatch watch;
    if (config.create) {
        line = dlcsim::Line::openPty(config.line, error);
        if (!line) {
            return failWith(error);
        }
        // Watched before the link exists, so that no open of it can be missed.
        watchFd.reset(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
        if (!watchFd || inotify_add_watch(watchFd.get(), line->peerPath().c_str(),
                                          IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
            return failWith("cannot watch " + line->peerPath() + " for the other side");
        }
        watch = PeerWatch{watchFd.get(), config.port};
        link =
            dlcsim::PortLink::create(dlcsim::portsFolder(), config.port, line->peerPath(), error);
        if (!link) {
            return failWith(error);
        }
        std::printf("textpeer: %s -> %s\n", config.port.c_str(), line->peerPath().c_str());
    } else {
        const auto path = devicePath(config.port);
        if (!path) {
            return failWith(config.port + " is no port name (COM1, COM2, ...) or path");
        }
        line = dlcsim::Line::openDevice(*path, config.line, error);
        if (!line) {
            return failWith(error);
        }
        std::printf("textpeer: %s is %s\n", config.port.c_str(), path->c_str());
    }
    std::fflush(stdout);

    Counters counters;
    const bool ok = exchange(config, *line, *signals, watch, counters, error);
    std::printf("textpeer: sent %ld, answered %ld, unanswered %ld\n", counters.sent,
                counters.responses, counters.unanswered);
    std::fflush(stdout);
    if (!ok) {
        return failWith(error);
    }
    return 0;
}
