// Round trip of one transaction (function 4, two input registers) against a libmodbus slave
// on a pseudo-terminal, each started once the line has been quiet long enough: our port
// session from the calling thread, and the libmodbus master.
//   bench_latency [transactions]
#include "BenchPort.h"
#include "BenchSupport.h"
#include "LibmodbusSlave.h"
#include "engine/PortSession.h"

#include <cstdlib>
#include <modbus.h>
#include <thread>

namespace {

using namespace tavrin;
using namespace tavrin::bench;

constexpr int kWarmUp = 50;

template <class Transaction>
void measure(const std::string& who, int count, Transaction transaction) {
    for (int i = 0; i < kWarmUp; ++i) {
        transaction();
    }
    RoundTrips trips;
    int failures = 0;
    auto lastEnd = Clock::now();
    const CpuTime before = threadCpu();
    for (int i = 0; i < count; ++i) {
        std::this_thread::sleep_until(lastEnd + kQuietGap);
        const auto start = Clock::now();
        const bool ok = transaction();
        lastEnd = Clock::now();
        trips.add(lastEnd - start);
        failures += ok ? 0 : 1;
    }
    printLatency(who, trips, threadCpu().total() - before.total(), failures);
}

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 2000;
    BenchPorts ports;
    test::LibmodbusSlave slave(ports.path(1), 1);
    slave.map().tab_input_registers[0] = 0x42C8; // 100.0f
    slave.start();

    {
        PortSession session;
        const PortSettings where{ports.prefix(), 1, "38400,E,8,1"};
        Transaction t;
        t.request.function = 4;
        t.request.nodeAddress = "1";
        t.request.memStart = "30001";
        t.request.memQty = 2;
        t.timeoutTrans = 1000;
        measure("ours", count, [&] {
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
    measure("libmodbus", count, [&] {
        std::uint16_t regs[2];
        return modbus_read_input_registers(master, 0, 2, regs) == 2;
    });
    modbus_close(master);
    modbus_free(master);
    return 0;
}
