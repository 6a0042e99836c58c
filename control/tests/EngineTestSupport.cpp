#include "EngineTestSupport.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace tavrin::test {

PortSettings portSettings(const PortsFolder& folder, int number, const std::string& comm) {
    return PortSettings{folder.prefix(), number, comm};
}

Transaction transaction(std::int32_t function, const std::string& node, const std::string& memStart,
                        std::int16_t qty, std::int16_t timeoutMs) {
    Transaction t;
    t.request.function = function;
    t.request.nodeAddress = node;
    t.request.memStart = memStart;
    t.request.memQty = qty;
    t.timeoutTrans = timeoutMs;
    return t;
}

Transaction readValue(const std::string& node, std::int16_t timeoutMs) {
    return transaction(4, node, "30001", 2, timeoutMs);
}

dlcsim::test::Placement placementIn(const PortsFolder& folder, int number) {
    return {folder.path(), folder.portName(number),
            folder.path() + "/frames-" + std::to_string(number) + ".log"};
}

std::optional<BusSummary> parseSummary(const std::string& output) {
    const auto at = output.find("dlcsim: frames received");
    if (at == std::string::npos) {
        return std::nullopt;
    }
    BusSummary s;
    if (std::sscanf(output.c_str() + at,
                    "dlcsim: frames received %lu, answered %lu, broadcasts %lu, bad frames %lu",
                    &s.received, &s.answered, &s.broadcasts, &s.bad) != 4) {
        return std::nullopt;
    }
    return s;
}

namespace {

std::size_t receivedFrames(const std::string& text) {
    std::size_t count = 0;
    for (std::size_t at = text.find(" rx "); at != std::string::npos;
         at = text.find(" rx ", at + 1)) {
        ++count;
    }
    return count;
}

std::string contentOf(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

bool waitForFile(const std::string& path, const std::function<bool(const std::string&)>& done,
                 Clock::time_point deadline) {
    UniqueFd watch(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK));
    if (!watch.valid() || ::inotify_add_watch(watch.get(), path.c_str(), IN_MODIFY) < 0) {
        return false;
    }
    // Read after the watch is in place, so that no write falls between reading and waiting.
    while (!done(contentOf(path))) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return false;
        }
        pollfd p{watch.get(), POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) > 0) {
            char events[4096];
            while (::read(watch.get(), events, sizeof events) > 0) {
            }
        }
    }
    return true;
}

bool waitForReceivedFrames(const std::string& path, std::size_t count, Clock::time_point deadline) {
    return waitForFile(
        path, [count](const std::string& text) { return receivedFrames(text) >= count; }, deadline);
}

} // namespace tavrin::test
