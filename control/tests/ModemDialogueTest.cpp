// The dialogue itself on a pseudo-terminal whose far end is scripted: a modem that never
// falls silent does not keep a timed answer wait beyond its limit.
#include "modem/ModemDialogue.h"

#include "ChatteringPeer.h"
#include "engine/StopSignal.h"
#include "tavrin/TavrinEnums.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace tavrin::test {
namespace {

using namespace std::chrono_literals;

// A modem on a noisy line: after each command byte it sends noise, and its answer only once
// `noiseBeforeAnswer` bytes of noise have gone out ("NO CARRIER" to a dial, "OK" to anything
// else). The amount is far more than a reader can take in within the dialogue's answer limits
// here, so an answer wait that keeps to its limit never sees the word.
ChatteringPeer::Answerer modemAnswers() {
    return [line = std::string(), dialling = false](char c) mutable -> std::optional<std::string> {
        if (c == '\r') {
            dialling = line.find("ATD") != std::string::npos;
            line.clear();
        } else {
            line += c;
        }
        return dialling ? "\r\nNO CARRIER\r\n" : "\r\nOK\r\n";
    };
}

// No fixed waits, and answer limits far shorter than the time a reader takes over the
// noise in front of an answer.
modem::ModemTimings quickTimings() {
    modem::ModemTimings t;
    t.settle = 0ms;
    t.escapeGuard = 0ms;
    t.commandAnswer = 10ms;
    t.afterConnect = 0ms;
    t.hangupAnswer = 10ms;
    return t;
}

// A wait that looks at its limit only when a read times out goes on as long as each read
// finds bytes waiting, and then takes the late answer for a timely one: the dial would go
// on to its dial command and end as "NO CARRIER", the hang-up would end as answered. A
// pseudo-terminal wakes its writer only once the reader has nearly emptied it, so the
// reader is put on the modem's processor, running only when the modem need not: then it
// seldom finds the line empty before the answer, and every round is a chance to.
TEST(ModemDialogue, AModemThatNeverFallsSilentDoesNotOutlastTheAnswerLimits) {
    constexpr int kRounds = 4;
    constexpr std::size_t kNoiseBeforeAnswer = 4 << 20;
    ChatteringLine noisy;
    ASSERT_TRUE(noisy.opened);

    const modem::ModemTimings timings = quickTimings();
    modem::ModemCancel cancel;
    const StopSignal stop;
    modem::ModemDialogue dialogue(noisy.port, timings, cancel, stop);
    std::vector<std::uint16_t> results;
    noisy.run(kNoiseBeforeAnswer, modemAnswers(), [&] {
        for (int round = 0; round < kRounds; ++round) {
            results.push_back(dialogue.dial(modem::dialCommands("", "", "", "")));
            results.push_back(dialogue.hangup());
        }
    });
    ASSERT_EQ(results.size(), 2U * kRounds);
    for (std::size_t i = 0; i < results.size(); i += 2) {
        EXPECT_EQ(results[i], MDM_RES_MODEM_RESP_ATTENTION_CMD) << "dial of round " << i / 2;
        EXPECT_EQ(results[i + 1], TAVRIN_MODEM_RESULT_HANGUP_NO_ANSWER) << "round " << i / 2;
    }
}

} // namespace
} // namespace tavrin::test
