// An independent Modbus RTU slave for tests and benchmarks: libmodbus answering on the
// master side of a pseudo-terminal whose slave side is linked where a port looks for it.
#ifndef TAVRIN_TESTS_LIBMODBUSSLAVE_H
#define TAVRIN_TESTS_LIBMODBUSSLAVE_H

#include "portshare/UniqueFd.h"

#include <atomic>
#include <string>
#include <thread>

struct _modbus;
struct _modbus_mapping_t;

namespace tavrin::test {

// Serves slave id `id` on its own thread once started; the registers are set before start().
class LibmodbusSlave {
public:
    // Creates the pty and the symbolic link `linkPath` to its slave side (replacing one).
    LibmodbusSlave(const std::string& linkPath, int id);
    ~LibmodbusSlave(); // stops, removes the link
    LibmodbusSlave(const LibmodbusSlave&) = delete;
    LibmodbusSlave& operator=(const LibmodbusSlave&) = delete;

    _modbus_mapping_t& map() { return *m_map; }
    void start();
    void stop();
    // Requests for this slave received so far, each counted before its reply is sent.
    unsigned long served() const { return m_served.load(); }
    // CPU time of the serving thread so far, in seconds (0 when not started): what a
    // benchmark sharing the process with the slave subtracts.
    double cpuSeconds();

private:
    void serve();

    std::string m_link;
    UniqueFd m_master;
    UniqueFd m_heldSlave; // keeps the master from reporting a hang-up while no port is open
    UniqueFd m_stop;
    _modbus* m_ctx = nullptr;
    _modbus_mapping_t* m_map = nullptr;
    std::atomic<unsigned long> m_served{0};
    std::thread m_thread;
};

} // namespace tavrin::test

#endif
