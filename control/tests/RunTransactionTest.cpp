// One exchange against a scripted far end on a pseudo-terminal: a slave that never falls
// silent does not keep a transaction beyond its reply time-out.
#include "engine/RunTransaction.h"

#include "ChatteringPeer.h"
#include "tavrin/TavrinEnums.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace tavrin::test {
namespace {

// Function 4, two registers of node 1, zeros: 01 04 04 00 00 00 00, whose bytes sum to 0x09,
// so the LRC is 0x100 - 0x09 = 0xF7.
constexpr const char* kAsciiReply = ":01040400000000F7\r\n";

// An ASCII slave on a noisy line: it answers each request (a line ending in LF) behind the
// noise. No noise byte can begin a frame: the reader drops all of it.
ChatteringPeer::Answerer asciiSlave() {
    return [](char c) -> std::optional<std::string> {
        if (c == '\n') {
            return std::string(kAsciiReply);
        }
        return std::nullopt;
    };
}

// A reply loop that looks at its limit only when a read finds the line empty reads on through
// megabytes of noise and takes the reply behind it for a timely one (Result 0). Within 10 ms
// nobody reads 4 MiB, so a loop that keeps its limit ends with the time-out (256) every round.
TEST(RunTransaction, ASlaveThatNeverFallsSilentDoesNotOutlastTheReplyTimeout) {
    constexpr int kRounds = 4;
    constexpr std::size_t kNoiseBeforeAnswer = 4 << 20;
    ChatteringLine noisy;
    ASSERT_TRUE(noisy.opened);

    Transaction read;
    read.request.function = 4;
    read.request.nodeAddress = "1";
    read.request.memStart = "30001";
    read.request.memQty = 2;
    read.request.dataMode = 1; // ASCII
    read.timeoutTrans = 10;
    std::vector<std::uint16_t> results;
    noisy.run(kNoiseBeforeAnswer, asciiSlave(), [&] {
        frame::CodecState codec;
        DataArea data;
        for (int round = 0; round < kRounds; ++round) {
            std::int16_t memQty = read.request.memQty;
            results.push_back(RunTransaction(noisy.port, read, codec, data, memQty, -1).result);
        }
    });
    ASSERT_EQ(results.size(), static_cast<std::size_t>(kRounds));
    for (std::size_t i = 0; i < results.size(); ++i) {
        EXPECT_EQ(results[i], RES_AX_COMM_TIMEOUT) << "round " << i;
    }
}

} // namespace
} // namespace tavrin::test
