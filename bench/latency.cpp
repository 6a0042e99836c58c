// Round trip of one transaction (function 4, two input registers) against a libmodbus slave
// on a pseudo-terminal, each started once the line has been quiet long enough: our control
// (AsyncRefresh to Complete on the host thread, the exchange on its communications thread),
// our port session transacting from the calling thread, and the libmodbus master.
//   bench_latency [transactions]
#include "BenchControl.h"
#include "BenchPort.h"
#include "BenchSupport.h"
#include "LibmodbusSlave.h"
#include "engine/PortSession.h"

#include <cstdlib>
#include <functional>
#include <modbus.h>
#include <thread>

namespace {

using namespace tavrin;
using namespace tavrin::bench;

constexpr int kWarmUp = 50;

// `cpu`: the CPU seconds the master has used so far.
template <class Transaction>
void measure(const std::string& who, int count, const std::function<double()>& cpu,
             Transaction transaction) {
    for (int i = 0; i < kWarmUp; ++i) {
        transaction();
    }
    RoundTrips trips;
    int failures = 0;
    auto lastEnd = Clock::now();
    const double before = cpu();
    for (int i = 0; i < count; ++i) {
        std::this_thread::sleep_until(lastEnd + kQuietGap);
        const auto start = Clock::now();
        const bool ok = transaction();
        lastEnd = Clock::now();
        trips.add(lastEnd - start);
        failures += ok ? 0 : 1;
    }
    printLatency(who, trips, cpu() - before, failures);
}

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 2000;
    BenchPorts ports;
    test::LibmodbusSlave slave(ports.path(1), 1);
    slave.map().tab_input_registers[0] = 0x42C8; // 100.0f
    slave.start();
    const std::string settings = "38400,E,8,1";
    const auto callingThread = [] { return threadCpu().total(); };

    {
        // Both of the control's threads count: the whole process less the slave's thread.
        BenchControl control(ports.prefix(), 1, settings);
        measure(
            "control", count, [&] { return processCpu().total() - slave.cpuSeconds(); },
            [&] { return control.refresh(); });
    }

    {
        PortSession session;
        const PortSettings where{ports.prefix(), 1, settings};
        Transaction t;
        t.request.function = 4;
        t.request.nodeAddress = "1";
        t.request.memStart = "30001";
        t.request.memQty = 2;
        t.timeoutTrans = 1000;
        measure("session", count, callingThread, [&] {
            DataArea data;
            std::int16_t qty = 2;
            return session.run(where, t, data, qty) == 0;
        });
    }

    modbus_t* master = modbus_new_rtu(ports.path(1).c_str(), 38400, 'E', 8, 1);
    if (master == nullptr || modbus_set_slave(master, 1) != 0 || modbus_connect(master) != 0) {
        std::perror("libmodbus master");
        return 1;
    }
    modbus_set_response_timeout(master, 1, 0);
    measure("libmodbus", count, callingThread, [&] {
        std::uint16_t regs[2];
        return modbus_read_input_registers(master, 0, 2, regs) == 2;
    });
    modbus_close(master);
    modbus_free(master);
    return 0;
}
