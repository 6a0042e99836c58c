// Many sessions on one port: 45 in one process on 45 threads, and sessions of two processes,
// with the simulated bus checking every frame it receives; an owner that closes or is killed
// while a guest keeps transacting.
#include "EngineTestSupport.h"
#include "engine/PortSession.h"
#include "portshare/ShareNames.h"
#include "tavrin/TavrinEnums.h"

#include <csignal>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tavrin::test {
namespace {

using namespace std::chrono_literals;
using dlcsim::test::Simulator;

// Reads cell `node` `count` times; the number of good replies carrying `value`.
int readMany(PortSession& session, const PortSettings& port, const std::string& node, int count,
             float value) {
    int good = 0;
    for (int i = 0; i < count; ++i) {
        DataArea data;
        std::int16_t qty = 2;
        const std::uint16_t result = session.run(port, readValue(node), data, qty);
        if (result == RES_AX_SUCCESS && data.dataFloatSwap(0).value() == value) {
            ++good;
        } else {
            ADD_FAILURE() << "cell " << node << ", read " << i << ": Result " << result;
        }
    }
    return good;
}

class SharedPort : public ::testing::Test {
protected:
    void SetUp() override {
        m_bus = std::make_unique<Simulator>(
            std::vector<std::string>{"--cells", "4", "--value", "1,2,3,4"},
            placementIn(m_folder, 1));
        ASSERT_TRUE(m_bus->ready()) << m_bus->readyLine();
    }
    // Every frame the bus received was whole and valid, and there were `frames` of them.
    void expectCleanLine(unsigned long frames) {
        const auto finished = m_bus->stop(SIGTERM);
        const auto summary = parseSummary(finished.output);
        ASSERT_TRUE(summary) << finished.output;
        EXPECT_EQ(summary->bad, 0U) << m_bus->log();
        EXPECT_EQ(summary->received, frames);
        EXPECT_EQ(summary->answered, frames);
    }
    std::unique_ptr<Helper> helper() {
        return std::make_unique<Helper>(TAVRIN_ENGINE_HELPER, m_folder.prefix(), 1, kBusSettings);
    }
    PortSettings port() const { return portSettings(m_folder, 1); }

    PortsFolder m_folder;
    std::unique_ptr<Simulator> m_bus;
};

TEST_F(SharedPort, FortyFiveSessionsOnFortyFiveThreadsNeverInterleaveFrames) {
    // The operator program's 45 controls on one port, all polling at once.
    constexpr int kSessions = 45;
    constexpr int kReads = 12;
    std::vector<std::unique_ptr<PortSession>> sessions;
    for (int i = 0; i < kSessions; ++i) {
        sessions.push_back(std::make_unique<PortSession>());
    }
    std::vector<std::future<int>> results;
    for (int i = 0; i < kSessions; ++i) {
        results.push_back(std::async(std::launch::async, [&, i] {
            const int cell = 1 + i % 4;
            return readMany(*sessions[static_cast<std::size_t>(i)], port(), std::to_string(cell),
                            kReads, static_cast<float>(cell));
        }));
    }
    for (int i = 0; i < kSessions; ++i) {
        EXPECT_EQ(results[static_cast<std::size_t>(i)].get(), kReads) << "session " << i;
    }
    int owners = 0;
    for (const auto& s : sessions) {
        owners += s->port().ownsPort() ? 1 : 0;
    }
    EXPECT_EQ(owners, 1);
    sessions.clear();
    expectCleanLine(kSessions * kReads);
}

TEST_F(SharedPort, TwoProcessesTransactOnOnePort) {
    constexpr int kReads = 150;
    auto other = helper();
    // The helper goes first and owns the port; this process attaches as a guest.
    ASSERT_EQ(other->call("read 2 1"), "1 0");
    PortSession session;
    DataArea data;
    std::int16_t qty = 2;
    ASSERT_EQ(session.run(port(), readValue("1"), data, qty), RES_AX_SUCCESS);
    EXPECT_FALSE(session.port().ownsPort());
    // Both loops at once: the helper answers when its loop is done.
    auto theirs = std::async(std::launch::async,
                             [&] { return other->call("read 2 " + std::to_string(kReads), 60s); });
    EXPECT_EQ(readMany(session, port(), "1", kReads, 1.0F), kReads);
    EXPECT_EQ(theirs.get(), std::to_string(kReads) + " 0");
    session.disconnect();
    other.reset();
    expectCleanLine(2 * kReads + 2);
}

TEST_F(SharedPort, AGuestKeepsTransactingWhenTheOwnerCloses) {
    auto owner = helper();
    ASSERT_EQ(owner->call("read 1 1"), "1 0");
    ASSERT_EQ(owner->call("owns"), "yes");
    PortSession guest;
    ASSERT_EQ(readMany(guest, port(), "3", 1, 3.0F), 1);
    auto reads =
        std::async(std::launch::async, [&] { return readMany(guest, port(), "3", 60, 3.0F); });
    EXPECT_EQ(owner->call("close"), "ok");
    EXPECT_EQ(reads.get(), 60);
    // And a process that comes later attaches to the new owner.
    auto later = helper();
    EXPECT_EQ(later->call("read 4 5"), "5 0");
    later.reset();
    owner.reset();
    guest.disconnect();
    expectCleanLine(1 + 1 + 60 + 5);
}

TEST_F(SharedPort, AGuestKeepsTransactingWhenTheOwnerIsKilled) {
    auto owner = helper();
    ASSERT_EQ(owner->call("read 1 1"), "1 0");
    PortSession guest;
    ASSERT_EQ(readMany(guest, port(), "2", 1, 2.0F), 1);
    owner->kill(); // SIGKILL between two of its transactions
    EXPECT_EQ(readMany(guest, port(), "2", 20, 2.0F), 20);
    // The guest's host thread publishes it as owner once it sees the old one gone; a process
    // that starts after that takes the port from it.
    const auto deadline = in(10s);
    while (!guest.port().ownsPort() && Clock::now() < deadline) {
        guest.port().waitForHostBeat(guest.port().hostBeats(), deadline);
    }
    ASSERT_TRUE(guest.port().ownsPort());
    auto later = helper();
    EXPECT_EQ(later->call("read 4 5"), "5 0");
    later.reset();
    guest.disconnect();
    expectCleanLine(1 + 1 + 20 + 5);
}

// The owner hands its device only to its own user: a sharer running as another user, even one
// that can reach the port's names and its device node, is refused (1280); the same process,
// back as the owner's user, attaches.
TEST_F(SharedPort, ASharerOfAnotherUserIsRefused) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "acting as another user needs root";
    }
    PortSession owner;
    DataArea data;
    std::int16_t qty = 2;
    ASSERT_EQ(owner.run(port(), readValue("1"), data, qty), RES_AX_SUCCESS);
    // Everything but the hand-over itself open to every user.
    ASSERT_EQ(::chmod(m_folder.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(m_bus->pts().c_str(), 0666), 0);
    const ShareNames names = shareNamesFor(m_folder.portName(1));
    for (const std::string& name : {names.record, names.recordLock, names.portLock, names.hostExit,
                                    names.hostCanExit, names.lineActivity}) {
        ASSERT_EQ(::chmod(("/dev/shm" + name).c_str(), 0666), 0) << name;
    }
    auto other = helper();
    // Asked directly, without the guest's own check of who answers, the owner refuses.
    const std::string ask =
        "ask " + std::to_string(::getpid()) + " " + std::to_string(owner.port().handle());
    ASSERT_EQ(other->call("user 65534"), "ok");
    EXPECT_EQ(other->call(ask), "refused");
    EXPECT_EQ(other->call("read 2 1"), "0 " + std::to_string(RES_AX_COMM_OPEN));
    ASSERT_EQ(other->call("user 0"), "ok");
    EXPECT_EQ(other->call(ask), "descriptor");
    EXPECT_EQ(other->call("read 2 1"), "1 0");
    other.reset();
    owner.disconnect();
    expectCleanLine(2);
}

} // namespace
} // namespace tavrin::test
