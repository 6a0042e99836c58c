#include "EngineTestSupport.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <modbus.h>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace tavrin::test {

PortSettings portSettings(const PortsFolder& folder, int number, const std::string& comm) {
    return PortSettings{folder.prefix(), number, comm};
}

TransactionProperties transaction(std::int32_t function, const std::string& node,
                                  const std::string& memStart, std::int16_t qty,
                                  std::int16_t timeoutMs) {
    TransactionProperties t;
    t.request.function = function;
    t.request.nodeAddress = node;
    t.request.memStart = memStart;
    t.request.memQty = qty;
    t.timeoutTrans = timeoutMs;
    return t;
}

TransactionProperties readValue(const std::string& node, std::int16_t timeoutMs) {
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

std::size_t receivedFrames(const std::string& path) {
    std::ifstream in(path);
    std::size_t count = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.find(" rx ") != std::string::npos) {
            ++count;
        }
    }
    return count;
}

} // namespace

bool waitForReceivedFrames(const std::string& path, std::size_t count, Clock::time_point deadline) {
    UniqueFd watch(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK));
    if (!watch.valid() || ::inotify_add_watch(watch.get(), path.c_str(), IN_MODIFY) < 0) {
        return false;
    }
    // Counted after the watch is in place, so that no write falls between count and wait.
    while (receivedFrames(path) < count) {
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

LibmodbusSlave::LibmodbusSlave(PortsFolder& folder, int number, int id)
    : m_heldSlave(::open(m_pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)),
      m_stop(::eventfd(0, EFD_CLOEXEC)) {
    folder.link(number, m_pty.slavePath());
    // No modbus_connect: the context talks through the pty's master side, which has no line
    // settings of its own (the port on the slave side sets them).
    m_ctx = modbus_new_rtu(m_pty.slavePath().c_str(), 38400, 'E', 8, 1);
    m_map = modbus_mapping_new(64, 64, 64, 64);
    if (m_ctx == nullptr || m_map == nullptr || !m_stop.valid() || !m_heldSlave.valid() ||
        modbus_set_socket(m_ctx, m_pty.masterFd()) != 0 || modbus_set_slave(m_ctx, id) != 0) {
        throw std::runtime_error("libmodbus slave");
    }
}

LibmodbusSlave::~LibmodbusSlave() {
    stop();
    modbus_mapping_free(m_map);
    modbus_free(m_ctx); // the pty closes its own master
}

void LibmodbusSlave::start() {
    m_thread = std::thread([this] { serve(); });
}

void LibmodbusSlave::stop() {
    if (m_thread.joinable()) {
        const std::uint64_t one = 1;
        if (::write(m_stop.get(), &one, sizeof one) != sizeof one) {
            std::perror("stop the slave");
        }
        m_thread.join();
    }
}

void LibmodbusSlave::serve() {
    std::uint8_t query[MODBUS_RTU_MAX_ADU_LENGTH];
    for (;;) {
        pollfd fds[2] = {{m_pty.masterFd(), POLLIN, 0}, {m_stop.get(), POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[1].revents != 0) {
            return;
        }
        // A request for another slave id reads as 0 and gets no answer, like on a real bus.
        const int length = modbus_receive(m_ctx, query);
        if (length > 0 && modbus_reply(m_ctx, query, length, m_map) >= 0) {
            ++m_served;
        }
    }
}

} // namespace tavrin::test
