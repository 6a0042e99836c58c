// ModemDial, ModemHangup, ModemCancel and the modem events as the host sees them, with a
// scripted port in place of the modem: refusals, the connected state, requests served while
// disabled or paused, cancel (and the stale cancel), the lines watched during a call, ports
// and threads that fail, destruction.
#include "ControlTestSupport.h"
#include "tavrin/TavrinEnums.h"

#include <functional>
#include <utility>

namespace tavrin::test {
namespace {

namespace d = dispid;

constexpr std::uint8_t kCallUp = MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON;
constexpr std::uint8_t kNoCarrier = MS_CTS_ON | MS_DSR_ON;

class ModemControlTest : public ::testing::Test {
protected:
    void SetUp() override { m_control = scriptedControl(m_script, m_host); }

    void dial(const char* init1 = "", const char* number = "5551234") {
        ASSERT_TRUE(call(
            *m_control, d::ModemDial,
            {Variant::bstr(init1), Variant::bstr(""), Variant::bstr("T"), Variant::bstr(number)}));
    }
    bool events(automation::DispId id, std::size_t n) {
        return pumpUntil([&] { return m_host.count(id) >= n; });
    }
    std::uint16_t last(automation::DispId id) const {
        for (auto e = m_host.events.rbegin(); e != m_host.events.rend(); ++e) {
            if (e->id == id) {
                return static_cast<std::uint16_t>(e->value);
            }
        }
        return 0xFFFF;
    }
    void connected() {
        dial();
        ASSERT_TRUE(events(d::DialComplete, 1));
        ASSERT_EQ(last(d::DialComplete), 0);
    }
    void setLines(std::uint8_t lines) {
        std::lock_guard lock(m_script->mutex);
        m_script->modemLines = lines;
    }
    std::int16_t result() { return get(*m_control, d::Result).asI2(); }
    bool busy() { return get(*m_control, d::Busy).asBool(); }

    std::shared_ptr<PortScript> m_script = std::make_shared<PortScript>();
    Host m_host;
    std::unique_ptr<CTAVRINCtrl> m_control;
};

TEST_F(ModemControlTest, DialSendsTheComposedCommandsAndReportsWithBusyAlreadyFalse) {
    bool busyInside = true;
    m_host.onEventHook = [&](const Host::Event& e) {
        if (e.id == d::DialComplete) {
            busyInside = busy();
        }
    };
    dial("&F", "0,123");
    EXPECT_TRUE(busy());
    ASSERT_TRUE(events(d::DialComplete, 1));
    EXPECT_FALSE(busyInside);
    ASSERT_EQ(m_script->dials.size(), 1U);
    EXPECT_EQ(m_script->dials[0].initString1, "AT&F");
    EXPECT_EQ(m_script->dials[0].dialCommand, "ATDT0,123");
}

TEST_F(ModemControlTest, WhileBusyDialAndHangupAreRefusedWith1792AndNoEvent) {
    m_script->holdTransactions = true;
    ASSERT_TRUE(call(*m_control, d::AsyncRefresh));
    dial();
    EXPECT_EQ(result(), TAVRIN_RESULT_DEVICE_BUSY);
    ASSERT_TRUE(call(*m_control, d::ModemHangup));
    EXPECT_EQ(result(), TAVRIN_RESULT_DEVICE_BUSY);
    m_script->release();
    ASSERT_TRUE(events(d::Complete, 1));
    EXPECT_EQ(m_host.count(d::DialComplete) + m_host.count(d::HangupComplete), 0U);
    EXPECT_TRUE(m_script->dials.empty());
    EXPECT_EQ(m_script->hangups, 0);
}

TEST_F(ModemControlTest, WhileConnectedADialIsIgnoredUntilTheHangup) {
    connected();
    dial();
    EXPECT_FALSE(busy());
    ASSERT_TRUE(call(*m_control, d::ModemHangup));
    ASSERT_TRUE(events(d::HangupComplete, 1));
    EXPECT_EQ(last(d::HangupComplete), 0);
    EXPECT_EQ(m_script->dials.size(), 1U); // the second dial sent nothing
    EXPECT_EQ(m_host.count(d::DialComplete), 1U);
    dial();
    ASSERT_TRUE(events(d::DialComplete, 2));
    EXPECT_EQ(m_script->dials.size(), 2U);
}

TEST_F(ModemControlTest, AFailedDialLeavesNoCall) {
    m_script->dialResult = MDM_RES_MODEM_RESP_NO_DIAL_TONE;
    dial();
    ASSERT_TRUE(events(d::DialComplete, 1));
    EXPECT_EQ(last(d::DialComplete), MDM_RES_MODEM_RESP_NO_DIAL_TONE);
    m_script->dialResult = 0;
    dial(); // not ignored as connected
    ASSERT_TRUE(events(d::DialComplete, 2));
    EXPECT_EQ(last(d::DialComplete), 0);
}

// Busy is False inside DialComplete; a dial made there is a request of its own, and keeps
// Busy once the handler has returned.
TEST_F(ModemControlTest, ADialFromInsideDialCompleteOwnsBusyAfterTheHandler) {
    m_script->dialResult = MDM_RES_MODEM_RESP_BUSY;
    m_host.onEventHook = [&](const Host::Event& e) {
        if (e.id == d::DialComplete && m_host.count(d::DialComplete) == 1) {
            m_script->holdModem = true;
            dial();
        }
    };
    dial();
    ASSERT_TRUE(events(d::DialComplete, 1));
    EXPECT_TRUE(busy());
    ASSERT_TRUE(m_script->waitUntil([&] { return m_script->dials.size() == 2; }));
    ASSERT_TRUE(call(*m_control, d::AsyncRefresh));
    EXPECT_EQ(result(), TAVRIN_RESULT_DEVICE_BUSY); // refused: the dial runs
    ASSERT_TRUE(call(*m_control, d::ModemCancel));
    ASSERT_TRUE(events(d::DialComplete, 2));
    EXPECT_EQ(last(d::DialComplete), MDM_RES_MODEM_OPERATION_CANCELLED);
    EXPECT_EQ(m_host.count(d::Complete), 0U);
}

TEST_F(ModemControlTest, CancelEndsTheWaitOfTheProcedureInProgress) {
    m_script->holdModem = true;
    dial();
    ASSERT_TRUE(m_script->waitUntil([&] { return m_script->dials.size() == 1; }));
    ASSERT_TRUE(call(*m_control, d::ModemCancel));
    ASSERT_TRUE(events(d::DialComplete, 1));
    EXPECT_EQ(last(d::DialComplete), MDM_RES_MODEM_OPERATION_CANCELLED);
    EXPECT_FALSE(busy());
}

// A cancel given while nothing waits would otherwise end the next procedure's first wait
// at once; the control drops it when it accepts the next procedure.
TEST_F(ModemControlTest, ACancelGivenWhileNothingRunsIsDropped) {
    ASSERT_TRUE(call(*m_control, d::ModemCancel));
    dial();
    ASSERT_TRUE(events(d::DialComplete, 1));
    EXPECT_EQ(last(d::DialComplete), 0);

    ASSERT_TRUE(call(*m_control, d::ModemCancel));
    ASSERT_TRUE(call(*m_control, d::ModemHangup));
    ASSERT_TRUE(events(d::HangupComplete, 1));
    EXPECT_EQ(last(d::HangupComplete), 0);
}

// Transactions and auto-polls stop there, but a modem request held back would keep Busy
// True, after Disconnect for good: only AsyncRefresh lifts that pause, and not while Busy.
TEST_F(ModemControlTest, DialAndHangupAreServedWhileDisabledAndAfterDisconnect) {
    const std::pair<const char*, std::function<void()>> kStates[] = {
        {"Enabled False",
         [&] { ASSERT_TRUE(put(*m_control, d::Enabled, Variant::boolean(false))); }},
        {"after Disconnect",
         [&] {
             ASSERT_TRUE(put(*m_control, d::Enabled, Variant::boolean(true)));
             ASSERT_TRUE(call(*m_control, d::Disconnect));
         }},
    };
    std::size_t n = 0;
    for (const auto& [name, enter] : kStates) {
        enter();
        dial();
        ASSERT_TRUE(events(d::DialComplete, ++n)) << name;
        EXPECT_EQ(last(d::DialComplete), 0) << name;
        ASSERT_TRUE(call(*m_control, d::ModemHangup));
        ASSERT_TRUE(events(d::HangupComplete, n)) << name;
        EXPECT_EQ(last(d::HangupComplete), 0) << name;
        EXPECT_FALSE(busy()) << name;
    }
}

TEST_F(ModemControlTest, LinesChangedByTheProcedureAreReportedAfterItsCompletion) {
    setLines(kCallUp);
    connected();
    ASSERT_TRUE(events(d::ModemStatusChange, 1));
    ASSERT_EQ(m_host.events.size(), 2U);
    EXPECT_EQ(m_host.events[0].id, d::DialComplete);
    EXPECT_EQ(m_host.events[1].id, d::ModemStatusChange);
    EXPECT_EQ(m_host.events[1].value, kCallUp);
}

TEST_F(ModemControlTest, LossOfCarrierDuringACallEndsItAndTheHandlerMayDialAgain) {
    setLines(kCallUp);
    connected();
    ASSERT_TRUE(events(d::ModemStatusChange, 1));
    m_host.onEventHook = [&](const Host::Event& e) {
        if (e.id == d::ModemStatusChange && (e.value & MS_RLSD_ON) == 0) {
            dial();
        }
    };
    setLines(kNoCarrier); // the watch notices within a few passes
    ASSERT_TRUE(events(d::ModemStatusChange, 2));
    EXPECT_EQ(last(d::ModemStatusChange), kNoCarrier);
    ASSERT_TRUE(events(d::DialComplete, 2));
    EXPECT_EQ(m_script->dials.size(), 2U);
}

TEST_F(ModemControlTest, TheLinesAreReadOnEveryPassOnlyDuringACall) {
    const auto readsAcrossATransaction = [&] {
        const int before = m_script->statusReads;
        const std::size_t completes = m_host.count(d::Complete);
        EXPECT_TRUE(call(*m_control, d::AsyncRefresh));
        EXPECT_TRUE(events(d::Complete, completes + 1));
        return m_script->statusReads - before;
    };
    EXPECT_EQ(readsAcrossATransaction(), 0);
    connected();
    EXPECT_GE(readsAcrossATransaction(), 1);
    ASSERT_TRUE(call(*m_control, d::ModemHangup));
    ASSERT_TRUE(events(d::HangupComplete, 1));
    EXPECT_EQ(readsAcrossATransaction(), 0);
}

TEST_F(ModemControlTest, APortThatCannotBeOpenedGives1280) {
    m_script->openable = false;
    dial();
    ASSERT_TRUE(events(d::DialComplete, 1));
    EXPECT_EQ(last(d::DialComplete), RES_AX_COMM_OPEN);
    ASSERT_TRUE(call(*m_control, d::ModemHangup));
    ASSERT_TRUE(events(d::HangupComplete, 1));
    EXPECT_EQ(last(d::HangupComplete), RES_AX_COMM_OPEN);
    EXPECT_TRUE(m_script->dials.empty());
}

TEST_F(ModemControlTest, AThreadThatCannotStartGives8192WithinTheCall) {
    m_control = scriptedControl(m_script, m_host,
                                [](std::function<void()>, std::thread&) { return false; });
    dial();
    ASSERT_EQ(m_host.count(d::DialComplete), 1U);
    EXPECT_EQ(last(d::DialComplete), RES_AX_COMM_THREAD_NOT_READY);
    ASSERT_TRUE(call(*m_control, d::ModemHangup));
    ASSERT_EQ(m_host.count(d::HangupComplete), 1U);
    EXPECT_EQ(last(d::HangupComplete), RES_AX_COMM_THREAD_NOT_READY);
    EXPECT_FALSE(busy());
}

TEST_F(ModemControlTest, DestroyingTheControlDuringADialEndsItsWait) {
    m_script->holdModem = true;
    dial();
    ASSERT_TRUE(m_script->waitUntil([&] { return m_script->dials.size() == 1; }));
    m_control.reset(); // returns once the wait has ended as cancelled
    NotifyQueue::forCurrentThread()->pump();
    EXPECT_TRUE(m_host.events.empty());
}

} // namespace
} // namespace tavrin::test
