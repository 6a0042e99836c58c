// Fixtures for the engine tests: the simulated bus placed in a test's ports folder, an
// independent slave (libmodbus) on a pseudo-terminal, and the transactions the tests run.
#ifndef TAVRIN_TESTS_ENGINETESTSUPPORT_H
#define TAVRIN_TESTS_ENGINETESTSUPPORT_H

#include "Child.h"
#include "PortTestSupport.h"
#include "engine/TransactionProperties.h"
#include "portshare/UniqueFd.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

struct _modbus;
struct _modbus_mapping_t;

namespace tavrin::test {

// dlcsim's default line, which the simulator keeps whatever a pty's master asks for.
inline const std::string kBusSettings = "38400,E,8,1";

PortSettings portSettings(const PortsFolder& folder, int number,
                          const std::string& comm = kBusSettings);

// Function 4 from 30001, two registers: a cell's measured value.
TransactionProperties readValue(const std::string& node, std::int16_t timeoutMs = 1000);
TransactionProperties transaction(std::int32_t function, const std::string& node,
                                  const std::string& memStart, std::int16_t qty,
                                  std::int16_t timeoutMs = 1000);

// dlcsim serving <prefix><number> in the folder, its frame log beside the links.
dlcsim::test::Placement placementIn(const PortsFolder& folder, int number);

// The counters of dlcsim's closing line.
struct BusSummary {
    unsigned long received = 0;
    unsigned long answered = 0;
    unsigned long broadcasts = 0;
    unsigned long bad = 0;
};
std::optional<BusSummary> parseSummary(const std::string& output);

// Sleeps until the frame log at `path` holds at least `count` received (rx) frames, woken by
// the file's changes; false at the deadline.
bool waitForReceivedFrames(const std::string& path, std::size_t count, Clock::time_point deadline);

// libmodbus answering as slave `id` on the master side of a pty linked as <prefix><number>.
// The registers are set before start(); the thread only serves.
class LibmodbusSlave {
public:
    LibmodbusSlave(PortsFolder& folder, int number, int id);
    ~LibmodbusSlave();
    LibmodbusSlave(const LibmodbusSlave&) = delete;
    LibmodbusSlave& operator=(const LibmodbusSlave&) = delete;

    _modbus_mapping_t& map() { return *m_map; }
    void start();
    void stop();
    unsigned long served() const { return m_served.load(); }

private:
    void serve();

    PtyPair m_pty;
    UniqueFd m_heldSlave; // keeps the master from reporting a hang-up while no port is open
    _modbus* m_ctx = nullptr;
    _modbus_mapping_t* m_map = nullptr;
    UniqueFd m_stop;
    std::atomic<unsigned long> m_served{0};
    std::thread m_thread;
};

} // namespace tavrin::test

#endif
