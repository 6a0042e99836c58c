// What 45 port sessions on one port cost while nothing is sent: CPU time and wake-ups of the
// process over a quiet interval, and the resident memory they added.
//   bench_idle [seconds]
#include "BenchPort.h"
#include "BenchSupport.h"
#include "LibmodbusSlave.h"
#include "engine/PortSession.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

int main(int argc, char** argv) {
    using namespace tavrin;
    using namespace tavrin::bench;
    constexpr int kSessions = 45;
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    BenchPorts ports;
    test::LibmodbusSlave slave(ports.path(1), 1);
    slave.start();

    const long before = residentKib();
    std::vector<std::unique_ptr<PortSession>> sessions;
    const PortSettings where{ports.prefix(), 1, "38400,E,8,1"};
    Transaction t;
    t.request.function = 4;
    t.request.nodeAddress = "1";
    t.request.memStart = "30001";
    t.request.memQty = 2;
    int failures = 0;
    for (int i = 0; i < kSessions; ++i) {
        // One transaction each: the port is open (one owner, 44 guests), host threads running.
        sessions.push_back(std::make_unique<PortSession>());
        DataArea data;
        std::int16_t qty = 2;
        failures += sessions.back()->run(where, t, data, qty) == 0 ? 0 : 1;
    }
    const long after = residentKib();

    const CpuTime start = processCpu();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const CpuTime end = processCpu();
    const double cpu = end.total() - start.total();
    const long wakeUps = (end.voluntarySwitches - start.voluntarySwitches) +
                         (end.involuntarySwitches - start.involuntarySwitches);
    // "idle <sessions> <seconds> <cpu ms> <% of one core> <wake-ups/s> <failures>"
    std::printf("idle %d %.1f %.2f %.4f %.1f %d\n", kSessions, seconds, cpu * 1e3,
                cpu / seconds * 100.0, static_cast<double>(wakeUps) / seconds, failures);
    // "memory <sessions> <KiB added> <KiB per session>"
    std::printf("memory %d %ld %.1f\n", kSessions, after - before,
                static_cast<double>(after - before) / kSessions);
    return 0;
}
