// What 45 controls on one port cost while nothing is sent: each has done one transaction
// (its communications thread started, the port open: one owner, 44 guests), then the
// process's CPU time and wake-ups over a quiet interval, and the resident memory they added.
//   bench_idle [seconds]
#include "BenchControl.h"
#include "BenchPort.h"
#include "BenchSupport.h"
#include "LibmodbusSlave.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

int main(int argc, char** argv) {
    using namespace tavrin;
    using namespace tavrin::bench;
    constexpr int kControls = 45;
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    BenchPorts ports;
    test::LibmodbusSlave slave(ports.path(1), 1);
    slave.start();

    const long before = residentKib();
    std::vector<std::unique_ptr<BenchControl>> controls;
    int failures = 0;
    for (int i = 0; i < kControls; ++i) {
        controls.push_back(std::make_unique<BenchControl>(ports.prefix(), 1, "38400,E,8,1"));
        failures += controls.back()->refresh() ? 0 : 1;
    }
    const long after = residentKib();

    const CpuTime start = processCpu();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const CpuTime end = processCpu();
    const double cpu = end.total() - start.total();
    const long wakeUps = (end.voluntarySwitches - start.voluntarySwitches) +
                         (end.involuntarySwitches - start.involuntarySwitches);
    // "idle <controls> <seconds> <cpu ms> <% of one core> <wake-ups/s> <failures>"
    std::printf("idle %d %.1f %.2f %.4f %.1f %d\n", kControls, seconds, cpu * 1e3,
                cpu / seconds * 100.0, static_cast<double>(wakeUps) / seconds, failures);
    // "memory <controls> <KiB added> <KiB per control>"
    std::printf("memory %d %ld %.1f\n", kControls, after - before,
                static_cast<double>(after - before) / kControls);
    return 0;
}
