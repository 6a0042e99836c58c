// The refresh contract, auto-poll, Disconnect and destruction, driven through the control's
// dispatch interface with a scripted port in place of the serial line.
#include "ControlTestSupport.h"

#include <future>
#include <thread>

namespace tavrin::test {
namespace {

namespace d = dispid;

class RefreshTest : public ::testing::Test {
protected:
    void SetUp() override { m_control = make(); }

    std::unique_ptr<CTAVRINCtrl> make(ThreadLauncher launcher = {}) {
        return scriptedControl(m_script, m_host, std::move(launcher));
    }

    std::int16_t result() { return get(*m_control, d::Result).asI2(); }
    bool busy() { return get(*m_control, d::Busy).asBool(); }
    bool completed(std::size_t n = 1) {
        return pumpUntil([&] { return m_host.count(d::Complete) >= n; });
    }

    std::shared_ptr<PortScript> m_script = std::make_shared<PortScript>();
    Host m_host;
    std::unique_ptr<CTAVRINCtrl> m_control;
};

TEST_F(RefreshTest, CompleteFiresOnTheHostThreadWithTheReplyApplied) {
    m_script->reply = [](DataArea& data, std::int16_t& memQty) {
        ASSERT_TRUE(data.setDataFloatSwap(0, 12.5f));
        memQty = 2;
    };
    ASSERT_TRUE(put(*m_control, d::Function, Variant::i2(4)));
    ASSERT_TRUE(put(*m_control, d::MemStart, Variant::bstr("30001")));
    ASSERT_TRUE(put(*m_control, d::MemQty, Variant::i2(7)));
    const auto host = std::this_thread::get_id();
    std::thread::id firedOn;
    m_host.onEventHook = [&](const Host::Event&) { firedOn = std::this_thread::get_id(); };

    ASSERT_TRUE(call(*m_control, d::AsyncRefresh));
    ASSERT_TRUE(completed());

    EXPECT_EQ(firedOn, host);
    EXPECT_EQ(m_host.events.front().value, 0);
    EXPECT_EQ(result(), 0);
    EXPECT_FALSE(busy());
    Variant value;
    ASSERT_TRUE(call(*m_control, d::GetDataFloatSwapM, {Variant::i2(0)}, &value));
    EXPECT_EQ(value.asR4(), 12.5f);
    EXPECT_EQ(get(*m_control, d::MemQty).asI2(), 2);
    ASSERT_EQ(m_script->requests.size(), 1u);
    EXPECT_EQ(m_script->requests[0].function, 4);
    EXPECT_EQ(m_script->requests[0].memStart, "30001");
    EXPECT_EQ(m_script->requests[0].memQty, 7);
}

TEST_F(RefreshTest, SecondRefreshWhileBusyGives1792WithoutEventAndTheFirstStillCompletes) {
    m_script->holdTransactions = true;
    m_script->result = RES_AX_COMM_TIMEOUT;
    ASSERT_TRUE(call(*m_control, d::AsyncRefresh));
    ASSERT_TRUE(m_script->waitUntil([&] { return m_script->transactionsStarted == 1; }));

    ASSERT_TRUE(call(*m_control, d::AsyncRefresh));
    EXPECT_EQ(result(), TAVRIN_RESULT_DEVICE_BUSY);
    EXPECT_TRUE(busy());
    NotifyQueue::forCurrentThread()->pump();
    EXPECT_TRUE(m_host.events.empty());

    m_script->release();
    ASSERT_TRUE(completed());
    ASSERT_EQ(m_host.events.size(), 1u);
    EXPECT_EQ(m_host.events[0].value, RES_AX_COMM_TIMEOUT);
    EXPECT_EQ(result(), RES_AX_COMM_TIMEOUT);
    EXPECT_EQ(m_script->transactionsStarted, 1);
}

// The thread has finished but the host has not pumped yet: a refused refresh overwrites
// Result with 1792, and the completion still reports (and restores) its own result.
TEST_F(RefreshTest, CompletionCarriesItsOwnResultPastALaterRefusal) {
    m_script->result = 7;
    ASSERT_TRUE(call(*m_control, d::AsyncRefresh));
    ASSERT_TRUE(m_script->waitUntil([&] { return m_script->transactionsEnded == 1; }));
    ASSERT_TRUE(call(*m_control, d::AsyncRefresh));
    EXPECT_EQ(result(), TAVRIN_RESULT_DEVICE_BUSY);

    ASSERT_TRUE(completed());
    EXPECT_EQ(m_host.events[0].value, 7);
    EXPECT_EQ(result(), 7);
}

TEST_F(RefreshTest, BusyReadsTrueInsideCompleteAndFalseAfter) {
    std::optional<bool> busyInside;
    m_host.onEventHook = [&](const Host::Event&) { busyInside = busy(); };
    ASSERT_TRUE(call(*m_control, d::Refresh));
    ASSERT_TRUE(completed());
    EXPECT_EQ(busyInside, true);
    EXPECT_FALSE(busy());
}

TEST_F(RefreshTest, DisabledControlIgnoresEveryRefreshMethod) {
    m_script->openable = false;
    ASSERT_TRUE(call(*m_control, d::SyncRefresh));
    ASSERT_EQ(result(), RES_AX_COMM_OPEN);
    ASSERT_TRUE(put(*m_control, d::Enabled, Variant::boolean(false)));

    for (automation::DispId method : {d::AsyncRefresh, d::Refresh2, d::Refresh, d::SyncRefresh}) {
        ASSERT_TRUE(call(*m_control, method));
    }
    NotifyQueue::forCurrentThread()->pump();
    EXPECT_TRUE(m_host.events.empty());
    EXPECT_EQ(result(), RES_AX_COMM_OPEN);
    EXPECT_EQ(m_script->opens, 1);
}

// Which Function/AddressType pairs are refused before any I/O: the single-register and
// coil functions 1, 3, 5, 6, 15 and 16 work with every convention, the others not with the
// Enron one (AddressType 3).
TEST_F(RefreshTest, RefusedFunctionForAddressTypeCompletesWithin5376BeforeReturning) {
    struct Case {
        std::int16_t function;
        std::int16_t addressType;
        bool refused;
    };
    const Case cases[] = {{2, 3, true},  {4, 3, true},   {23, 3, true}, {1, 3, false},
                          {3, 3, false}, {16, 3, false}, {2, 0, false}, {4, 4, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "Function " << c.function << " AddressType " << c.addressType);
        m_host.events.clear();
        ASSERT_TRUE(put(*m_control, d::Function, Variant::i2(c.function)));
        ASSERT_TRUE(put(*m_control, d::AddressType, Variant::i2(c.addressType)));
        ASSERT_TRUE(call(*m_control, d::AsyncRefresh));
        if (c.refused) {
            ASSERT_EQ(m_host.events.size(), 1u);
            EXPECT_EQ(m_host.events[0].value, RES_AX_INVALID_FUNCTION);
            EXPECT_FALSE(busy());
        } else {
            EXPECT_TRUE(m_host.events.empty());
            ASSERT_TRUE(completed());
            EXPECT_EQ(m_host.events[0].value, 0);
        }
    }
    EXPECT_EQ(m_script->transactionsStarted, 5);
}

TEST_F(RefreshTest, FunctionsWithoutARequestCompleteWith5376OnTheThread) {
    for (std::int16_t function : {std::int16_t{0}, std::int16_t{255}}) {
        m_host.events.clear();
        ASSERT_TRUE(put(*m_control, d::Function, Variant::i2(function)));
        ASSERT_TRUE(call(*m_control, d::AsyncRefresh));
        ASSERT_TRUE(completed());
        EXPECT_EQ(m_host.events[0].value, RES_AX_INVALID_FUNCTION);
    }
    EXPECT_EQ(m_script->transactionsStarted, 0);
}

TEST_F(RefreshTest, ThreadThatCannotStartGives8192WithinTheCall) {
    m_control = make([](std::function<void()>, std::thread&) { return false; });
    ASSERT_TRUE(call(*m_control, d::AsyncRefresh));
    ASSERT_EQ(m_host.events.size(), 1u);
    EXPECT_EQ(m_host.events[0].value, RES_AX_COMM_THREAD_NOT_READY);
    EXPECT_EQ(result(), RES_AX_COMM_THREAD_NOT_READY);
    EXPECT_FALSE(busy());
}

TEST_F(RefreshTest, ThreadNotReadyWithinTimeoutTransGives8192AndLaterRefreshesWork) {
    std::promise<void> go;
    auto started = go.get_future().share();
    m_control = make([started](std::function<void()> body, std::thread& thread) {
        thread = std::thread([started, body = std::move(body)] {
            started.wait();
            body();
        });
        return true;
    });
    ASSERT_TRUE(put(*m_control, d::TimeoutTrans, Variant::i2(1)));
    ASSERT_TRUE(call(*m_control, d::AsyncRefresh));
    ASSERT_EQ(m_host.events.size(), 1u);
    EXPECT_EQ(m_host.events[0].value, RES_AX_COMM_THREAD_NOT_READY);

    go.set_value();
    ASSERT_TRUE(put(*m_control, d::TimeoutTrans, Variant::i2(5000)));
    ASSERT_TRUE(call(*m_control, d::AsyncRefresh));
    ASSERT_TRUE(completed(2));
    EXPECT_EQ(m_host.events[1].value, 0);
}

TEST_F(RefreshTest, AutoPollReports1280EachIntervalWhileThePortCannotOpen) {
    m_script->openable = false;
    ASSERT_TRUE(put(*m_control, d::AutoPollInterval, Variant::i4(10)));
    // Switching auto-poll on at run time refreshes at once, then the thread polls.
    ASSERT_TRUE(put(*m_control, d::AutoPollEnabled, Variant::boolean(true)));
    ASSERT_TRUE(completed(4));
    ASSERT_TRUE(put(*m_control, d::AutoPollEnabled, Variant::boolean(false)));
    for (const Host::Event& e : m_host.events) {
        EXPECT_EQ(e.id, d::Complete);
        EXPECT_EQ(e.value, RES_AX_COMM_OPEN);
    }
    EXPECT_EQ(m_script->transactionsStarted, 0);
}

// Polls wait for the host to take each completion: without pumping, one poll is served and
// its completion waits in the queue; no second transaction starts behind Busy.
TEST_F(RefreshTest, AutoPollWaitsForTheHostToTakeTheLastCompletion) {
    m_script->holdTransactions = true;
    ASSERT_TRUE(put(*m_control, d::AutoPollInterval, Variant::i4(0)));
    ASSERT_TRUE(put(*m_control, d::AutoPollEnabled, Variant::boolean(true)));
    ASSERT_TRUE(m_script->waitUntil([&] { return m_script->transactionsStarted == 1; }));
    m_script->release();
    ASSERT_TRUE(m_script->waitUntil([&] { return m_script->transactionsEnded == 1; }));
    EXPECT_FALSE(m_script->waitUntil([&] { return m_script->transactionsStarted > 1; }, 50ms));
    ASSERT_TRUE(completed(3)); // pumping lets the polls go on
    ASSERT_TRUE(put(*m_control, d::AutoPollEnabled, Variant::boolean(false)));
}

TEST_F(RefreshTest, DestroyingTheControlDuringATransactionEndsItWith4864AndReturns) {
    m_script->waitForStop = true;
    ASSERT_TRUE(call(*m_control, d::AsyncRefresh));
    ASSERT_TRUE(m_script->waitUntil([&] { return m_script->transactionsStarted == 1; }));
    m_control.reset();
    EXPECT_EQ(m_script->returned, std::vector<std::uint16_t>{RES_AX_TERMINATION_REQUESTED});
    // Its completion was queued and is dropped with the control.
    NotifyQueue::forCurrentThread()->pump();
    EXPECT_TRUE(m_host.events.empty());
}

TEST_F(RefreshTest, ControlReleasedInsideItsOwnCompleteIsNotTouchedAfterwards) {
    m_host.onEventHook = [&](const Host::Event&) { m_control.reset(); };
    ASSERT_TRUE(call(*m_control, d::AsyncRefresh));
    ASSERT_TRUE(completed());
    EXPECT_EQ(m_control, nullptr);
}

TEST_F(RefreshTest, SyncRefreshRunsInTheCallingThreadWithoutEvent) {
    std::thread::id ranOn;
    m_script->reply = [&](DataArea&, std::int16_t&) { ranOn = std::this_thread::get_id(); };
    ASSERT_TRUE(call(*m_control, d::SyncRefresh));
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_EQ(result(), 0);

    m_script->openable = false;
    ASSERT_TRUE(call(*m_control, d::SyncRefresh));
    EXPECT_EQ(result(), RES_AX_COMM_OPEN);

    m_script->openable = true;
    ASSERT_TRUE(put(*m_control, d::Function, Variant::i2(2)));
    ASSERT_TRUE(put(*m_control, d::AddressType, Variant::i2(3)));
    ASSERT_TRUE(call(*m_control, d::SyncRefresh));
    EXPECT_EQ(result(), RES_AX_INVALID_FUNCTION);
    EXPECT_EQ(m_script->transactionsStarted, 1);
    NotifyQueue::forCurrentThread()->pump();
    EXPECT_TRUE(m_host.events.empty());
    EXPECT_FALSE(busy());
}

TEST_F(RefreshTest, PortFlagsReachThePortOnceAfterEachChange) {
    ASSERT_TRUE(call(*m_control, d::SyncRefresh));
    ASSERT_TRUE(call(*m_control, d::SyncRefresh));
    ASSERT_TRUE(put(*m_control, d::Adapter, Variant::i2(5)));
    ASSERT_TRUE(put(*m_control, d::CommSettings, Variant::bstr("19200,n,8,1")));
    ASSERT_TRUE(call(*m_control, d::SyncRefresh));
    ASSERT_EQ(m_script->setups.size(), 3u);
    // Both flags are set at creation, consumed by the first open, and set again by writes.
    EXPECT_TRUE(m_script->setups[0].reopenPort && m_script->setups[0].reapplySettings);
    EXPECT_FALSE(m_script->setups[1].reopenPort || m_script->setups[1].reapplySettings);
    EXPECT_TRUE(m_script->setups[2].reopenPort && m_script->setups[2].reapplySettings);
    EXPECT_EQ(m_script->setups[2].adapter, 5);
    EXPECT_EQ(m_script->setups[2].commSettings, "19200,N,8,1");
}

TEST_F(RefreshTest, DisconnectIsIgnoredWhileBusyAndOtherwiseClosesThePort) {
    m_script->holdTransactions = true;
    ASSERT_TRUE(call(*m_control, d::AsyncRefresh));
    ASSERT_TRUE(call(*m_control, d::Disconnect));
    m_script->release();
    ASSERT_TRUE(completed());
    EXPECT_EQ(m_script->disconnects, 0);
    ASSERT_TRUE(call(*m_control, d::Disconnect));
    EXPECT_EQ(m_script->disconnects, 1);
    // The next refresh lifts the pause and is served.
    ASSERT_TRUE(call(*m_control, d::AsyncRefresh));
    ASSERT_TRUE(completed(2));
}

// The operator program's screen: 45 controls on one host thread, one queue. Each gets its
// own completion, exactly once, with its own result.
TEST(ManyControlsTest, FortyFiveControlsOnOneThreadEachCompleteOnce) {
    constexpr int kControls = 45;
    struct Instance {
        std::shared_ptr<PortScript> script = std::make_shared<PortScript>();
        Host host;
        std::unique_ptr<CTAVRINCtrl> control;
    };
    std::vector<Instance> instances(kControls);
    for (int i = 0; i < kControls; ++i) {
        Instance& in = instances[static_cast<std::size_t>(i)];
        in.script->result = static_cast<std::uint16_t>(i);
        ControlEnvironment env;
        env.makePort = [script = in.script] { return std::make_unique<ScriptedPort>(script); };
        in.control = CTAVRINCtrl::create(std::move(env));
        in.control->advise(&in.host);
    }
    for (Instance& in : instances) {
        ASSERT_TRUE(call(*in.control, dispid::AsyncRefresh));
    }
    ASSERT_TRUE(pumpUntil([&] {
        for (const Instance& in : instances) {
            if (in.host.events.empty()) {
                return false;
            }
        }
        return true;
    }));
    NotifyQueue::forCurrentThread()->pump();
    for (int i = 0; i < kControls; ++i) {
        const Host& host = instances[static_cast<std::size_t>(i)].host;
        ASSERT_EQ(host.events.size(), 1u) << "control " << i;
        EXPECT_EQ(host.events[0].value, i);
    }
}

} // namespace
} // namespace tavrin::test
