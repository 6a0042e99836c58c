// The control dialling dlcsim's emulated modem over a pseudo-terminal: the commands as the
// modem receives them, the modem's failure answers, cancel, a hang-up nobody answers, a
// Modbus read over the call, a carrier that drops, and modems that misbehave.
#include "ModemTestSupport.h"
#include "modem/DialCommands.h"
#include "tavrin/TavrinEnums.h"

#include <csignal>

namespace tavrin::test {
namespace {

namespace d = dispid;
using Commands = std::vector<std::string>;

constexpr std::uint8_t kCallUp = MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON;
constexpr std::uint8_t kNoCarrier = MS_CTS_ON | MS_DSR_ON;

// AsyncRefresh and its Complete: the Result, or -1 when none came.
int readValue(CTAVRINCtrl& control, Host& host) {
    const std::size_t before = host.count(d::Complete);
    EXPECT_TRUE(call(control, d::AsyncRefresh));
    const auto result = waitForEvent(host, d::Complete, before + 1, 10s);
    return result ? static_cast<std::int16_t>(*result) : -1;
}

float valueOf(CTAVRINCtrl& control) {
    Variant value;
    EXPECT_TRUE(call(control, d::GetDataFloatSwapM, {Variant::i2(0)}, &value));
    return value.asR4();
}

Commands tail(const Commands& all, std::size_t from) {
    return from < all.size() ? Commands(all.begin() + static_cast<long>(from), all.end())
                             : Commands{};
}

struct DialCase {
    const char* name;
    const char* init1;
    const char* init2;
    const char* phoneSystem;
    const char* number;
    Commands received; // by the modem, up to the dial command
};

// The modem is on hook: the escape finds it in command mode already (and is logged as
// "+++" all the same), and each dial ends in CONNECT.
const DialCase kDials[] = {
    {"all four empty", "", "", "", "", {"+++", "AT", modem::kDefaultInitString, "ATDT"}},
    {"AT put in front", "&C1", "X4", "T", "5551234", {"+++", "AT", "AT&C1", "ATX4", "ATDT5551234"}},
    {"AT already there", "ATZ", "", "T", "1", {"+++", "AT", "ATZ", "ATDT1"}},
    {"lower-case p dials pulse", "ATZ", "", "p", "0,123", {"+++", "AT", "ATZ", "ATDP0,123"}},
};

TEST(ModemDial, TheModemReceivesTheCommandsTheArgumentsMake) {
    EmulatedModem modem;
    ASSERT_TRUE(modem.ready()) << modem.bus().readyLine();
    Host host;
    auto control = modemControl(modem, host);
    std::size_t dials = 0;
    for (const DialCase& c : kDials) {
        const std::size_t before = modem.commands().size();
        modemDial(*control, c.init1, c.init2, c.phoneSystem, c.number);
        EXPECT_EQ(waitForEvent(host, d::DialComplete, ++dials), 0) << c.name;
        EXPECT_EQ(tail(modem.commands(), before), c.received) << c.name;

        ASSERT_TRUE(call(*control, d::ModemHangup));
        EXPECT_EQ(waitForEvent(host, d::HangupComplete, dials), 0) << c.name;
        EXPECT_EQ(tail(modem.commands(), before + c.received.size()), (Commands{"+++", "ATH0"}))
            << c.name;
    }
}

struct FailureCase {
    const char* answer; // --modem-answer
    std::uint16_t result;
};

// Each failure ends the dial with its modem result, after which the dial hangs up.
const FailureCase kFailures[] = {
    {"dial=no-dialtone", MDM_RES_MODEM_RESP_NO_DIAL_TONE},
    {"dial=no-dial-tone", MDM_RES_MODEM_RESP_NO_DIAL_TONE},
    {"dial=busy", MDM_RES_MODEM_RESP_BUSY},
    {"dial=no-answer", MDM_RES_MODEM_RESP_NO_ANSWER},
    {"dial=no-carrier", MDM_RES_MODEM_RESP_NO_CARRIER},
    {"dial=error", MDM_RES_MODEM_RESP_ERROR},
    {"init=error", MDM_RES_MODEM_RESP_INIT1_CMD},
    {"at=error", MDM_RES_MODEM_RESP_ATTENTION_CMD},
    {"at=silence", MDM_RES_MODEM_RESP_ATTENTION_CMD},
    {"at=garbage", MDM_RES_MODEM_RESP_ATTENTION_CMD},
};

TEST(ModemDial, AFailureAnswerEndsTheDialWithItsResultAndTheModemIsHungUp) {
    for (const FailureCase& c : kFailures) {
        EmulatedModem modem({"--modem-answer", c.answer});
        ASSERT_TRUE(modem.ready()) << modem.bus().readyLine();
        Host host;
        auto control = modemControl(modem, host);
        modemDial(*control);
        EXPECT_EQ(waitForEvent(host, d::DialComplete), c.result) << c.answer;
        const Commands got = modem.commands();
        ASSERT_GE(got.size(), 2U) << c.answer;
        EXPECT_EQ(tail(got, got.size() - 2), (Commands{"+++", "ATH0"})) << c.answer;
    }
}

TEST(ModemDial, CancelDuringTheWaitForConnectGives40960) {
    EmulatedModem modem({"--modem-answer", "dial=silence"});
    ASSERT_TRUE(modem.ready()) << modem.bus().readyLine();
    Host host;
    auto control = modemControl(modem, host);
    modemDial(*control, "", "", "T", "5551234");
    ASSERT_TRUE(modem.waitForLog("state dialling"));
    ASSERT_TRUE(call(*control, d::ModemCancel));
    EXPECT_EQ(waitForEvent(host, d::DialComplete), MDM_RES_MODEM_OPERATION_CANCELLED);
    // The modem gave up dialling at the escape's first character; the dial hung up.
    EXPECT_TRUE(modem.waitForLog("dialling aborted"));
    EXPECT_EQ(modem.commands().back(), "ATH0");
}

TEST(ModemHangup, NoModemAnsweringGives44544AfterTheWait) {
    EmulatedModem modem({"--modem-answer", "all=silence"});
    ASSERT_TRUE(modem.ready()) << modem.bus().readyLine();
    Host host;
    const modem::ModemTimings timings = shortModemTimings();
    auto control = modemControl(modem, host, timings);
    const auto start = Clock::now();
    ASSERT_TRUE(call(*control, d::ModemHangup));
    EXPECT_EQ(waitForEvent(host, d::HangupComplete), TAVRIN_MODEM_RESULT_HANGUP_NO_ANSWER);
    EXPECT_GE(Clock::now() - start, timings.hangupAnswer);
}

// The answer to the escape must not pass for the answer to ATH0.
TEST(ModemHangup, AHangupNotAnsweredIsNotTakenForTheEscapesOk) {
    EmulatedModem modem({"--modem-answer", "hangup=silence"});
    ASSERT_TRUE(modem.ready()) << modem.bus().readyLine();
    Host host;
    auto control = modemControl(modem, host);
    modemDial(*control);
    ASSERT_EQ(waitForEvent(host, d::DialComplete), 0);
    ASSERT_TRUE(call(*control, d::ModemHangup));
    EXPECT_EQ(waitForEvent(host, d::HangupComplete), TAVRIN_MODEM_RESULT_HANGUP_NO_ANSWER);
    EXPECT_TRUE(modem.waitForLog("state command mode, call up")); // the escape was answered
}

TEST(ModemCall, AModbusReadGoesOverTheCallAndNowhereOnceHungUp) {
    EmulatedModem modem;
    ASSERT_TRUE(modem.ready()) << modem.bus().readyLine();
    Host host;
    auto control = modemControl(modem, host);
    modemDial(*control);
    ASSERT_EQ(waitForEvent(host, d::DialComplete), 0);
    // The lines as the modem has them in a call (the pty has none: read from the emulator).
    EXPECT_EQ(waitForEvent(host, d::ModemStatusChange), kCallUp);

    EXPECT_EQ(readValue(*control, host), 0);
    EXPECT_EQ(valueOf(*control), -3.25f);

    ASSERT_TRUE(call(*control, d::ModemHangup));
    EXPECT_EQ(waitForEvent(host, d::HangupComplete), 0);
    EXPECT_EQ(waitForEvent(host, d::ModemStatusChange, 2), kNoCarrier);
    EXPECT_EQ(readValue(*control, host), RES_AX_COMM_TIMEOUT);
}

TEST(ModemCall, ACarrierDropFiresModemStatusChangeAndEndsTheCall) {
    EmulatedModem modem({"--modem-fault", "carrier-drop=1"});
    ASSERT_TRUE(modem.ready()) << modem.bus().readyLine();
    Host host;
    auto control = modemControl(modem, host);
    bool dialledFromTheEvent = false;
    host.onEventHook = [&](const Host::Event& e) {
        // A host that redials when the carrier goes, from inside the event.
        if (e.id == d::ModemStatusChange && (e.value & MS_RLSD_ON) == 0 && !dialledFromTheEvent) {
            dialledFromTheEvent = true;
            modemDial(*control);
        }
    };
    modemDial(*control);
    ASSERT_EQ(waitForEvent(host, d::DialComplete), 0);
    EXPECT_EQ(waitForEvent(host, d::ModemStatusChange), kCallUp);
    EXPECT_EQ(readValue(*control, host), 0); // the modem drops the carrier after this reply
    EXPECT_EQ(waitForEvent(host, d::ModemStatusChange, 2), kNoCarrier);
    // The call was over inside the event: the dial from there was not ignored.
    EXPECT_TRUE(dialledFromTheEvent);
    EXPECT_EQ(waitForEvent(host, d::DialComplete, 2), 0);
    EXPECT_EQ(waitForEvent(host, d::ModemStatusChange, 3), kCallUp);
}

// The carrier goes while the second read of the call waits for its reply: the reply never
// comes (the modem's "NO CARRIER" is no frame), so the read ends at its time-out, and the
// lines then show the call over: a dial afterwards is served, not ignored as one while
// connected.
TEST(ModemCall, ACarrierLostBeforeAReplyEndsTheReadAtItsTimeOutAndTheCall) {
    EmulatedModem modem({"--modem-fault", "carrier-drop-before=2"});
    ASSERT_TRUE(modem.ready()) << modem.bus().readyLine();
    Host host;
    auto control = modemControl(modem, host);
    modemDial(*control);
    ASSERT_EQ(waitForEvent(host, d::DialComplete), 0);
    EXPECT_EQ(waitForEvent(host, d::ModemStatusChange), kCallUp);
    EXPECT_EQ(readValue(*control, host), 0);

    EXPECT_EQ(readValue(*control, host), RES_AX_COMM_TIMEOUT);
    EXPECT_TRUE(modem.waitForLog("state carrier lost"));
    EXPECT_EQ(waitForEvent(host, d::ModemStatusChange, 2), kNoCarrier);
    modemDial(*control);
    EXPECT_EQ(waitForEvent(host, d::DialComplete, 2), 0);
    EXPECT_EQ(waitForEvent(host, d::ModemStatusChange, 3), kCallUp);
}

// Modems that echo, answer twice, answer a byte at a time or with noise in front: the dial,
// a read over the call and the hang-up work all the same.
TEST(ModemCall, ChatteringModemsStillConnect) {
    for (const char* fault : {"echo", "double", "split", "noise"}) {
        EmulatedModem modem({"--modem-fault", fault});
        ASSERT_TRUE(modem.ready()) << modem.bus().readyLine();
        Host host;
        auto control = modemControl(modem, host);
        modemDial(*control);
        ASSERT_EQ(waitForEvent(host, d::DialComplete), 0) << fault;
        EXPECT_EQ(readValue(*control, host), 0) << fault;
        ASSERT_TRUE(call(*control, d::ModemHangup));
        EXPECT_EQ(waitForEvent(host, d::HangupComplete), 0) << fault;
    }
}

TEST(ModemDial, AModemThatGoesAwayEndsTheWaitForConnect) {
    EmulatedModem modem({"--modem-answer", "dial=silence"});
    ASSERT_TRUE(modem.ready()) << modem.bus().readyLine();
    Host host;
    auto control = modemControl(modem, host);
    modemDial(*control);
    ASSERT_TRUE(modem.waitForLog("state dialling"));
    modem.bus().stop(SIGKILL);
    EXPECT_EQ(waitForEvent(host, d::DialComplete), MDM_RES_MODEM_WRITE_DIAL_CMD);
}

TEST(ModemDial, DestroyingTheControlDuringTheWaitForConnectReturns) {
    EmulatedModem modem({"--modem-answer", "dial=silence"});
    ASSERT_TRUE(modem.ready()) << modem.bus().readyLine();
    Host host;
    auto control = modemControl(modem, host, modem::ModemTimings{}); // the real waits
    modemDial(*control);
    ASSERT_TRUE(modem.waitForLog("state dialling", 20s));
    control.reset(); // the wait ends as cancelled, the hang-up skips its waits, DTR drops
    NotifyQueue::forCurrentThread()->pump();
    EXPECT_EQ(host.count(d::DialComplete), 0U);
}

} // namespace
} // namespace tavrin::test
