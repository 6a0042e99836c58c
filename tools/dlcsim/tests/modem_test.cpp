// The emulated modem on a made-up clock: the command dialogue, the escape's guard times,
// dialling, the call passing frames to the bus, the faults, and its command-line options.
#include "Modem.h"
#include "ModemFiles.h"
#include "ModemOptions.h"
#include "Options.h"
#include "Session.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace dlcsim {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

const TimePoint kT0 = TimePoint{} + 100s;
// Read input registers 1-2 of cell 1 and its reply with the value fixed at 1.0 (CRCs from
// pymodbus, as in the session's tests).
const Bytes kReadInput1{0x01, 0x04, 0x00, 0x00, 0x00, 0x02, 0x71, 0xCB};
const Bytes kReply1{1, 4, 4, 0x3F, 0x80, 0, 0, 0xF6, 0x78};

Bytes bytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

std::string text(const Bytes& b) {
    return std::string(b.begin(), b.end());
}

// A modem (guard time 100 ms, CONNECT 50 ms after ATD) in front of one cell, with what it
// logs and the lines it last reported.
struct Rig {
    explicit Rig(ModemConfig m = {}) : config(withCell()), modem(make(std::move(m))) {}

    static Config withCell() {
        Config c;
        c.cells.push_back(CellSettings{1, 1, 1.0});
        return c;
    }
    Modem make(ModemConfig m) {
        m.enabled = true;
        m.guardMs = 100;
        m.connectDelayMs = 50;
        return Modem(
            m, bus, 38400,
            [this](TimePoint, std::string_view kind, std::string_view line) {
                log.push_back(std::string(kind) + " " + std::string(line));
            },
            [this](const ModemLines& l) { lines = l; });
    }

    // Sends `input` at `at`, then collects what is due up to `until`.
    std::string exchange(std::string_view input, TimePoint at, TimePoint until) {
        modem.receive(bytes(input), at);
        return collect(at, until);
    }
    std::string collect(TimePoint from, TimePoint until) {
        std::string out = text(modem.takeDue(from));
        while (const auto next = modem.nextDeadline()) {
            if (*next > until) {
                break;
            }
            modem.expire(*next);
            out += text(modem.takeDue(*next));
        }
        return out;
    }
    // Dialled and connected at kT0 + 1 s, with echo off.
    void connect() {
        exchange("ATE0\r", kT0, kT0);
        exchange("ATDT5551234\r", kT0 + 1s, kT0 + 1s + 60ms);
        ASSERT_EQ(modem.state(), ModemState::Online);
    }

    Config config;
    Session bus{config, kT0, nullptr};
    std::vector<std::string> log;
    ModemLines lines;
    Modem modem;
};

struct DialogueCase {
    const char* name;
    const char* input;    // sent at once, on hook
    const char* expected; // everything the modem sends back
};

// Verbose answers framed in CR LF, the command echoed first while echo is on (E1 at power
// on), as a Hayes modem does.
const DialogueCase kDialogue[] = {
    {"attention", "AT\r", "AT\r\r\nOK\r\n"},
    {"lower case", "at\r", "at\r\r\nOK\r\n"},
    {"echo off takes effect after the line", "ATE0\rAT\r", "ATE0\r\r\nOK\r\n\r\nOK\r\n"},
    {"factory settings switch echo on again", "ATE0\rAT&F\rAT\r",
     "ATE0\r\r\nOK\r\n\r\nOK\r\nAT\r\r\nOK\r\n"},
    {"the default initialisation", "ATE0\rAT&FE0&C1&D2Q0V1S0=0S12=50S7=60X4\r",
     "ATE0\r\r\nOK\r\n\r\nOK\r\n"},
    {"what comes before AT is ignored", "ATE0\r+++AT\r", "ATE0\r\r\nOK\r\n\r\nOK\r\n"},
    {"no AT, no answer", "ATE0\rhello\r", "ATE0\r\r\nOK\r\n"},
    {"back online without a call", "ATE0\rATO\r", "ATE0\r\r\nOK\r\n\r\nNO CARRIER\r\n"},
    {"hang up on hook", "ATE0\rATH0\r", "ATE0\r\r\nOK\r\n\r\nOK\r\n"},
    {"backspace edits the line", "ATE0\rATX\bH\r", "ATE0\r\r\nOK\r\n\r\nOK\r\n"},
};

TEST(ModemDialogue, AnswersCommandsAsAHayesModem) {
    for (const DialogueCase& c : kDialogue) {
        Rig rig;
        EXPECT_EQ(rig.exchange(c.input, kT0, kT0 + 1s), c.expected) << c.name;
        EXPECT_EQ(rig.modem.state(), ModemState::OnHook) << c.name;
    }
}

TEST(ModemDialogue, AnOverlongLineIsAnError) {
    Rig rig;
    rig.exchange("ATE0\r", kT0, kT0);
    EXPECT_EQ(rig.exchange("AT" + std::string(300, 'S') + "\r", kT0, kT0), "\r\nERROR\r\n");
}

TEST(ModemCall, ConnectsAfterTheDelayAndPassesFramesBothWays) {
    Rig rig;
    rig.exchange("ATE0\r", kT0, kT0);
    EXPECT_EQ(rig.exchange("ATDT5551234\r", kT0 + 1s, kT0 + 1s + 49ms), "");
    EXPECT_EQ(rig.modem.state(), ModemState::Dialling);
    EXPECT_FALSE(rig.lines.carrier);
    EXPECT_EQ(rig.collect(kT0 + 1s + 49ms, kT0 + 1s + 50ms), "\r\nCONNECT 38400\r\n");
    EXPECT_EQ(rig.modem.state(), ModemState::Online);
    EXPECT_TRUE(rig.lines.carrier);
    EXPECT_EQ(rig.log.back(), "tx CONNECT 38400");

    rig.modem.receive(kReadInput1, kT0 + 2s);
    EXPECT_EQ(rig.modem.takeDue(kT0 + 2s), kReply1);
}

TEST(ModemCall, AnyCharacterWhileDiallingAbortsTheCall) {
    Rig rig;
    rig.exchange("ATE0\rATD\r", kT0, kT0 + 10ms);
    EXPECT_EQ(rig.exchange("x", kT0 + 20ms, kT0 + 1s), "\r\nNO CARRIER\r\n");
    EXPECT_EQ(rig.modem.state(), ModemState::OnHook);
}

struct EscapeCase {
    const char* name;
    std::chrono::milliseconds silenceBefore; // since the last byte of the call
    std::chrono::milliseconds between;       // between the pluses
    const char* after;                       // sent 50 ms after the pluses, if any
    bool escapes;
};

// Guard time 100 ms: silence of at least that before and after, pluses less apart.
const EscapeCase kEscapes[] = {
    {"guard times kept", 150ms, 0ms, nullptr, true},
    {"pluses apart but within the guard time", 150ms, 60ms, nullptr, true},
    {"too soon after data", 50ms, 0ms, nullptr, false},
    {"a byte follows within the guard time", 150ms, 0ms, "x", false},
    {"pluses too far apart", 150ms, 120ms, nullptr, false},
};

TEST(ModemEscape, OnlyPlusesFramedInGuardTimesReturnToCommandMode) {
    for (const EscapeCase& c : kEscapes) {
        Rig rig;
        rig.connect();
        const TimePoint last = kT0 + 2s;
        rig.modem.receive(kReadInput1, last);
        rig.modem.takeDue(last);
        TimePoint t = last + c.silenceBefore;
        for (int i = 0; i < 3; ++i, t += c.between) {
            rig.modem.receive(bytes("+"), t);
        }
        if (c.after != nullptr) {
            rig.modem.receive(bytes(c.after), t + 50ms);
        }
        const std::string out = rig.collect(t, t + 500ms);
        if (c.escapes) {
            EXPECT_EQ(out, "\r\nOK\r\n") << c.name;
            EXPECT_EQ(rig.modem.state(), ModemState::OnlineCommand) << c.name;
        } else {
            EXPECT_EQ(out, "") << c.name;
            EXPECT_EQ(rig.modem.state(), ModemState::Online) << c.name;
            // The pluses went to the bus as data, which took them for noise.
            EXPECT_GE(rig.bus.counters().bad, 1U) << c.name;
        }
        EXPECT_TRUE(rig.lines.carrier) << c.name;
    }
}

TEST(ModemEscape, HangUpAfterTheEscapeDropsTheCarrierAndBackOnlineResumes) {
    Rig rig;
    rig.connect();
    rig.exchange("+++", kT0 + 3s, kT0 + 3s + 200ms);
    EXPECT_EQ(rig.exchange("ATO\r", kT0 + 4s, kT0 + 4s), "\r\nCONNECT 38400\r\n");
    EXPECT_EQ(rig.modem.state(), ModemState::Online);
    rig.exchange("+++", kT0 + 5s, kT0 + 5s + 200ms);
    EXPECT_EQ(rig.exchange("ATH0\r", kT0 + 6s, kT0 + 6s), "\r\nOK\r\n");
    EXPECT_EQ(rig.modem.state(), ModemState::OnHook);
    EXPECT_FALSE(rig.lines.carrier);
    // On hook, frames reach no bus.
    rig.modem.receive(kReadInput1, kT0 + 7s);
    EXPECT_TRUE(rig.collect(kT0 + 7s, kT0 + 8s).empty());
}

struct AnswerCase {
    const char* option; // --modem-answer
    const char* input;  // with echo off
    std::string expected;
    ModemState state;
};

const AnswerCase kAnswers[] = {
    {"at=silence", "AT\r", "", ModemState::OnHook},
    {"at=error", "AT\r", "\r\nERROR\r\n", ModemState::OnHook},
    {"at=garbage", "AT\r", std::string("\x00\xFF\x7F\x1B\x8A\x3F", 6), ModemState::OnHook},
    {"init=error", "AT&F\r", "\r\nERROR\r\n", ModemState::OnHook},
    {"dial=no-dialtone", "ATDT1\r", "\r\nNO DIALTONE\r\n", ModemState::OnHook},
    {"dial=no-dial-tone", "ATDT1\r", "\r\nNO DIAL TONE\r\n", ModemState::OnHook},
    {"dial=busy", "ATDT1\r", "\r\nBUSY\r\n", ModemState::OnHook},
    {"dial=no-answer", "ATDT1\r", "\r\nNO ANSWER\r\n", ModemState::OnHook},
    {"dial=no-carrier", "ATDT1\r", "\r\nNO CARRIER\r\n", ModemState::OnHook},
    {"dial=silence", "ATDT1\r", "", ModemState::Dialling},
    {"hangup=silence", "ATH0\r", "", ModemState::OnHook},
    {"all=silence", "AT\r", "", ModemState::OnHook},
};

TEST(ModemFaults, ChosenAnswersReplaceTheUsualOnes) {
    for (const AnswerCase& c : kAnswers) {
        ModemConfig m;
        std::string error;
        ASSERT_TRUE(parseModemAnswer(c.option, m, error)) << error;
        Rig rig(m);
        rig.exchange("ATE0\r", kT0, kT0); // answered as the option says; echo goes off anyway
        EXPECT_EQ(rig.exchange(c.input, kT0 + 1s, kT0 + 10s), c.expected) << c.option;
        EXPECT_EQ(rig.modem.state(), c.state) << c.option;
    }
}

TEST(ModemFaults, EchoDoubleNoiseAndSplitShapeEveryAnswer) {
    {
        ModemConfig m;
        m.echoAlways = true;
        Rig rig(m);
        EXPECT_EQ(rig.exchange("ATE0\rAT\r", kT0, kT0), "ATE0\r\r\nOK\r\nAT\r\r\nOK\r\n");
    }
    {
        ModemConfig m;
        m.doubleAnswers = true;
        Rig rig(m);
        EXPECT_EQ(rig.exchange("ATE0\r", kT0, kT0), "ATE0\r\r\nOK\r\n\r\nOK\r\n");
    }
    {
        ModemConfig m;
        m.noise = true;
        Rig rig(m);
        EXPECT_EQ(rig.exchange("ATE0\r", kT0, kT0),
                  std::string("ATE0\r\x00\xFF\x7F\x1B\x8A\x3F", 11) + "\r\nOK\r\n");
    }
    {
        ModemConfig m;
        m.splitAnswers = true;
        Rig rig(m);
        rig.exchange("ATE0\r", kT0, kT0 + 1s);
        rig.modem.receive(bytes("AT\r"), kT0 + 2s);
        // A byte at a time, 4 ms apart: "\r\nOK\r\n" takes 20 ms to come out whole.
        EXPECT_EQ(text(rig.modem.takeDue(kT0 + 2s)), "\r");
        EXPECT_EQ(rig.modem.nextDeadline(), kT0 + 2s + 4ms);
        EXPECT_EQ(rig.collect(kT0 + 2s + 4ms, kT0 + 2s + 19ms), "\nOK\r");
        EXPECT_EQ(rig.collect(kT0 + 2s + 19ms, kT0 + 2s + 20ms), "\n");
    }
}

TEST(ModemFaults, TheCarrierDropsAfterTheChosenNumberOfReplies) {
    ModemConfig m;
    m.carrierDropAfter = 1;
    Rig rig(m);
    rig.connect();
    rig.modem.receive(kReadInput1, kT0 + 2s);
    const Bytes out = rig.modem.takeDue(kT0 + 2s);
    EXPECT_EQ(text(out), text(kReply1) + "\r\nNO CARRIER\r\n");
    EXPECT_EQ(rig.modem.state(), ModemState::OnHook);
    EXPECT_FALSE(rig.lines.carrier);
    EXPECT_EQ(rig.log.back(), "tx NO CARRIER");
}

// The carrier goes as the second reply of the call is due: the first reply comes through,
// the second never leaves, and the master hears only "NO CARRIER".
TEST(ModemFaults, TheCarrierDropsBeforeTheChosenReply) {
    ModemConfig m;
    m.carrierDropBefore = 2;
    Rig rig(m);
    rig.connect();
    rig.modem.receive(kReadInput1, kT0 + 2s);
    EXPECT_EQ(text(rig.modem.takeDue(kT0 + 2s)), text(kReply1));
    EXPECT_EQ(rig.modem.state(), ModemState::Online);
    rig.modem.receive(kReadInput1, kT0 + 3s);
    EXPECT_EQ(text(rig.modem.takeDue(kT0 + 3s)), "\r\nNO CARRIER\r\n");
    EXPECT_EQ(rig.modem.state(), ModemState::OnHook);
    EXPECT_FALSE(rig.lines.carrier);
    EXPECT_EQ(rig.collect(kT0 + 3s, kT0 + 5s), "");
}

TEST(ModemFiles, TheLinesFileHoldsTheWholeLineState) {
    EXPECT_EQ(formatModemLines(ModemLines{}), "cts=1 dsr=1 ri=0 dcd=0\n");
    EXPECT_EQ(formatModemLines(ModemLines{true, true, false, true}), "cts=1 dsr=1 ri=0 dcd=1\n");
}

struct OptionCase {
    std::vector<std::string_view> args;
    const char* error; // empty: accepted
};

const OptionCase kOptions[] = {
    {{"--link", "COM5", "--modem"}, ""},
    {{"--link", "COM5", "--modem", "--modem-answer", "dial=busy", "--modem-fault", "split",
      "--modem-fault", "carrier-drop=3", "--modem-fault", "carrier-drop-before=2", "--modem-guard",
      "50", "--modem-connect-delay", "0"},
     ""},
    {{"--link", "COM5", "--modem-answer", "dial=busy"}, "the --modem-* options need --modem"},
    {{"--link", "COM5", "--modem", "--modem-answer", "dial=maybe"}, "bad --modem-answer"},
    {{"--link", "COM5", "--modem", "--modem-answer", "ring=ok"}, "bad --modem-answer"},
    {{"--link", "COM5", "--modem", "--modem-fault", "loud"}, "unknown --modem-fault"},
    {{"--link", "COM5", "--modem", "--modem-fault", "carrier-drop=0"}, "bad --modem-fault"},
    {{"--link", "COM5", "--modem", "--modem-fault", "carrier-drop-before=x"}, "bad --modem-fault"},
    {{"--link", "COM5", "--modem", "--modem-guard", "0"}, "bad --modem-guard"},
    {{"--link", "COM5", "--modem=1"}, "--modem takes no value"},
    {{"--link", "COM5", "--modem", "--modem-log"}, "--modem-log needs a value"},
};

TEST(ModemOptions, AreCheckedLikeTheOthers) {
    for (const OptionCase& c : kOptions) {
        const ParsedOptions p = parseOptions(c.args);
        if (*c.error == '\0') {
            ASSERT_TRUE(p.config) << p.error;
            EXPECT_TRUE(p.config->modem.enabled);
        } else {
            EXPECT_FALSE(p.config);
            EXPECT_NE(p.error.find(c.error), std::string::npos) << p.error;
        }
    }
    const ParsedOptions p = parseOptions(kOptions[1].args);
    ASSERT_TRUE(p.config);
    const ModemConfig& m = p.config->modem;
    EXPECT_EQ(m.answers[static_cast<std::size_t>(ModemCommand::Dial)], ModemAnswer::Busy);
    EXPECT_TRUE(m.splitAnswers);
    EXPECT_EQ(m.carrierDropAfter, 3);
    EXPECT_EQ(m.carrierDropBefore, 2);
    EXPECT_EQ(m.guardMs, 50);
    EXPECT_EQ(m.connectDelayMs, 0);
}

} // namespace
} // namespace dlcsim
