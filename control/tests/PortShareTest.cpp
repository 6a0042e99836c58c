// The sharing machinery below the port: record layout, heartbeat rules, sharer counting,
// named mutexes and events, the life of the process's hand-over server.
#include "portshare/PortShare.h"

#include "PortTestSupport.h"
#include "portshare/DescriptorServer.h"
#include "portshare/Heartbeat.h"
#include "portshare/NamedMutex.h"
#include "portshare/ShareNames.h"
#include "portshare/ShareRecord.h"
#include "portshare/SharedEvent.h"
#include "portshare/SharerTable.h"

#include <atomic>
#include <gtest/gtest.h>
#include <set>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tavrin {
namespace {

using namespace std::chrono_literals;
using test::in;

TEST(ShareRecordLayout, ElevenLittleEndianBytes) {
    // Offsets: counter 0, handle 1-4, pid 5-8, reserved 9-10.
    const ShareRecord r{7, 0x11223344u, 0xA0B0C0D0u, 0};
    const ShareRecordBytes b = encodeShareRecord(r);
    const ShareRecordBytes expected{std::byte{7},    std::byte{0x44}, std::byte{0x33},
                                    std::byte{0x22}, std::byte{0x11}, std::byte{0xD0},
                                    std::byte{0xC0}, std::byte{0xB0}, std::byte{0xA0},
                                    std::byte{0},    std::byte{0}};
    EXPECT_EQ(b, expected);
    EXPECT_EQ(decodeShareRecord(b), r);
    EXPECT_FALSE(isEmptyRecord(b));
    EXPECT_TRUE(isEmptyRecord(ShareRecordBytes{}));
    EXPECT_EQ(shareNamesFor("COM1").record, "/FMCOM1TAVRIN");
    EXPECT_EQ(shareNamesFor("COM1").hostCanExit, "/EVHOSTCANEXITCOM1TAVRIN");
}

TEST(ShareRecordLayout, CounterRunsOneTo255AndWrapsToOne) {
    std::uint8_t c = 1;
    for (int i = 0; i < 254; ++i) {
        c = nextCounter(c);
    }
    EXPECT_EQ(c, 255);
    EXPECT_EQ(nextCounter(c), 1);
    EXPECT_EQ(nextCounter(0), 1);
}

TEST(Heartbeat, Decisions) {
    const ShareIdentity self{100, 5};
    struct Case {
        const char* what;
        ShareRecord record;
        bool takeOverAllowed;
        bool ownerAlive;
        HeartbeatMemory memory;
        HeartbeatStep expected;
    };
    const ShareRecord other{9, 7, 200, 0};
    const Case cases[] = {
        {"owner advances", {9, 5, 100, 0}, false, true, {}, HeartbeatStep::Advance},
        {"same pid, other descriptor is not us",
         {9, 6, 100, 0},
         false,
         true,
         {},
         HeartbeatStep::Leave},
        {"live owner is left alone", other, false, true, {}, HeartbeatStep::Leave},
        {"closing owner asked", other, true, true, {}, HeartbeatStep::TakeOver},
        {"owner process gone", other, false, false, {}, HeartbeatStep::TakeOver},
        {"owner cleared itself", {9, 0, 0, 0}, false, false, {}, HeartbeatStep::TakeOver},
        {"our own last value, unmoved",
         {9, 7, 200, 0},
         false,
         true,
         {9, {9, 5, 100, 0}, 0},
         HeartbeatStep::TakeOver},
        {"our old value again after a wrap",
         {9, 7, 200, 0},
         false,
         true,
         {9, {8, 7, 200, 0}, 0},
         HeartbeatStep::Leave},
        {"stalled for the last beat",
         other,
         false,
         true,
         {0, other, kStalledBeats - 1},
         HeartbeatStep::TakeOver},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HeartbeatMemory memory = c.memory;
        EXPECT_EQ(heartbeatStep(c.record, self, c.takeOverAllowed, c.ownerAlive, memory),
                  c.expected);
    }
}

TEST(Heartbeat, TakeOverPublishesAndAdvances) {
    HeartbeatMemory memory;
    const ShareRecord after =
        applyHeartbeat({255, 7, 200, 0}, {100, 5}, HeartbeatStep::TakeOver, memory);
    EXPECT_EQ(after, (ShareRecord{1, 5, 100, 0}));
    EXPECT_EQ(memory.lastWritten, 1);
}

TEST(SharerCounting, LastLeaverAndDeadProcesses) {
    SharerTable table{};
    std::set<std::int32_t> alive{10, 20};
    const ProcessAlive isAlive = [&](std::int32_t pid) { return alive.count(pid) != 0; };
    ASSERT_TRUE(addSharer(table, 10, isAlive));
    ASSERT_TRUE(addSharer(table, 10, isAlive));
    ASSERT_TRUE(addSharer(table, 20, isAlive));
    EXPECT_EQ(otherSharers(table, 10, isAlive), 2u);
    alive.erase(20); // killed without leaving
    EXPECT_EQ(otherSharers(table, 10, isAlive), 1u);
    EXPECT_EQ(removeSharer(table, 10, isAlive), 1u);
    EXPECT_EQ(removeSharer(table, 10, isAlive), 0u);

    SharerTable full{};
    for (std::int32_t pid = 1; pid <= std::int32_t(kMaxSharerProcesses); ++pid) {
        alive.insert(pid + 1000);
        ASSERT_TRUE(addSharer(full, pid + 1000, isAlive));
    }
    alive.insert(5000);
    EXPECT_FALSE(addSharer(full, 5000, isAlive));
    alive.erase(1001);
    EXPECT_TRUE(addSharer(full, 5000, isAlive)); // the dead one's slot is reused
}

// The last user of the process's hand-over server may let go of it just as another asks for
// it. The one asking must get a server, the old one or a new one once the old has gone, never
// none: without one, sharers in other processes could not attach until the port was reopened.
TEST(DescriptorServerLife, AServerLetGoOfWhileAnotherAsksIsReplacedNeverLost) {
    const test::PortsFolder folder; // for its unique prefix
    const std::string port = folder.portName(1);
    const auto share = PortShare::setUp(port); // the port's names, removed when it goes
    ASSERT_TRUE(share);
    constexpr int kRounds = 500;
    std::atomic<int> missing{0};
    std::atomic<bool> done{false};
    std::atomic<int> spins{0}; // the holder's varying while
    // One thread takes the server and holds it for a varying while; the other asks for it
    // again and again, so that the holder lets go at every point of an ask (yielding between
    // asks, or it would keep the servers' lock from the one retiring a server).
    std::thread asker([&] {
        while (!done.load()) {
            if (!DescriptorServer::forPort(port)) {
                ++missing;
            }
            std::this_thread::yield();
        }
    });
    for (int i = 0; i < kRounds; ++i) {
        const auto held = DescriptorServer::forPort(port);
        if (!held) {
            ++missing;
        }
        for (int k = 0; k < (i % 16) * 400; ++k) {
            spins.fetch_add(1, std::memory_order_relaxed);
        }
    }
    done = true;
    asker.join();
    EXPECT_EQ(missing.load(), 0);
}

class NamedObjects : public ::testing::Test {
protected:
    std::string name(const char* kind) const {
        return std::string("/") + kind + m_folder.prefix() + "TAVRIN";
    }
    void TearDown() override {
        for (const char* kind : {"MX", "EVA", "EVM"}) {
            unlinkSharedObject(name(kind));
        }
    }
    test::PortsFolder m_folder; // for its unique prefix
};

TEST_F(NamedObjects, MutexIsRecursiveAndExcludesOtherThreads) {
    auto a = NamedMutex::open(name("MX"));
    auto b = NamedMutex::open(name("MX")); // a second mapping of the same mutex
    ASSERT_TRUE(a && b);
    ASSERT_EQ(a->lock(), LockResult::Acquired);
    ASSERT_EQ(b->lock(), LockResult::Acquired); // same thread: recursion
    std::atomic<bool> gotIt{false};
    std::thread other([&] {
        NamedMutexGuard g(*a);
        gotIt = true;
    });
    b->unlock();
    EXPECT_FALSE(gotIt.load()); // still held once
    a->unlock();
    other.join();
    EXPECT_TRUE(gotIt.load());
}

TEST_F(NamedObjects, MutexOfAKilledHolderIsRecoveredAsAbandoned) {
    test::Helper holder(m_folder.prefix(), 1, "9600,E,8,1");
    ASSERT_EQ(holder.call("lockmutex " + name("MX")), "locked");
    holder.kill();
    auto m = NamedMutex::open(name("MX"));
    ASSERT_TRUE(m);
    {
        NamedMutexGuard g(*m);
        EXPECT_TRUE(g.owns());
        EXPECT_TRUE(g.abandoned());
    }
    NamedMutexGuard again(*m);
    EXPECT_TRUE(again.owns());
    EXPECT_FALSE(again.abandoned());
}

TEST_F(NamedObjects, AutoResetEventReleasesOneWaiterManualReleasesAll) {
    auto autoEv = SharedEvent::open(name("EVA"), EventReset::Auto);
    auto manualEv = SharedEvent::open(name("EVM"), EventReset::Manual);
    ASSERT_TRUE(autoEv && manualEv);
    EXPECT_EQ(autoEv->wait(in(20ms)), EventWait::TimedOut);

    std::atomic<int> released{0};
    std::atomic<bool> stop{false};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i) {
        waiters.emplace_back([&] {
            if (autoEv->wait(in(10s), &stop) == EventWait::Signalled) {
                ++released;
                released.notify_all();
            }
        });
    }
    autoEv->set();
    // The one released waiter consumed the event: a fresh wait finds it clear.
    released.wait(0);
    EXPECT_FALSE(autoEv->isSet());
    stop = true;
    autoEv->wakeWaiters(); // the cancelled waiters leave at once
    for (auto& t : waiters) {
        t.join();
    }
    EXPECT_EQ(released.load(), 1);

    manualEv->set();
    EXPECT_EQ(manualEv->wait(in(1s)), EventWait::Signalled);
    EXPECT_EQ(manualEv->wait(in(1s)), EventWait::Signalled);
    manualEv->reset();
    EXPECT_EQ(manualEv->wait(in(10ms)), EventWait::TimedOut);
}

} // namespace
} // namespace tavrin
