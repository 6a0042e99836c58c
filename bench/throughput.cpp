// Back-to-back reads of two input registers against dlcsim timing a real 8E1 line, at 9600,
// 38400 and 115200 baud: our control (AsyncRefresh to Complete), our port session and the
// libmodbus master, each on a simulator of its own, whose frame log gives the smallest gap
// between frames and the line's limit for the frames of the run.
//   bench_throughput [seconds [baud...]]
#include "BenchControl.h"
#include "BenchPort.h"
#include "BenchSupport.h"
#include "Child.h"
#include "engine/PortSession.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <modbus.h>

namespace {

using namespace tavrin;
using namespace tavrin::bench;

template <class Transaction>
void measure(const BenchPorts& ports, int number, const std::string& who, const LineSpec& line,
             double seconds, Transaction transaction) {
    const std::string log = ports.folder() + "/" + who + "-" + std::to_string(line.baud) + ".log";
    dlcsim::test::Simulator sim(
        {"--line-timing", "--baud", std::to_string(line.baud), "--cells", "1"},
        {ports.folder(), ports.name(number), log});
    if (!sim.ready()) {
        std::fprintf(stderr, "dlcsim did not start: %s\n", sim.readyLine().c_str());
        return;
    }
    long done = 0;
    int failures = 0;
    const double cpuBefore = processCpu().total();
    const auto start = Clock::now();
    const auto end =
        start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    while (Clock::now() < end) {
        if (transaction(sim.link())) {
            ++done;
        } else {
            ++failures;
        }
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = processCpu().total() - cpuBefore;
    sim.stop(SIGTERM);
    printThroughput(who, line, static_cast<double>(done) / elapsed, lineUseInLog(log, line),
                    failures, done > 0 ? cpu * 1e6 / static_cast<double>(done) : 0);
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    std::vector<int> bauds;
    for (int i = 2; i < argc; ++i) {
        bauds.push_back(std::atoi(argv[i]));
    }
    if (bauds.empty()) {
        bauds = {9600, 38400, 115200};
    }
    BenchPorts ports;
    for (const int baud : bauds) {
        const LineSpec line{baud};
        {
            BenchControl control(ports.prefix(), 3, line.settings());
            measure(ports, 3, "control", line, seconds,
                    [&](const std::string&) { return control.refresh(); });
        }
        {
            PortSession session;
            const PortSettings where{ports.prefix(), 1, line.settings()};
            Transaction t;
            t.request.function = 4;
            t.request.nodeAddress = "1";
            t.request.memStart = "30001";
            t.request.memQty = 2;
            t.timeoutTrans = 1000;
            measure(ports, 1, "session", line, seconds, [&](const std::string&) {
                DataArea data;
                std::int16_t qty = 2;
                return session.run(where, t, data, qty) == 0;
            });
        }
        modbus_t* master = nullptr;
        measure(ports, 2, "libmodbus", line, seconds, [&](const std::string& link) {
            if (master == nullptr) {
                master = modbus_new_rtu(link.c_str(), baud, 'E', 8, 1);
                if (master == nullptr || modbus_set_slave(master, 1) != 0 ||
                    modbus_connect(master) != 0) {
                    return false;
                }
                modbus_set_response_timeout(master, 1, 0);
            }
            std::uint16_t regs[2];
            return modbus_read_input_registers(master, 0, 2, regs) == 2;
        });
        if (master != nullptr) {
            modbus_close(master);
            modbus_free(master);
        }
    }
    return 0;
}
