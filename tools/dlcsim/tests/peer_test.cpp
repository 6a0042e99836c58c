// The running simulator against independent masters: libmodbus and mbpoll.
#include "Child.h"

#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <modbus.h>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace dlcsim::test {
namespace {

struct ModbusFree {
    void operator()(modbus_t* ctx) const {
        modbus_close(ctx);
        modbus_free(ctx);
    }
};
using Modbus = std::unique_ptr<modbus_t, ModbusFree>;

// A libmodbus RTU master on the simulator's link, 38400 8E1 like the simulator's default.
// The simulator puts the line back as it was at the start when it sees a master close, a
// moment after close() returned: a master opening within that moment still finds the last
// one's exclusive flag (EBUSY) or its line settings, against which a pty refuses the new
// parity (EINVAL). A test that reconnects at once waits that moment out.
Modbus connect(const Simulator& sim, double timeoutSeconds = 1.0) {
    Modbus ctx(modbus_new_rtu(sim.link().c_str(), 38400, 'E', 8, 1));
    if (!ctx) {
        return nullptr;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (modbus_connect(ctx.get()) != 0) {
        if ((errno != EBUSY && errno != EINVAL) || std::chrono::steady_clock::now() > deadline) {
            return nullptr;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    const auto seconds = static_cast<std::uint32_t>(timeoutSeconds);
    const auto micros = static_cast<std::uint32_t>((timeoutSeconds - seconds) * 1e6);
    modbus_set_response_timeout(ctx.get(), seconds, micros);
    return ctx;
}

// Reads 30001-30002 of `address`: a float, high word first. NaN when the read fails.
float readValue(modbus_t* ctx, int address) {
    std::uint16_t regs[2] = {};
    modbus_set_slave(ctx, address);
    if (modbus_read_input_registers(ctx, 0, 2, regs) != 2) {
        return NAN;
    }
    return modbus_get_float_abcd(regs);
}

int readFails(modbus_t* ctx, int address) {
    std::uint16_t regs[2] = {};
    modbus_set_slave(ctx, address);
    return modbus_read_input_registers(ctx, 0, 2, regs) == 2 ? 0 : errno;
}

// This libmodbus waits for a reply even to a broadcast; a slave must never send one, so
// the wait ends in a time-out, which is what the helper checks. Returns errno.
template <typename Send>
int broadcast(modbus_t* ctx, Send send) {
    std::uint32_t s = 0;
    std::uint32_t us = 0;
    modbus_get_response_timeout(ctx, &s, &us);
    modbus_set_response_timeout(ctx, 0, 200000);
    modbus_set_slave(ctx, MODBUS_BROADCAST_ADDRESS);
    const int rc = send(ctx);
    const int error = rc < 0 ? errno : 0;
    modbus_set_response_timeout(ctx, s, us);
    return error;
}

int sync(modbus_t* ctx) {
    return broadcast(ctx, [](modbus_t* c) { return modbus_write_bit(c, 0, 1); });
}

std::string readText(modbus_t* ctx, int address, int start) {
    std::uint16_t regs[20] = {};
    modbus_set_slave(ctx, address);
    if (modbus_read_input_registers(ctx, start, 20, regs) != 20) {
        return "(failed)";
    }
    std::string text;
    for (std::uint16_t r : regs) {
        text += static_cast<char>(r >> 8);
        text += static_cast<char>(r & 0xFF);
    }
    return text;
}

std::string padded(std::string text) {
    text.resize(40, ' ');
    return text;
}

TEST(PeerLibmodbus, ReadsTheMeasuredValueOfEachCell) {
    Simulator sim({"--cells", "4", "--value", "1.5,-2.25,300,0.125"});
    ASSERT_TRUE(sim.ready()) << sim.readyLine();
    EXPECT_EQ(sim.readyLine(), "dlcsim: COM5 -> " + sim.pts());
    EXPECT_EQ(std::filesystem::read_symlink(sim.link()), sim.pts());
    Modbus ctx = connect(sim);
    ASSERT_TRUE(ctx);
    const float expected[] = {1.5F, -2.25F, 300.0F, 0.125F};
    for (int address = 1; address <= 4; ++address) {
        EXPECT_EQ(readValue(ctx.get(), address), expected[address - 1]) << address;
    }
}

TEST(PeerLibmodbus, ReadsModelAndMakerTexts) {
    Simulator sim({"--cells", "2", "--model", "LC-77 TEST", "--maker", "Bench Works"});
    ASSERT_TRUE(sim.ready());
    Modbus ctx = connect(sim);
    ASSERT_TRUE(ctx);
    EXPECT_EQ(readText(ctx.get(), 2, 7), padded("LC-77 TEST"));
    EXPECT_EQ(readText(ctx.get(), 2, 27), padded("Bench Works"));
}

TEST(PeerLibmodbus, AssignmentMovesOnlyTheCellWithTheSerial) {
    Simulator sim({"--cells", "3", "--serials", "1001,70000,1003", "--addresses", "1,2,0"});
    ASSERT_TRUE(sim.ready());
    Modbus ctx = connect(sim, 0.3);
    ASSERT_TRUE(ctx);
    // Serial 70000 = 0x00011170: high word 0x0001, low word 0x1170.
    const std::uint16_t words[3] = {9, 0x0001, 0x1170};
    EXPECT_EQ(
        broadcast(ctx.get(), [&](modbus_t* c) { return modbus_write_registers(c, 0, 3, words); }),
        ETIMEDOUT);
    std::uint16_t regs[3] = {};
    modbus_set_slave(ctx.get(), 9);
    ASSERT_EQ(modbus_read_registers(ctx.get(), 0, 3, regs), 3);
    EXPECT_EQ(regs[0], 9);
    EXPECT_EQ(regs[1], 0x0001);
    EXPECT_EQ(regs[2], 0x1170);
    EXPECT_EQ(readFails(ctx.get(), 2), ETIMEDOUT);
    modbus_set_slave(ctx.get(), 1);
    ASSERT_EQ(modbus_read_registers(ctx.get(), 0, 1, regs), 1);
    EXPECT_EQ(regs[0], 1);

    // The cell without an address takes one too, by its serial number.
    const std::uint16_t third[3] = {3, 0, 1003};
    EXPECT_EQ(
        broadcast(ctx.get(), [&](modbus_t* c) { return modbus_write_registers(c, 0, 3, third); }),
        ETIMEDOUT);
    modbus_set_slave(ctx.get(), 3);
    ASSERT_EQ(modbus_read_input_registers(ctx.get(), 5, 2, regs), 2);
    EXPECT_EQ(regs[1], 1003);
}

TEST(PeerLibmodbus, SynchronisationLatchesOneInstantForAllCells) {
    // Ramps: cell k reads 100k + k t, so each latched value tells its instant t.
    Simulator sim({"--cells", "2", "--motion", "ramp"});
    ASSERT_TRUE(sim.ready());
    Modbus ctx = connect(sim);
    ASSERT_TRUE(ctx);
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(sync(ctx.get()), ETIMEDOUT);
        const float v1 = readValue(ctx.get(), 1);
        const float v2 = readValue(ctx.get(), 2);
        const double t1 = v1 - 100.0;
        const double t2 = (v2 - 200.0) / 2.0;
        EXPECT_NEAR(t1, t2, 1e-3) << round; // float resolution near 200 is 1.5e-5
        EXPECT_EQ(readValue(ctx.get(), 1), v1) << round;
        EXPECT_EQ(readValue(ctx.get(), 2), v2) << round;
        std::uint16_t status = 0;
        modbus_set_slave(ctx.get(), 1);
        ASSERT_EQ(modbus_read_input_registers(ctx.get(), 2, 1, &status), 1);
        EXPECT_EQ(status & 1, 1);
    }
}

TEST(PeerLibmodbus, MasterCanReconnectManyTimes) {
    Simulator sim({"--cells", "1", "--value", "7"});
    ASSERT_TRUE(sim.ready());
    for (int i = 0; i < 3; ++i) {
        Modbus ctx = connect(sim);
        ASSERT_TRUE(ctx) << i;
        // A master that asked for exclusive use must not lock out the next one.
        ioctl(modbus_get_socket(ctx.get()), TIOCEXCL);
        int exclusive = 0;
        EXPECT_EQ(readValue(ctx.get(), 1), 7.0F) << i;
        ctx.reset();
        Modbus next = connect(sim);
        ASSERT_TRUE(next);
        EXPECT_EQ(readValue(next.get(), 1), 7.0F) << i;
        ASSERT_EQ(ioctl(modbus_get_socket(next.get()), TIOCGEXCL, &exclusive), 0);
        EXPECT_EQ(exclusive, 0) << i;
    }
}

struct FaultCase {
    const char* name;
    std::vector<std::string> args;
    int cell1Error; // errno of reading cell 1, 0 for success
    int cell2Error;
};

// Error numbers as libmodbus reports them for each kind of failed reply.
const FaultCase kFaults[] = {
    {"drop one cell", {"--fault", "cell=2:drop=1"}, 0, ETIMEDOUT},
    {"crc", {"--fault", "crc=1"}, EMBBADCRC, EMBBADCRC},
    {"exception", {"--fault", "exception=6:1"}, EMBXSBUSY, EMBXSBUSY},
    {"never", {"--fault", "drop=0", "--fault", "crc=0"}, 0, 0},
};

TEST(PeerLibmodbus, FaultsDoWhatTheySay) {
    for (const FaultCase& f : kFaults) {
        std::vector<std::string> args{"--cells", "2", "--value", "5"};
        args.insert(args.end(), f.args.begin(), f.args.end());
        Simulator sim(args);
        ASSERT_TRUE(sim.ready()) << f.name;
        Modbus ctx = connect(sim, 0.3);
        ASSERT_TRUE(ctx);
        EXPECT_EQ(readFails(ctx.get(), 1), f.cell1Error) << f.name;
        modbus_flush(ctx.get());
        EXPECT_EQ(readFails(ctx.get(), 2), f.cell2Error) << f.name;
    }
}

TEST(PeerLibmodbus, GarbageSpoilsTheReplyForAStrictMaster) {
    Simulator sim({"--cells", "1", "--fault", "garbage=1"});
    ASSERT_TRUE(sim.ready());
    Modbus ctx = connect(sim, 0.3);
    ASSERT_TRUE(ctx);
    EXPECT_NE(readFails(ctx.get(), 1), 0);
    EXPECT_NE(sim.log().find("[fault noise"), std::string::npos) << sim.log();
}

TEST(PeerLibmodbus, DelayedReplyComesLate) {
    Simulator sim({"--cells", "1", "--value", "3", "--fault", "delay=400"});
    ASSERT_TRUE(sim.ready());
    Modbus patient = connect(sim, 5.0);
    ASSERT_TRUE(patient);
    EXPECT_EQ(readValue(patient.get(), 1), 3.0F);
    patient.reset();
    Modbus hasty = connect(sim, 0.1);
    ASSERT_TRUE(hasty);
    EXPECT_EQ(readFails(hasty.get(), 1), ETIMEDOUT);
}

TEST(PeerLibmodbus, BadInputIsIgnoredAndServingGoesOn) {
    Simulator sim({"--cells", "1", "--value", "4"});
    ASSERT_TRUE(sim.ready());
    {
        // Noise, a cut frame, a frame with a bad CRC and an oversized run of bytes.
        const int fd = open(sim.pts().c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(fd, 0);
        const std::vector<std::uint8_t> junk(600, 0x5A);
        const std::uint8_t badCrc[] = {1, 4, 0, 0, 0, 2, 0x71, 0xCC};
        EXPECT_EQ(write(fd, junk.data(), junk.size()), 600);
        EXPECT_EQ(write(fd, badCrc, sizeof badCrc), 8);
        close(fd);
    }
    Modbus ctx = connect(sim);
    ASSERT_TRUE(ctx);
    // The first request may still be swallowed by the silence the junk needs to end.
    float v = readValue(ctx.get(), 1);
    if (std::isnan(v)) {
        modbus_flush(ctx.get());
        v = readValue(ctx.get(), 1);
    }
    EXPECT_EQ(v, 4.0F);
}

// The running simulator times the line as a wire: a broadcast and a request written in one go
// reach it at once, but on the wire the request only begins when the broadcast is whole, with
// no silence between them, and the log says so; the reply waits its turnaround.
TEST(PeerLineTiming, RequestWrittenWithoutSilenceIsMarkedInTheLog) {
    Simulator sim({"--line-timing", "--baud", "9600", "--cells", "1", "--value", "4"});
    ASSERT_TRUE(sim.ready());
    const int fd = open(sim.pts().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    const std::uint8_t both[] = {0x00, 0x05, 0x00, 0x00, 0xFF, 0x00, 0x8D, 0xEB,  // sync
                                 0x01, 0x04, 0x00, 0x00, 0x00, 0x02, 0x71, 0xCB}; // read
    ASSERT_EQ(write(fd, both, sizeof both), 16);
    std::vector<std::uint8_t> reply;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (reply.size() < 9 && std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, 100);
        std::uint8_t buffer[16];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) {
            reply.insert(reply.end(), buffer, buffer + n);
        }
    }
    close(fd);
    EXPECT_EQ(reply.size(), 9U);
    sim.stop(SIGTERM);

    struct Line {
        double first, last;
        std::string direction, verdict;
    };
    std::vector<Line> lines;
    std::istringstream log(sim.log());
    for (std::string text; std::getline(log, text);) {
        Line l;
        std::istringstream(text) >> l.first >> l.last >> l.direction;
        l.verdict = text.substr(text.rfind(" | ") + 3);
        lines.push_back(l);
    }
    ASSERT_EQ(lines.size(), 3U) << sim.log();
    constexpr double kChar = 11.0 / 9600; // seconds
    EXPECT_NEAR(lines[0].last - lines[0].first, 8 * kChar, 2e-6);
    EXPECT_EQ(lines[0].verdict.find("short silence"), std::string::npos) << lines[0].verdict;
    EXPECT_NEAR(lines[1].first, lines[0].last, 2e-6);
    EXPECT_NEAR(lines[1].last - lines[1].first, 8 * kChar, 2e-6);
    EXPECT_NE(lines[1].verdict.find("[short silence 0.000 ms]"), std::string::npos)
        << lines[1].verdict;
    EXPECT_EQ(lines[2].direction, "tx");
    EXPECT_GE(lines[2].first - lines[1].last, 3.5 * kChar - 2e-6);
    EXPECT_GE(lines[2].last - lines[2].first, 9 * kChar - 2e-6);
}

TEST(PeerLibmodbus, StopPrintsTheSummaryAndRemovesTheLink) {
    for (int signal : {SIGTERM, SIGINT}) {
        Simulator sim({"--cells", "2", "--value", "1"});
        ASSERT_TRUE(sim.ready());
        {
            Modbus ctx = connect(sim);
            ASSERT_TRUE(ctx);
            EXPECT_EQ(readValue(ctx.get(), 1), 1.0F);
            EXPECT_EQ(readValue(ctx.get(), 2), 1.0F);
            EXPECT_EQ(sync(ctx.get()), ETIMEDOUT);
        }
        const Finished f = sim.stop(signal);
        EXPECT_EQ(f.status, 0);
        EXPECT_EQ(f.output, "dlcsim: frames received 3, answered 2, broadcasts 1, bad frames 0\n");
        EXPECT_FALSE(std::filesystem::is_symlink(sim.link()));
    }
}

// mbpoll prints "[reference]: <tab>value" per value read.
std::vector<std::string> mbpollValues(const std::string& output) {
    std::vector<std::string> values;
    std::size_t at = 0;
    while ((at = output.find("]: \t", at)) != std::string::npos) {
        at += 4;
        values.push_back(output.substr(at, output.find('\n', at) - at));
    }
    return values;
}

TEST(PeerMbpoll, ReadsAFloatFromEachCell) {
    Simulator sim({"--cells", "3", "--value", "1.5,22.25,-3"});
    ASSERT_TRUE(sim.ready());
    const Finished f =
        runProgram({"mbpoll", "-m", "rtu", "-b", "38400",   "-P", "even", "-a", "1:3", "-r",
                    "1",      "-c", "1",   "-t", "3:float", "-B", "-1",   "-o", "1",   sim.link()});
    EXPECT_EQ(f.status, 0) << f.output;
    EXPECT_EQ(mbpollValues(f.output), (std::vector<std::string>{"1.5", "22.25", "-3"})) << f.output;
}

TEST(PeerMbpoll, MovingValuesDifferBetweenCells) {
    Simulator sim({"--cells", "4"});
    ASSERT_TRUE(sim.ready());
    const Finished f = runProgram(
        {"mbpoll", "-m", "rtu", "-a", "1:4", "-t", "3:float", "-B", "-1", "-o", "1", sim.link()});
    const std::vector<std::string> values = mbpollValues(f.output);
    ASSERT_EQ(values.size(), 4U) << f.output;
    for (std::size_t i = 0; i < values.size(); ++i) {
        // Cell k moves around 100 k by at most 10.
        EXPECT_NEAR(std::stod(values[i]), 100.0 * static_cast<double>(i + 1), 10.0) << f.output;
    }
}

TEST(PeerMbpoll, ReadsHoldingRegistersAndSeesExceptions) {
    Simulator sim({"--cells", "1", "--serials", "12345678"});
    ASSERT_TRUE(sim.ready());
    const Finished f = runProgram({"mbpoll", "-m", "rtu", "-a", "1", "-r", "1", "-c", "4", "-t",
                                   "4:hex", "-1", "-o", "1", sim.link()});
    // Address 1, serial 12345678 = 0x00BC614E, baud setting 38400 / 100 = 0x0180.
    EXPECT_EQ(mbpollValues(f.output),
              (std::vector<std::string>{"0x0001", "0x00BC", "0x614E", "0x0180"}))
        << f.output;
    const Finished bad = runProgram({"mbpoll", "-m", "rtu", "-a", "1", "-r", "100", "-c", "2", "-t",
                                     "3", "-1", "-o", "1", sim.link()});
    EXPECT_NE(bad.output.find("Illegal data address"), std::string::npos) << bad.output;
}

} // namespace
} // namespace dlcsim::test
