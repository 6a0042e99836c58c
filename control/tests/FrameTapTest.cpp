// The frame tap of the C interface, as a traffic monitor uses it: the frames of a read, a
// broadcast, an exception reply and a time-out with their direction, bytes and verdict; the
// frames of two controls on one port in the order the line carried them (checked against the
// simulated bus's own log of the line); nothing recorded and no wake-up without a listener;
// and a host that does not pump loses frames past a bound instead of growing without one.
#include "EngineTestSupport.h"
#include "TavrinHost.h"
#include "engine/NotifyQueue.h"
#include "tavrin/TavrinEnums.h"

#include <csignal>
#include <gtest/gtest.h>
#include <poll.h>

namespace tavrin::test {
namespace {

using namespace std::chrono_literals;

struct Frame {
    std::int64_t timeUs = 0;
    std::uint64_t sequence = 0;
    std::string hex; // as dlcsim logs the line: "01 04 00 00 00 02 71 CB"
    std::string port;
    std::string resultText;
    std::int32_t result = -1;
    std::uint16_t direction = 0;
    std::uint16_t flags = 0;
    std::uint16_t node = 0;
    std::uint16_t function = 0;
};

std::string hexText(const std::uint8_t* bytes, std::size_t length) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < length; ++i) {
        if (i > 0) {
            out += ' ';
        }
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 0x0F];
    }
    return out;
}

// Registers this thread's tap through the library's entry point and keeps what it is handed.
class TapRecorder {
public:
    explicit TapRecorder(const TavrinLibrary& library)
        : m_set(library.symbol<TavrinSetFrameTapFn>("TavrinSetFrameTap")),
          m_dropped(library.symbol<TavrinGetFramesDroppedFn>("TavrinGetFramesDropped")) {}
    ~TapRecorder() { stop(); }
    TapRecorder(const TapRecorder&) = delete;
    TapRecorder& operator=(const TapRecorder&) = delete;

    bool start() {
        const TavrinFrameTap tap{this, &onFrame};
        return m_set != nullptr && m_set(&tap) == TAVRIN_OK;
    }
    void stop() {
        if (m_set != nullptr) {
            m_set(nullptr);
        }
    }
    std::uint64_t dropped() const { return m_dropped(); }

    std::vector<Frame> frames;

private:
    static void onFrame(void* context, const TavrinFrame* f) {
        Frame out;
        out.timeUs = f->timeUs;
        out.sequence = f->sequence;
        out.hex = hexText(f->bytes, f->length);
        out.port = f->port;
        out.resultText = f->resultText;
        out.result = f->result;
        out.direction = f->direction;
        out.flags = f->flags;
        out.node = f->node;
        out.function = f->function;
        static_cast<TapRecorder*>(context)->frames.push_back(std::move(out));
    }

    TavrinSetFrameTapFn m_set;
    TavrinGetFramesDroppedFn m_dropped;
};

// The frames of the bus's log in one direction ("rx": what the bus received), in line order.
std::vector<std::string> loggedFrames(const std::string& log, const char* direction) {
    std::vector<std::string> out;
    const std::string marker = std::string(" ") + direction + " | ";
    std::size_t at = 0;
    while (at < log.size()) {
        const std::size_t end = std::min(log.find('\n', at), log.size());
        const std::string line = log.substr(at, end - at);
        const std::size_t m = line.find(marker);
        if (m != std::string::npos) {
            const std::size_t from = m + marker.size();
            out.push_back(line.substr(from, line.find(" | ", from) - from));
        }
        at = end + 1;
    }
    return out;
}

bool readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) == 1;
}

class FrameTap : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_library.loaded());
        m_pump = m_library.symbol<TavrinPumpNotificationsFn>("TavrinPumpNotifications");
        m_notifyFd = m_library.symbol<TavrinGetNotifyFdFn>("TavrinGetNotifyFd");
    }
    void startBus(std::vector<std::string> args) {
        m_bus =
            std::make_unique<dlcsim::test::Simulator>(std::move(args), placementIn(m_folder, 1));
        ASSERT_TRUE(m_bus->ready()) << m_bus->readyLine();
    }
    // A control on port 1 of the test's folder, reading `node`'s measured value.
    std::unique_ptr<HostedControl> reader(const char* node, std::int16_t timeoutMs = 1000) {
        auto control = std::make_unique<HostedControl>(m_library);
        EXPECT_TRUE(control->valid());
        EXPECT_EQ(control->put("AdapterPrefix", text(m_folder.prefix().c_str())), TAVRIN_OK);
        EXPECT_EQ(control->put("Adapter", i2(1)), TAVRIN_OK);
        EXPECT_EQ(control->put("CommSettings", text(kBusSettings.c_str())), TAVRIN_OK);
        EXPECT_EQ(control->put("Function", i2(4)), TAVRIN_OK);
        EXPECT_EQ(control->put("MemStart", text("30001")), TAVRIN_OK);
        EXPECT_EQ(control->put("MemQty", i2(2)), TAVRIN_OK);
        EXPECT_EQ(control->put("NodeAddress", text(node)), TAVRIN_OK);
        EXPECT_EQ(control->put("TimeoutTrans", i2(timeoutMs)), TAVRIN_OK);
        return control;
    }
    // One AsyncRefresh to its Complete; the Result it carried.
    std::int32_t refresh(HostedControl& control) {
        const std::size_t before = control.count("Complete");
        EXPECT_EQ(control.call("AsyncRefresh"), TAVRIN_OK);
        if (!control.waitForEvents("Complete", before + 1)) {
            return -1;
        }
        return control.events().back().second;
    }
    std::string busLog() const { return m_bus->log(); }

    PortsFolder m_folder;
    TavrinLibrary m_library{TAVRIN_LIBRARY_PATH};
    TapRecorder m_tap{m_library};
    std::unique_ptr<dlcsim::test::Simulator> m_bus;
    TavrinPumpNotificationsFn m_pump = nullptr;
    TavrinGetNotifyFdFn m_notifyFd = nullptr;
};

TEST_F(FrameTap, AReadGivesItsRequestAndItsReplyAsTheBusSawThem) {
    startBus({"--cells", "2", "--value", "1.5,-2.25"});
    auto control = reader("2");
    ASSERT_TRUE(m_tap.start());
    ASSERT_EQ(refresh(*control), RES_AX_SUCCESS);
    ASSERT_EQ(m_tap.frames.size(), 2U);
    const Frame& sent = m_tap.frames[0];
    const Frame& reply = m_tap.frames[1];
    EXPECT_EQ(sent.direction, TAVRIN_FRAME_SENT);
    EXPECT_EQ(reply.direction, TAVRIN_FRAME_RECEIVED);
    for (const Frame* f : {&sent, &reply}) {
        EXPECT_EQ(f->node, 2);
        EXPECT_EQ(f->function, 4);
        EXPECT_EQ(f->result, RES_AX_SUCCESS);
        EXPECT_EQ(f->flags, 0);
        EXPECT_EQ(f->port, m_folder.portName(1));
        EXPECT_EQ(f->resultText, "Successful transaction!");
    }
    EXPECT_EQ(sent.sequence + 1, reply.sequence);
    EXPECT_LE(sent.timeUs, reply.timeUs);
    // -2.25 is 0xC0100000, high word first.
    EXPECT_EQ(reply.hex.substr(0, 20), "02 04 04 C0 10 00 00");
    const std::string log = busLog();
    EXPECT_EQ(loggedFrames(log, "rx"), std::vector<std::string>{sent.hex});
    EXPECT_EQ(loggedFrames(log, "tx"), std::vector<std::string>{reply.hex});
}

TEST_F(FrameTap, ABroadcastIsOneSentFrameAndAMissingReplyIsATimeout) {
    startBus({"--cells", "2"});
    auto control = reader("0");
    ASSERT_TRUE(m_tap.start());
    ASSERT_EQ(control->put("Function", i2(5)), TAVRIN_OK);
    ASSERT_EQ(control->put("MemStart", text("00001")), TAVRIN_OK);
    ASSERT_EQ(control->put("MemQty", i2(1)), TAVRIN_OK);
    ASSERT_EQ(control->call("SetDataBitM", {i2(0), boolean(true)}), TAVRIN_OK);
    ASSERT_EQ(refresh(*control), RES_AX_SUCCESS);
    ASSERT_EQ(m_tap.frames.size(), 1U);
    EXPECT_EQ(m_tap.frames[0].direction, TAVRIN_FRAME_SENT);
    EXPECT_EQ(m_tap.frames[0].flags, TAVRIN_FRAME_BROADCAST);
    EXPECT_EQ(m_tap.frames[0].node, 0);
    EXPECT_EQ(m_tap.frames[0].function, 5);
    EXPECT_EQ(m_tap.frames[0].hex.substr(0, 17), "00 05 00 00 FF 00");

    // Cell 9 is not on the bus.
    m_tap.frames.clear();
    ASSERT_EQ(control->put("Function", i2(4)), TAVRIN_OK);
    ASSERT_EQ(control->put("MemStart", text("30001")), TAVRIN_OK);
    ASSERT_EQ(control->put("MemQty", i2(2)), TAVRIN_OK);
    ASSERT_EQ(control->put("NodeAddress", text("9")), TAVRIN_OK);
    ASSERT_EQ(control->put("TimeoutTrans", i2(100)), TAVRIN_OK);
    ASSERT_EQ(refresh(*control), RES_AX_COMM_TIMEOUT);
    ASSERT_EQ(m_tap.frames.size(), 2U);
    const Frame& timedOut = m_tap.frames[1];
    EXPECT_EQ(timedOut.direction, TAVRIN_FRAME_RECEIVED);
    EXPECT_EQ(timedOut.flags, TAVRIN_FRAME_TIMEOUT);
    EXPECT_EQ(timedOut.result, RES_AX_COMM_TIMEOUT);
    EXPECT_EQ(timedOut.hex, "");
    EXPECT_EQ(timedOut.node, 9);
    EXPECT_GE(timedOut.timeUs - m_tap.frames[0].timeUs, 100'000);
    EXPECT_FALSE(timedOut.resultText.empty());
    EXPECT_NE(timedOut.resultText, m_tap.frames[0].resultText);
}

TEST_F(FrameTap, AnExceptionReplyCarriesTheSlavesCode) {
    // An independent slave: its 64 input registers end before 30065.
    LibmodbusSlave slave(m_folder.path() + "/" + m_folder.portName(1), 9);
    slave.start();
    auto control = reader("9");
    ASSERT_EQ(control->put("MemStart", text("30065")), TAVRIN_OK);
    ASSERT_TRUE(m_tap.start());
    ASSERT_EQ(refresh(*control), RES_MB_ILLEGAL_DATA_ADDRESS);
    ASSERT_EQ(m_tap.frames.size(), 2U);
    const Frame& reply = m_tap.frames[1];
    EXPECT_EQ(reply.direction, TAVRIN_FRAME_RECEIVED);
    EXPECT_EQ(reply.result, RES_MB_ILLEGAL_DATA_ADDRESS);
    EXPECT_EQ(reply.flags, 0);
    EXPECT_EQ(reply.function, 4); // the request's; the reply's own byte says 0x84
    EXPECT_EQ(reply.hex.substr(0, 8), "09 84 02");
    EXPECT_EQ(reply.hex.size(), std::string("09 84 02 C2 C1").size());
    EXPECT_EQ(m_tap.frames[0].hex.substr(0, 17), "09 04 00 40 00 02");
}

TEST_F(FrameTap, TwoControlsOnOnePortArriveInLineOrder) {
    startBus({"--cells", "2", "--value", "1,2"});
    auto one = reader("1");
    auto two = reader("2");
    ASSERT_TRUE(m_tap.start());
    constexpr std::size_t kRounds = 25;
    for (std::size_t k = 1; k <= kRounds; ++k) {
        // Both started at once: the port lock decides who goes first.
        ASSERT_EQ(one->call("AsyncRefresh"), TAVRIN_OK);
        ASSERT_EQ(two->call("AsyncRefresh"), TAVRIN_OK);
        ASSERT_TRUE(one->waitForEvents("Complete", k));
        ASSERT_TRUE(two->waitForEvents("Complete", k));
    }
    const auto& frames = m_tap.frames;
    ASSERT_EQ(frames.size(), 4 * kRounds);
    std::vector<std::string> sent;
    std::vector<std::string> replies;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(frames[i].sequence, frames[0].sequence + i);
        if (i > 0) {
            EXPECT_LE(frames[i - 1].timeUs, frames[i].timeUs);
        }
        // Each request is followed by its own reply, never by the other control's frames.
        EXPECT_EQ(frames[i].direction, i % 2 == 0 ? TAVRIN_FRAME_SENT : TAVRIN_FRAME_RECEIVED);
        if (i % 2 == 1) {
            EXPECT_EQ(frames[i].node, frames[i - 1].node);
        }
        (i % 2 == 0 ? sent : replies).push_back(frames[i].hex);
    }
    const std::string log = busLog();
    EXPECT_EQ(loggedFrames(log, "rx"), sent);
    EXPECT_EQ(loggedFrames(log, "tx"), replies);
}

TEST_F(FrameTap, WithoutAListenerNothingIsRecordedAndNothingWakesTheHost) {
    startBus({"--cells", "1"});
    auto control = reader("1");
    const int fd = m_notifyFd();
    ASSERT_GE(fd, 0);
    m_pump();
    // SyncRefresh posts no event: only frames could make the descriptor readable.
    ASSERT_EQ(control->call("SyncRefresh"), TAVRIN_OK);
    EXPECT_FALSE(readable(fd));

    ASSERT_TRUE(m_tap.start());
    ASSERT_EQ(control->call("SyncRefresh"), TAVRIN_OK);
    EXPECT_TRUE(readable(fd));
    m_pump();
    EXPECT_EQ(m_tap.frames.size(), 2U);

    // Removed: frames waiting are dropped and later ones are never recorded.
    ASSERT_EQ(control->call("SyncRefresh"), TAVRIN_OK);
    m_tap.stop();
    m_pump();
    ASSERT_EQ(control->call("SyncRefresh"), TAVRIN_OK);
    EXPECT_FALSE(readable(fd));
    EXPECT_EQ(m_tap.frames.size(), 2U);
    EXPECT_EQ(m_tap.dropped(), 0U);
}

TEST_F(FrameTap, ThePythonExamplePrintsTheFramesOfItsReads) {
    startBus({"--cells", "2", "--value", "104.5,-3.25"});
    std::vector<std::string> command = {"/usr/bin/python3",
                                        TAVRIN_WATCH_FRAMES_EXAMPLE,
                                        "--lib",
                                        TAVRIN_LIBRARY_PATH,
                                        "--prefix",
                                        m_folder.prefix(),
                                        "--adapter",
                                        "1",
                                        "--settings",
                                        kBusSettings,
                                        "--node",
                                        "2",
                                        "--count",
                                        "2"};
#ifdef TAVRIN_SANITIZER_PRELOAD
    // The interpreter itself is not instrumented (nor are its leaks ours).
    command.insert(command.begin(), {"/usr/bin/env", "LD_PRELOAD=" TAVRIN_SANITIZER_PRELOAD,
                                     "ASAN_OPTIONS=detect_leaks=0"});
#endif
    const auto run = dlcsim::test::runProgram(command);
    EXPECT_EQ(run.status, 0) << run.output;
    const std::string port = m_folder.portName(1);
    const std::vector<std::string> rx = loggedFrames(busLog(), "rx");
    const std::vector<std::string> tx = loggedFrames(busLog(), "tx");
    ASSERT_EQ(rx.size(), 2U);
    ASSERT_EQ(tx.size(), 2U);
    for (std::size_t k = 0; k < 2; ++k) {
        const std::string sent = " #" + std::to_string(2 * k + 1) + " " + port +
                                 " sent     node 2 fn 4 | " + rx[k] + " | 0 ";
        const std::string received = " #" + std::to_string(2 * k + 2) + " " + port +
                                     " received node 2 fn 4 | " + tx[k] + " | 0 ";
        EXPECT_NE(run.output.find(sent), std::string::npos) << sent << "\n" << run.output;
        EXPECT_NE(run.output.find(received), std::string::npos) << received << "\n" << run.output;
    }
}

// The queue behind the tap, on its own: a host that never pumps.
TEST(FrameTapQueue, AFloodIsBoundedCountedAndNumbered) {
    const auto queue = NotifyQueue::forCurrentThread();
    ASSERT_TRUE(queue);
    EXPECT_EQ(queue->frameTap(), nullptr);
    std::vector<std::uint64_t> sequences;
    queue->setFrameListener(
        [&](const FrameRecord&, std::uint64_t sequence) { sequences.push_back(sequence); });
    ASSERT_NE(queue->frameTap(), nullptr);
    constexpr std::size_t kFlood = NotifyQueue::kMaxPendingFrames + 1000;
    for (std::size_t i = 0; i < kFlood; ++i) {
        FrameRecord r;
        r.bytes.assign(8, 0x55);
        queue->frameTap()->record(std::move(r), i % 2 == 1);
    }
    EXPECT_EQ(queue->framesDropped(), 1000U);
    queue->pump();
    ASSERT_EQ(sequences.size(), NotifyQueue::kMaxPendingFrames);
    EXPECT_EQ(sequences.front(), 1U);
    EXPECT_EQ(sequences.back(), NotifyQueue::kMaxPendingFrames);
    // The next one after the gap carries the number it would have had.
    queue->frameTap()->record(FrameRecord{}, true);
    queue->pump();
    EXPECT_EQ(sequences.back(), kFlood + 1);

    // A listener that removes itself is not called for the rest of the batch.
    sequences.clear();
    queue->setFrameListener([&](const FrameRecord&, std::uint64_t sequence) {
        sequences.push_back(sequence);
        queue->setFrameListener({});
    });
    queue->frameTap()->record(FrameRecord{}, false);
    queue->frameTap()->record(FrameRecord{}, true);
    queue->pump();
    EXPECT_EQ(sequences.size(), 1U);
    EXPECT_EQ(queue->frameTap(), nullptr);
}

} // namespace
} // namespace tavrin::test
