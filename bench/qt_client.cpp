// Qt's Modbus RTU client as a peer in the latency and throughput runs, on the same kind of
// slave as ours: a libmodbus slave on a pseudo-terminal, or dlcsim timing a real line.
//   bench_qt latency [transactions]
//   bench_qt throughput [seconds [baud...]]
#include "BenchPort.h"
#include "BenchSupport.h"
#include "Child.h"
#include "LibmodbusSlave.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QModbusDataUnit>
#include <QModbusReply>
#include <QModbusRtuSerialClient>
#include <QSerialPort>
#include <QTimer>
#include <QVariant>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <modbus.h>

namespace {

using namespace tavrin::bench;

// Sends one read after another; `gap` between a reply and the next request (zero: at once).
class Reader {
public:
    Reader(const std::string& path, int baud, int count, double seconds,
           std::chrono::microseconds gap, std::function<void(Reader&)> finished)
        : m_count(count), m_gap(gap), m_done(std::move(finished)) {
        m_client.setConnectionParameter(QModbusDevice::SerialPortNameParameter,
                                        QVariant(QString::fromStdString(path)));
        m_client.setConnectionParameter(QModbusDevice::SerialBaudRateParameter, QVariant(baud));
        m_client.setConnectionParameter(QModbusDevice::SerialParityParameter,
                                        QVariant(QSerialPort::EvenParity));
        m_client.setConnectionParameter(QModbusDevice::SerialDataBitsParameter,
                                        QVariant(QSerialPort::Data8));
        m_client.setConnectionParameter(QModbusDevice::SerialStopBitsParameter,
                                        QVariant(QSerialPort::OneStop));
        m_client.setTimeout(1000);
        m_client.setNumberOfRetries(0);
        m_end = Clock::now() +
                std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    }

    bool start() {
        if (!m_client.connectDevice()) {
            return false;
        }
        m_cpuStart = threadCpu();
        m_wallStart = Clock::now();
        next();
        return true;
    }

    RoundTrips trips;
    int failures = 0;
    long done = 0;
    double cpuSeconds = 0;
    double wallSeconds = 0;
    bool over = false;

private:
    void next() {
        if ((m_count > 0 && done + failures >= m_count) ||
            (m_count == 0 && Clock::now() >= m_end)) {
            cpuSeconds = threadCpu().total() - m_cpuStart.total();
            wallSeconds = std::chrono::duration<double>(Clock::now() - m_wallStart).count();
            m_client.disconnectDevice();
            over = true;
            m_done(*this);
            return;
        }
        const auto sent = Clock::now();
        QModbusReply* reply =
            m_client.sendReadRequest(QModbusDataUnit(QModbusDataUnit::InputRegisters, 0, 2), 1);
        if (reply == nullptr) {
            ++failures;
            schedule();
            return;
        }
        QObject::connect(reply, &QModbusReply::finished, reply, [this, reply, sent] {
            trips.add(Clock::now() - sent);
            if (reply->error() == QModbusDevice::NoError) {
                ++done;
            } else {
                ++failures;
            }
            reply->deleteLater();
            schedule();
        });
    }

    void schedule() {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(m_gap).count();
        QTimer::singleShot(static_cast<int>(ms) + (m_gap.count() % 1000 != 0 ? 1 : 0),
                           Qt::PreciseTimer, [this] { next(); });
    }

    QModbusRtuSerialClient m_client;
    int m_count;
    std::chrono::microseconds m_gap;
    Clock::time_point m_end;
    std::function<void(Reader&)> m_done;
    CpuTime m_cpuStart;
    Clock::time_point m_wallStart;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const std::string mode = argc > 1 ? argv[1] : "latency";
    BenchPorts ports;

    if (mode == "latency") {
        const int count = argc > 2 ? std::atoi(argv[2]) : 2000;
        tavrin::test::LibmodbusSlave slave(ports.path(1), 1);
        slave.map().tab_input_registers[0] = 0x42C8;
        slave.start();
        Reader reader(ports.path(1), 38400, count, 0, kQuietGap, [](Reader& r) {
            printLatency("qt", r.trips, r.cpuSeconds, r.failures);
            QCoreApplication::quit();
        });
        if (!reader.start()) {
            std::fprintf(stderr, "Qt client: cannot open %s\n", ports.path(1).c_str());
            return 1;
        }
        return app.exec();
    }

    const double seconds = argc > 2 ? std::atof(argv[2]) : 5.0;
    std::vector<int> bauds;
    for (int i = 3; i < argc; ++i) {
        bauds.push_back(std::atoi(argv[i]));
    }
    if (bauds.empty()) {
        bauds = {9600, 38400, 115200};
    }
    for (const int baud : bauds) {
        const LineSpec line{baud};
        const std::string log = ports.folder() + "/qt-" + std::to_string(baud) + ".log";
        dlcsim::test::Simulator sim(
            {"--line-timing", "--baud", std::to_string(baud), "--cells", "1"},
            {ports.folder(), ports.name(1), log});
        if (!sim.ready()) {
            std::fprintf(stderr, "dlcsim did not start\n");
            return 1;
        }
        QEventLoop loop;
        Reader reader(sim.link(), baud, 0, seconds, std::chrono::microseconds(0), [&](Reader& r) {
            sim.stop(SIGTERM);
            printThroughput("qt", line, static_cast<double>(r.done) / r.wallSeconds,
                            lineUseInLog(log, line), r.failures,
                            r.done > 0 ? r.cpuSeconds * 1e6 / static_cast<double>(r.done) : 0);
            loop.quit();
        });
        if (!reader.start()) {
            std::fprintf(stderr, "Qt client: cannot open %s\n", sim.link().c_str());
            return 1;
        }
        if (!reader.over) {
            loop.exec();
        }
    }
    return 0;
}
