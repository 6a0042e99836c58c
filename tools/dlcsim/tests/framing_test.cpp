// Slave-side framing: where requests begin and end in the bytes that arrive.
#include "AsciiFraming.h"
#include "RtuFraming.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace dlcsim {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

const TimePoint kT0{};
constexpr auto kSilence = 1750us;

// Well-known request vectors: read holding registers 1..2 of node 1 and read input
// registers 1..2 of node 1, with their CRCs as every Modbus tool prints them.
const Bytes kReadHolding{0x01, 0x03, 0x00, 0x00, 0x00, 0x02, 0xC4, 0x0B};
const Bytes kReadInput{0x01, 0x04, 0x00, 0x00, 0x00, 0x02, 0x71, 0xCB};

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct Chunk {
    Bytes bytes;
    std::chrono::microseconds at;
};

struct RtuCase {
    const char* name;
    std::vector<Chunk> chunks;
    std::vector<FrameStatus> beforeSilence;
    std::vector<FrameStatus> afterSilence;
};

const RtuCase kRtuCases[] = {
    {"whole frame ends by its length", {{kReadInput, 0us}}, {FrameStatus::Good}, {}},
    {"frame in two reads",
     {{Bytes(kReadInput.begin(), kReadInput.begin() + 3), 0us},
      {Bytes(kReadInput.begin() + 3, kReadInput.end()), 500us}},
     {FrameStatus::Good},
     {}},
    {"two frames in one read",
     {{kReadInput + kReadHolding, 0us}},
     {FrameStatus::Good, FrameStatus::Good},
     {}},
    {"bad crc waits for the silence",
     {{Bytes{1, 4, 0, 0, 0, 2, 0x71, 0xCC}, 0us}},
     {},
     {FrameStatus::BadChecksum}},
    {"cut frame", {{Bytes{1, 4, 0, 0, 0}, 0us}}, {}, {FrameStatus::Cut}},
    {"single byte", {{Bytes{1}, 0us}}, {}, {FrameStatus::Cut}},
    // 0x41 has no known length: only the silence ends it, and then the CRC decides.
    {"unknown function, wrong crc", {{Bytes{1, 0x41, 0, 0}, 0us}}, {}, {FrameStatus::BadChecksum}},
    {"oversized", {{Bytes(300, 0x55), 0us}}, {}, {FrameStatus::Oversized}},
};

std::vector<FrameStatus> statuses(const std::vector<ReceivedFrame>& frames) {
    std::vector<FrameStatus> s;
    for (const auto& f : frames) {
        s.push_back(f.status);
    }
    return s;
}

TEST(RtuFraming, FindsRequestsByLengthCrcAndSilence) {
    for (const RtuCase& c : kRtuCases) {
        RtuFraming framing(kSilence);
        std::vector<ReceivedFrame> out;
        TimePoint last = kT0;
        for (const Chunk& chunk : c.chunks) {
            last = kT0 + chunk.at;
            framing.receive(chunk.bytes, last, out);
            framing.expire(last, out);
        }
        EXPECT_EQ(statuses(out), c.beforeSilence) << c.name;
        out.clear();
        framing.expire(last + kSilence - 1us, out);
        EXPECT_TRUE(out.empty()) << c.name;
        framing.expire(last + kSilence, out);
        EXPECT_EQ(statuses(out), c.afterSilence) << c.name;
        EXPECT_FALSE(framing.deadline()) << c.name;
    }
}

TEST(RtuFraming, UnknownFunctionWithGoodCrcEndsAtTheSilence) {
    RtuFraming framing(kSilence);
    const Bytes frame = framing.encode(Bytes{1, 0x41}, false);
    std::vector<ReceivedFrame> out;
    framing.receive(frame, kT0, out);
    EXPECT_TRUE(out.empty());
    framing.expire(kT0 + kSilence, out);
    ASSERT_EQ(out.size(), 1U);
    EXPECT_EQ(out[0].status, FrameStatus::Good);
    EXPECT_EQ(out[0].message, (Bytes{1, 0x41}));
}

TEST(RtuFraming, GoodFrameAfterABadOneIsServed) {
    RtuFraming framing(kSilence);
    std::vector<ReceivedFrame> out;
    framing.receive(Bytes{0x13, 0x37}, kT0, out);
    framing.expire(kT0 + kSilence, out);
    framing.receive(kReadHolding, kT0 + 2 * kSilence, out);
    EXPECT_EQ(statuses(out), (std::vector{FrameStatus::Cut, FrameStatus::Good}));
    EXPECT_EQ(out[1].message, (Bytes{1, 3, 0, 0, 0, 2}));
}

TEST(RtuFraming, EncodesCrcLowByteFirstAndCanSpoilIt) {
    RtuFraming framing(kSilence);
    EXPECT_EQ(framing.encode(Bytes{1, 3, 0, 0, 0, 2}, false), kReadHolding);
    EXPECT_NE(framing.encode(Bytes{1, 3, 0, 0, 0, 2}, true), kReadHolding);
}

Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

struct AsciiCase {
    const char* name;
    std::string line;
    std::vector<FrameStatus> frames;
};

// ":010300000002FA" is the read-holding vector above in ASCII framing (LRC 0xFA).
const AsciiCase kAsciiCases[] = {
    {"good", ":010300000002FA\r\n", {FrameStatus::Good}},
    {"lower-case hex", ":010300000002fa\r\n", {FrameStatus::Good}},
    {"noise before the frame", "xx:010300000002FA\r\n", {FrameStatus::Noise, FrameStatus::Good}},
    {"bad lrc", ":010300000002FB\r\n", {FrameStatus::BadChecksum}},
    {"cut by a new frame", ":0103:010300000002FA\r\n", {FrameStatus::Cut, FrameStatus::Good}},
    {"not hexadecimal", ":01030000000XFA\r\n", {FrameStatus::BadFraming}},
    {"odd length", ":010300000002F\r\n", {FrameStatus::BadFraming}},
    {"LF without CR", ":010300000002FA\n", {}},
};

TEST(AsciiFraming, FindsRequestsBetweenColonAndCrLf) {
    for (const AsciiCase& c : kAsciiCases) {
        AsciiFraming framing;
        std::vector<ReceivedFrame> out;
        framing.receive(text(c.line), kT0, out);
        EXPECT_EQ(statuses(out), c.frames) << c.name;
    }
}

TEST(AsciiFraming, CutFrameEndsAfterASecondOfSilence) {
    AsciiFraming framing;
    std::vector<ReceivedFrame> out;
    framing.receive(text(":0103"), kT0, out);
    framing.expire(kT0 + 999ms, out);
    EXPECT_TRUE(out.empty());
    framing.expire(kT0 + 1s, out);
    EXPECT_EQ(statuses(out), (std::vector{FrameStatus::Cut}));
}

TEST(AsciiFraming, EncodesUpperCaseHexWithLrc) {
    AsciiFraming framing;
    EXPECT_EQ(framing.encode(Bytes{1, 3, 0, 0, 0, 2}, false), text(":010300000002FA\r\n"));
    EXPECT_EQ(framing.encode(Bytes{1, 3, 0, 0, 0, 2}, true), text(":010300000002FB\r\n"));
}

} // namespace
} // namespace dlcsim
