// Back-to-back reads of two input registers against dlcsim timing a real 38400 baud 8E1 line,
// by our port session and by the libmodbus master, each on a simulator of its own whose frame
// log gives the smallest gap between frames.
//   bench_throughput [seconds]
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

const std::vector<std::string> kLine = {"--line-timing", "--baud", "38400", "--cells", "1"};

template <class Transaction>
void measure(const BenchPorts& ports, int number, const std::string& who, double seconds,
             Transaction transaction) {
    const std::string log = ports.folder() + "/" + who + ".log";
    dlcsim::test::Simulator sim(kLine, {ports.folder(), ports.name(number), log});
    if (!sim.ready()) {
        std::fprintf(stderr, "dlcsim did not start: %s\n", sim.readyLine().c_str());
        return;
    }
    long done = 0;
    int failures = 0;
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
    sim.stop(SIGTERM);
    const Gaps gaps = gapsInLog(log);
    printThroughput(who, static_cast<double>(done) / elapsed, gaps.smallestMs, gaps.frames,
                    failures);
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    BenchPorts ports;

    {
        PortSession session;
        const PortSettings where{ports.prefix(), 1, "38400,E,8,1"};
        Transaction t;
        t.request.function = 4;
        t.request.nodeAddress = "1";
        t.request.memStart = "30001";
        t.request.memQty = 2;
        t.timeoutTrans = 1000;
        measure(ports, 1, "ours", seconds, [&](const std::string&) {
            DataArea data;
            std::int16_t qty = 2;
            return session.run(where, t, data, qty) == 0;
        });
    }

    modbus_t* master = nullptr;
    measure(ports, 2, "libmodbus", seconds, [&](const std::string& link) {
        if (master == nullptr) {
            master = modbus_new_rtu(link.c_str(), 38400, 'E', 8, 1);
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
    return 0;
}
