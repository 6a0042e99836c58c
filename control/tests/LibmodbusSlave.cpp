#include "LibmodbusSlave.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <modbus.h>
#include <poll.h>
#include <pthread.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <unistd.h>

namespace tavrin::test {

LibmodbusSlave::LibmodbusSlave(const std::string& linkPath, int id)
    : m_link(linkPath), m_master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)),
      m_stop(::eventfd(0, EFD_CLOEXEC)) {
    char name[128];
    if (!m_master.valid() || ::grantpt(m_master.get()) != 0 || ::unlockpt(m_master.get()) != 0 ||
        ::ptsname_r(m_master.get(), name, sizeof name) != 0) {
        throw std::runtime_error("libmodbus slave: no pseudo-terminal");
    }
    m_heldSlave.reset(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
    std::error_code ignored;
    std::filesystem::remove(m_link, ignored);
    std::filesystem::create_symlink(name, m_link);
    // No modbus_connect: the context talks through the pty's master side, which has no line
    // settings of its own (the port on the slave side sets them).
    m_ctx = modbus_new_rtu(name, 38400, 'E', 8, 1);
    m_map = modbus_mapping_new(64, 64, 64, 64);
    if (m_ctx == nullptr || m_map == nullptr || !m_stop.valid() || !m_heldSlave.valid() ||
        modbus_set_socket(m_ctx, m_master.get()) != 0 || modbus_set_slave(m_ctx, id) != 0) {
        throw std::runtime_error("libmodbus slave");
    }
}

LibmodbusSlave::~LibmodbusSlave() {
    stop();
    modbus_mapping_free(m_map);
    modbus_free(m_ctx); // the master descriptor is ours to close
    std::error_code ignored;
    std::filesystem::remove(m_link, ignored);
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

double LibmodbusSlave::cpuSeconds() {
    clockid_t clock{};
    timespec t{};
    if (!m_thread.joinable() || ::pthread_getcpuclockid(m_thread.native_handle(), &clock) != 0 ||
        ::clock_gettime(clock, &t) != 0) {
        return 0;
    }
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void LibmodbusSlave::serve() {
    std::uint8_t query[MODBUS_RTU_MAX_ADU_LENGTH];
    for (;;) {
        pollfd fds[2] = {{m_master.get(), POLLIN, 0}, {m_stop.get(), POLLIN, 0}};
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
        // Counted before the reply goes out: the master may finish its transaction and read
        // the count before this thread gets the processor back after the write.
        const int length = modbus_receive(m_ctx, query);
        if (length > 0) {
            ++m_served;
            if (modbus_reply(m_ctx, query, length, m_map) < 0) {
                std::perror("libmodbus slave reply");
            }
        }
    }
}

} // namespace tavrin::test
