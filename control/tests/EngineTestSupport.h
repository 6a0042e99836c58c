// Fixtures for the engine tests: the simulated bus placed in a test's ports folder and the
// transactions the tests run (the independent slave is LibmodbusSlave.h).
#ifndef TAVRIN_TESTS_ENGINETESTSUPPORT_H
#define TAVRIN_TESTS_ENGINETESTSUPPORT_H

#include "Child.h"
#include "LibmodbusSlave.h"
#include "PortTestSupport.h"
#include "engine/PortSettings.h"
#include "engine/Transaction.h"
#include "portshare/UniqueFd.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tavrin::test {

// dlcsim's default line, which the simulator keeps whatever a pty's master asks for.
inline const std::string kBusSettings = "38400,E,8,1";

PortSettings portSettings(const PortsFolder& folder, int number,
                          const std::string& comm = kBusSettings);

// Function 4 from 30001, two registers: a cell's measured value.
Transaction readValue(const std::string& node, std::int16_t timeoutMs = 1000);
Transaction transaction(std::int32_t function, const std::string& node, const std::string& memStart,
                        std::int16_t qty, std::int16_t timeoutMs = 1000);

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

// Sleeps until `done` holds for the content of the file at `path` (which must exist), woken by
// the file's changes; false at the deadline.
bool waitForFile(const std::string& path, const std::function<bool(const std::string&)>& done,
                 Clock::time_point deadline);

// Sleeps until the frame log at `path` holds at least `count` received (rx) frames; false at
// the deadline.
bool waitForReceivedFrames(const std::string& path, std::size_t count, Clock::time_point deadline);

} // namespace tavrin::test

#endif
