// The transaction engine in one process against the simulated load-cell bus (dlcsim) and a
// silent pseudo-terminal: reads and writes, fault replies, broadcasts, stop, ports that do
// not exist, and a port that disappears and comes back.
#include "EngineTestSupport.h"
#include "engine/FrameTap.h"
#include "engine/PortSession.h"
#include "engine/StopSignal.h"
#include "tavrin/TavrinEnums.h"

#include <chrono>
#include <csignal>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <vector>

namespace tavrin::test {
namespace {

using namespace std::chrono_literals;
using dlcsim::test::Simulator;

class EngineOnBus : public ::testing::Test {
protected:
    void startBus(std::vector<std::string> args) {
        m_bus = std::make_unique<Simulator>(std::move(args), placementIn(m_folder, 1));
        ASSERT_TRUE(m_bus->ready()) << m_bus->readyLine();
    }
    BusSummary stopBus() {
        const auto finished = m_bus->stop(SIGTERM);
        const auto summary = parseSummary(finished.output);
        EXPECT_TRUE(summary) << finished.output;
        return summary.value_or(BusSummary{});
    }
    PortSettings port() const { return portSettings(m_folder, 1); }
    std::uint16_t run(PortSession& session, const Transaction& t, DataArea& data) {
        std::int16_t qty = t.request.memQty;
        return session.run(port(), t, data, qty);
    }
    std::uint16_t run(const Transaction& t, DataArea& data) { return run(m_session, t, data); }

    PortsFolder m_folder;
    std::unique_ptr<Simulator> m_bus;
    PortSession m_session;
};

TEST_F(EngineOnBus, ReadsMeasuredValuesInBothFramings) {
    // The values are dlcsim's fixed --value list; the registers carry the float high word first.
    for (const auto& [mode, dataMode] : {std::pair{"rtu", 0}, std::pair{"ascii", 1}}) {
        SCOPED_TRACE(mode);
        startBus({"--cells", "2", "--value", "1.5,-2.25", "--mode", mode});
        for (const auto& [node, value] : {std::pair{"1", 1.5F}, std::pair{"2", -2.25F}}) {
            auto t = readValue(node);
            t.request.dataMode = static_cast<std::int16_t>(dataMode);
            DataArea data;
            ASSERT_EQ(run(t, data), RES_AX_SUCCESS) << "node " << node;
            EXPECT_EQ(data.dataFloatSwap(0).value(), value) << "node " << node;
        }
        m_session.disconnect();
        EXPECT_EQ(stopBus().bad, 0U);
    }
}

TEST_F(EngineOnBus, WritesThenReadsBack) {
    // dlcsim keeps writes to holding registers 40005-40100 and coils 00002-00100.
    startBus({"--cells", "1"});
    DataArea out;
    ASSERT_TRUE(out.setDataWord(0, 0x1234).hasValue());
    ASSERT_TRUE(out.setDataWord(1, -2).hasValue());
    ASSERT_EQ(run(transaction(16, "1", "40005", 2), out), RES_AX_SUCCESS);
    DataArea in;
    ASSERT_EQ(run(transaction(3, "1", "40005", 2), in), RES_AX_SUCCESS);
    EXPECT_EQ(in.dataWord(0).value(), 0x1234);
    EXPECT_EQ(in.dataWord(1).value(), -2);

    DataArea bits;
    for (DataArea::Index i = 0; i < 5; ++i) {
        ASSERT_TRUE(bits.setDataBit(i, i % 2 == 0).hasValue());
    }
    ASSERT_EQ(run(transaction(15, "1", "00002", 5), bits), RES_AX_SUCCESS);
    DataArea back;
    ASSERT_EQ(run(transaction(1, "1", "00002", 5), back), RES_AX_SUCCESS);
    for (DataArea::Index i = 0; i < 5; ++i) {
        EXPECT_EQ(back.dataBit(i).value(), i % 2 == 0) << "coil " << i;
    }
}

TEST_F(EngineOnBus, FaultyRepliesEndWithTheirResultAndTheNextTransactionWorks) {
    // Cell 1 misbehaves in the way each row names; cell 2 is sound. Expected values are the
    // Result table's meanings (5120 checksum, exception code as is, 256 no reply in time);
    // noise before an RTU reply shifts the frame, so any failure is right there, while ASCII
    // drops everything before ':'.
    constexpr int kAnyFailure = -1;
    struct Case {
        const char* name;
        const char* fault;
        const char* mode;
        int expected;
    };
    const Case cases[] = {
        {"wrong CRC", "cell=1:crc=1", "rtu", RES_AX_BAD_CHECKSUM},
        {"wrong LRC", "cell=1:crc=1", "ascii", RES_AX_BAD_CHECKSUM},
        {"exception 2", "cell=1:exception=2:1", "rtu", RES_MB_ILLEGAL_DATA_ADDRESS},
        {"exception 6", "cell=1:exception=6:1", "rtu", RES_MB_BUSY_ERROR},
        {"no reply", "cell=1:drop=1", "rtu", RES_AX_COMM_TIMEOUT},
        {"noise before an ASCII reply", "cell=1:garbage=1", "ascii", RES_AX_SUCCESS},
        {"noise before an RTU reply", "cell=1:garbage=1", "rtu", kAnyFailure},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        startBus({"--cells", "2", "--value", "10,20", "--mode", c.mode, "--fault", c.fault});
        const std::int16_t dataMode = std::string(c.mode) == "ascii" ? 1 : 0;
        auto faulty = readValue("1", 200);
        faulty.request.dataMode = dataMode;
        DataArea data;
        const std::uint16_t result = run(faulty, data);
        if (c.expected == kAnyFailure) {
            EXPECT_NE(result, RES_AX_SUCCESS);
        } else {
            EXPECT_EQ(result, c.expected);
        }
        auto sound = readValue("2");
        sound.request.dataMode = dataMode;
        DataArea next;
        EXPECT_EQ(run(sound, next), RES_AX_SUCCESS);
        EXPECT_EQ(next.dataFloatSwap(0).value(), 20.0F);
        m_session.disconnect();
        stopBus();
    }
}

TEST_F(EngineOnBus, BroadcastCompletesWithoutWaitingForAReply) {
    startBus({"--cells", "2"});
    // The synchronisation coil, to every cell. With the longest TimeoutTrans there is, a
    // broadcast that waited for a reply would take half a minute.
    auto sync = transaction(5, "0", "00001", 1, 30000);
    DataArea data;
    ASSERT_TRUE(data.setDataBit(0, true).hasValue());
    const auto start = Clock::now();
    EXPECT_EQ(run(sync, data), RES_AX_SUCCESS);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(sync.timeoutTrans));
    // Received by the bus: the next read goes out after it and is answered.
    DataArea value;
    EXPECT_EQ(run(readValue("1"), value), RES_AX_SUCCESS);
    m_session.disconnect();
    const BusSummary summary = stopBus();
    EXPECT_EQ(summary.broadcasts, 1U) << m_bus->log();
    EXPECT_EQ(summary.bad, 0U) << m_bus->log();
}

// The times at which the control wrote its requests, as its frame tap stamps them.
class SentTimes final : public FrameTap {
public:
    void record(FrameRecord frame, bool) override {
        if (frame.direction == FrameDirection::Sent) {
            times.push_back(std::chrono::microseconds(frame.timeUs));
        }
    }
    std::vector<std::chrono::microseconds> times;
};

// On a line timed as a wire, a broadcast's bytes are still leaving when the write returns:
// the next request must wait for their time and then the silence, not just the silence. At
// 1200 baud the broadcast takes 73 ms on the wire and the silence is 32 ms; a request sent
// the silence after the write would begin while the broadcast still runs.
// The gap is judged from the control's own write times, not from the simulator's log: the
// simulator stamps a frame when it wakes to read it, and one that wakes more than 105 ms late
// reads the broadcast and the request together and logs no silence at all. Half the silence
// is allowed for the time between a write and its stamp on a loaded machine: a control that
// skipped the broadcast's wire time would leave 32 ms, one that skipped the silence 73 ms,
// both far below the 89 ms required.
TEST_F(EngineOnBus, SilenceAfterABroadcastCountsFromItsLastCharacterOnTheWire) {
    startBus({"--cells", "1", "--line-timing", "--baud", "1200"});
    const PortSettings slow = portSettings(m_folder, 1, "1200,E,8,1");
    SentTimes sent;
    for (int i = 0; i < 2; ++i) {
        DataArea bit;
        ASSERT_TRUE(bit.setDataBit(0, true).hasValue());
        std::int16_t qty = 1;
        auto broadcast = transaction(5, "0", "00001", 1);
        broadcast.frames = &sent;
        ASSERT_EQ(m_session.run(slow, broadcast, bit, qty), RES_AX_SUCCESS);
        DataArea value;
        qty = 2;
        auto read = readValue("1");
        read.frames = &sent;
        ASSERT_EQ(m_session.run(slow, read, value, qty), RES_AX_SUCCESS);
    }
    m_session.disconnect();
    EXPECT_EQ(stopBus().bad, 0U) << m_bus->log();
    const auto character = std::chrono::duration<double, std::milli>(11.0 / 1200 * 1000);
    const auto least = 8 * character + 3.5 * character / 2;
    ASSERT_EQ(sent.times.size(), 4U);
    for (std::size_t i = 0; i < sent.times.size(); i += 2) {
        EXPECT_GE(sent.times[i + 1] - sent.times[i], least) << "broadcast " << i / 2;
    }
}

// Two-wire adapters that hand the request back before the reply: with "echo=1" in the port's
// options file the control drops exactly what it sent (after a broadcast too) and takes the
// reply; without it the echoed request is taken for the reply and the read fails, as it would
// on such a line.
TEST_F(EngineOnBus, EchoingAdapterWorksOnlyWithThePortsEchoSetting) {
    const std::string options = m_folder.path() + "/" + m_folder.portName(1) + ".conf";
    for (const auto& [mode, dataMode] : {std::pair{"rtu", 0}, std::pair{"ascii", 1}}) {
        for (const bool setting : {true, false}) {
            SCOPED_TRACE(std::string(mode) + (setting ? " with echo=1" : " without the setting"));
            if (setting) {
                std::ofstream(options) << "# this adapter echoes\necho=1\n";
            } else {
                std::remove(options.c_str());
            }
            startBus({"--cells", "2", "--value", "1.5,-2.25", "--mode", mode, "--fault", "echo"});
            PortSession session; // reads the options as it opens the port
            for (int i = 0; i < 2; ++i) {
                auto sync = transaction(5, "0", "00001", 1);
                sync.request.dataMode = static_cast<std::int16_t>(dataMode);
                DataArea bit;
                ASSERT_TRUE(bit.setDataBit(0, true).hasValue());
                EXPECT_EQ(run(session, sync, bit), RES_AX_SUCCESS);
                auto t = readValue("2", 300);
                t.request.dataMode = static_cast<std::int16_t>(dataMode);
                DataArea data;
                const std::uint16_t result = run(session, t, data);
                if (setting) {
                    ASSERT_EQ(result, RES_AX_SUCCESS) << "read " << i;
                    EXPECT_EQ(data.dataFloatSwap(0).value(), -2.25F);
                } else {
                    EXPECT_NE(result, RES_AX_SUCCESS) << "read " << i;
                }
            }
            session.disconnect();
            EXPECT_EQ(stopBus().bad, 0U) << m_bus->log();
        }
    }
    std::remove(options.c_str());
}

TEST_F(EngineOnBus, StopDuringTheReplyEndsItWith4864) {
    PtyPair silent; // a slave that takes the request and never answers
    m_folder.link(1, silent.slavePath());
    StopSignal stop;
    auto t = readValue("1", 30000);
    DataArea data;
    std::int16_t qty = 2;
    auto pending = std::async(std::launch::async,
                              [&] { return m_session.run(port(), t, data, qty, stop.fd()); });
    // The whole request is on the line: the engine now waits for the reply.
    ASSERT_EQ(silent.read(8, in(10s)).size(), 8U);
    stop.raise();
    // Far less than the 30 s reply timer: the raised signal wakes the sleeping read.
    ASSERT_EQ(pending.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(pending.get(), RES_AX_TERMINATION_REQUESTED);
}

TEST_F(EngineOnBus, PortsThatCannotBeOpenedReport1280EveryTime) {
    std::ofstream(m_folder.path() + "/plain-file") << "not a terminal";
    struct Case {
        const char* name;
        long adapter;
        const char* linkTarget; // nullptr: no link at all
    };
    const Case cases[] = {
        {"no such port", 1, nullptr},
        {"link to a missing device", 1, "/dev/pts/no-such-terminal"},
        {"link to a plain file", 1, "plain-file"},
        {"adapter 0", 0, nullptr},
        {"adapter 256", 256, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_folder.unlink(1);
        if (c.linkTarget != nullptr) {
            const std::string target(c.linkTarget);
            m_folder.link(1, target[0] == '/' ? target : m_folder.path() + "/" + target);
        }
        PortSession session;
        PortSettings where = port();
        where.adapter = c.adapter;
        for (int attempt = 0; attempt < 2; ++attempt) {
            DataArea data;
            std::int16_t qty = 2;
            EXPECT_EQ(session.run(where, readValue("1"), data, qty), RES_AX_COMM_OPEN);
        }
    }
}

TEST_F(EngineOnBus, ARefusedPortNameNeverFallsBackToThePreviousPort) {
    startBus({"--cells", "1"});
    DataArea data;
    ASSERT_EQ(run(readValue("1"), data), RES_AX_SUCCESS);
    PortSettings refused = port();
    refused.adapter = 256;
    m_session.requestReopen();
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::int16_t qty = 2;
        EXPECT_EQ(m_session.run(refused, readValue("1"), data, qty), RES_AX_COMM_OPEN);
    }
    m_session.requestReopen();
    EXPECT_EQ(run(readValue("1"), data), RES_AX_SUCCESS);
}

TEST_F(EngineOnBus, APortThatDisappearsReports1280UntilItIsBackThenWorks) {
    // Two sessions on the port, as two controls of one program: an owner and a guest. Cell 2
    // answers late, so that the bus can be stopped while the owner waits for that reply.
    startBus({"--cells", "2", "--fault", "cell=2:delay=20000"});
    PortSession guest;
    DataArea data;
    ASSERT_EQ(run(readValue("1"), data), RES_AX_SUCCESS);
    ASSERT_EQ(run(guest, readValue("1"), data), RES_AX_SUCCESS);

    std::int16_t qty = 2;
    auto late = readValue("2", 30000);
    auto pending =
        std::async(std::launch::async, [&] { return m_session.run(port(), late, data, qty); });
    ASSERT_TRUE(waitForReceivedFrames(m_bus->logPath(), 3, in(10s)));
    stopBus(); // the line's far side closes, as when an adapter is pulled out
    ASSERT_EQ(pending.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(pending.get(), RES_AX_COMM_OPEN);

    for (PortSession* s : {&m_session, &guest, &m_session}) {
        EXPECT_EQ(run(*s, readValue("1"), data), RES_AX_COMM_OPEN);
    }

    startBus({"--cells", "2", "--value", "5,6"}); // the same link, a new device behind it
    for (PortSession* s : {&m_session, &guest}) {
        EXPECT_EQ(run(*s, readValue("1"), data), RES_AX_SUCCESS);
        EXPECT_EQ(data.dataFloatSwap(0).value(), 5.0F);
    }
    m_session.disconnect();
    guest.disconnect();
    EXPECT_EQ(stopBus().bad, 0U);
}

} // namespace
} // namespace tavrin::test
