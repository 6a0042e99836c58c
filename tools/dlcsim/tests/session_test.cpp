// The session on a made-up clock: reply timing, faults, counters, the log line format,
// and the command line.
#include "Faults.h"
#include "FrameLog.h"
#include "Options.h"
#include "Session.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace dlcsim {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

const TimePoint kT0 = TimePoint{} + 10s;
const Bytes kReadInput1{0x01, 0x04, 0x00, 0x00, 0x00, 0x02, 0x71, 0xCB};
const Bytes kReadInput2{0x02, 0x04, 0x00, 0x00, 0x00, 0x02, 0x71, 0xF8};
// Write single coil 1 on, broadcast (CRC from pymodbus).
const Bytes kSync{0x00, 0x05, 0x00, 0x00, 0xFF, 0x00, 0x8D, 0xEB};

Config cells(int n) {
    Config c;
    for (int i = 1; i <= n; ++i) {
        c.cells.push_back(
            CellSettings{static_cast<std::uint32_t>(i), static_cast<std::uint8_t>(i), 1.0});
    }
    return c;
}

TEST(SessionTiming, LineTimingPacesEachCharacterAfterTheTurnaround) {
    Config c = cells(1);
    c.lineTiming = true; // 38400 baud 8E1: 11 bits -> 286458 ns per character
    Session s(c, kT0, nullptr);
    s.receive(kReadInput1, kT0); // written at once, whole only eight characters later
    EXPECT_TRUE(s.takeDue(kT0).empty());
    constexpr auto kChar = 286458ns;
    for (int i = 0; i < 9; ++i) {
        // Turnaround 1.75 ms, then each character is whole one character time later.
        const TimePoint due = kT0 + kChar * 8 + 1750us + kChar * (i + 1);
        ASSERT_EQ(s.nextDeadline(), due) << i;
        EXPECT_TRUE(s.takeDue(due - 1ns).empty()) << i;
        EXPECT_EQ(s.takeDue(due).size(), 1U) << i;
    }
    EXPECT_FALSE(s.nextDeadline());
    EXPECT_EQ(s.counters().answered, 1U);
}

// A frame log line read back: line times in ns (to the log's microsecond) and the verdict.
struct LoggedFrame {
    std::string direction;
    std::int64_t firstNs = 0;
    std::int64_t lastNs = 0;
    std::string verdict;
};

std::vector<LoggedFrame> readLog(const std::string& path) {
    std::vector<LoggedFrame> frames;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        double first = 0;
        double last = 0;
        LoggedFrame f;
        fields >> first >> last >> f.direction;
        f.firstNs = std::llround(first * 1e6) * 1000;
        f.lastNs = std::llround(last * 1e6) * 1000;
        f.verdict = line.substr(line.rfind(" | ") + 3);
        frames.push_back(f);
    }
    return frames;
}

// Runs the session as the event loop does, every deadline in turn up to `until`.
void runUntil(Session& s, TimePoint until) {
    while (const auto due = s.nextDeadline()) {
        if (*due > until) {
            break;
        }
        s.expire(*due);
        s.takeDue(*due);
    }
}

std::int64_t ns(TimePoint t) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}

struct LineCase {
    int baud;
    std::chrono::nanoseconds character; // 11 bits at the rate
    std::chrono::nanoseconds silence;   // 3.5 characters, 1.75 ms above 19200 baud
};

const LineCase kLineCases[] = {
    {38400, 286458ns, 1750us},
    {9600, 1145833ns, 4010415ns},
};

// Request, reply and broadcast each take their wire time; the log shows when each frame's
// first character began and its last was whole, so that a gap is the line's silence, and a
// master that begins before the silence has passed is marked with the silence it kept.
TEST(SessionTiming, FrameLogHoldsLineTimesAndMarksASkippedSilence) {
    for (const LineCase& line : kLineCases) {
        SCOPED_TRACE(line.baud);
        const std::string path = ::testing::TempDir() + "line-" + std::to_string(line.baud);
        auto log = FrameLog::open(path);
        ASSERT_TRUE(log);
        Config c = cells(2);
        c.lineTiming = true;
        c.line.baud = line.baud;
        Session s(c, kT0, log.get());
        const auto ch = line.character;

        s.receive(kReadInput1, kT0);
        runUntil(s, kT0 + 1s);
        const TimePoint replyEnd = kT0 + ch * 8 + line.silence + ch * 9;
        // The master keeps the silence before the broadcast, then sends a request half of it
        // after the broadcast is whole.
        const TimePoint broadcastAt = replyEnd + line.silence + 100us;
        s.receive(kSync, broadcastAt);
        const TimePoint requestAt = broadcastAt + ch * 8 + line.silence / 2;
        s.receive(kReadInput2, requestAt);
        runUntil(s, kT0 + 2s);
        // And one written together with the broadcast before it: no silence at all.
        const TimePoint againAt = kT0 + 3s;
        Bytes both = kSync;
        both.insert(both.end(), kReadInput1.begin(), kReadInput1.end());
        s.receive(both, againAt);
        runUntil(s, kT0 + 4s);
        log.reset();

        const auto frames = readLog(path);
        ASSERT_EQ(frames.size(), 8U);
        struct Expected {
            const char* direction;
            TimePoint first;
            TimePoint last;
        };
        const TimePoint reply2At = requestAt + ch * 8 + line.silence;
        const TimePoint reply3At = againAt + ch * 16 + line.silence;
        const Expected expected[] = {
            {"rx", kT0, kT0 + ch * 8},
            {"tx", kT0 + ch * 8 + line.silence, replyEnd},
            {"rx", broadcastAt, broadcastAt + ch * 8},
            {"rx", requestAt, requestAt + ch * 8},
            {"tx", reply2At, reply2At + ch * 9},
            {"rx", againAt, againAt + ch * 8},
            {"rx", againAt + ch * 8, againAt + ch * 16},
            {"tx", reply3At, reply3At + ch * 9},
        };
        for (std::size_t i = 0; i < std::size(expected); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(frames[i].direction, expected[i].direction);
            EXPECT_NEAR(double(frames[i].firstNs), double(ns(expected[i].first)), 1000.0);
            EXPECT_NEAR(double(frames[i].lastNs), double(ns(expected[i].last)), 1000.0);
        }
        for (std::size_t i : {0U, 2U, 5U}) {
            EXPECT_EQ(frames[i].verdict.find("short silence"), std::string::npos) << i;
        }
        char half[48];
        std::snprintf(half, sizeof half, "[short silence %.3f ms]",
                      std::chrono::duration<double, std::milli>(line.silence / 2).count());
        EXPECT_NE(frames[3].verdict.find(half), std::string::npos) << frames[3].verdict;
        EXPECT_NE(frames[6].verdict.find("[short silence 0.000 ms]"), std::string::npos)
            << frames[6].verdict;
        std::remove(path.c_str());
    }
}

// A two-wire adapter hands the master every byte it sent, as the byte is whole on the line,
// before the reply; the echo is no traffic of the line: not logged, not counted.
TEST(SessionEcho, EveryByteComesBackBeforeTheReply) {
    for (bool lineTiming : {false, true}) {
        SCOPED_TRACE(lineTiming);
        const std::string path = ::testing::TempDir() + "echo";
        auto log = FrameLog::open(path);
        Config c = cells(1);
        c.echo = true;
        c.lineTiming = lineTiming;
        Session s(c, kT0, log.get());
        s.receive(kReadInput1, kT0);
        Bytes out = s.takeDue(kT0);
        if (lineTiming) {
            EXPECT_TRUE(out.empty());
            EXPECT_EQ(s.nextDeadline(), kT0 + 286458ns);
            for (auto due = s.nextDeadline(); due; due = s.nextDeadline()) {
                const Bytes more = s.takeDue(*due);
                out.insert(out.end(), more.begin(), more.end());
            }
        }
        Bytes expected = kReadInput1;
        expected.insert(expected.end(), {1, 4, 4, 0x3F, 0x80, 0, 0, 0xF6, 0x78});
        EXPECT_EQ(out, expected);
        EXPECT_EQ(s.counters().answered, 1U);
        log.reset();
        EXPECT_EQ(readLog(path).size(), 2U);
        std::remove(path.c_str());
    }
}

TEST(SessionTiming, WithoutLineTimingTheReplyGoesAtOnce) {
    Session s(cells(1), kT0, nullptr);
    s.receive(kReadInput1, kT0);
    EXPECT_EQ(s.takeDue(kT0), (Bytes{1, 4, 4, 0x3F, 0x80, 0, 0, 0xF6, 0x78}));
}

TEST(SessionCounters, CountFramesRepliesBroadcastsAndBadFrames) {
    Session s(cells(2), kT0, nullptr);
    s.receive(kReadInput1, kT0);
    s.receive(kSync, kT0 + 10ms);
    s.receive(Bytes{1, 4, 0, 0}, kT0 + 20ms);
    s.expire(kT0 + 30ms);
    s.takeDue(kT0 + 30ms);
    const Counters& n = s.counters();
    EXPECT_EQ(n.received, 3U);
    EXPECT_EQ(n.answered, 1U);
    EXPECT_EQ(n.broadcasts, 1U);
    EXPECT_EQ(n.bad, 1U);
    EXPECT_EQ(summaryLine(n), "dlcsim: frames received 3, answered 1, broadcasts 1, bad frames 1");
}

struct FaultCase {
    const char* name;
    const char* option;
    Bytes reply1; // cell 1's reply to kReadInput1, empty: none
};

// CRCs in this file were computed with pymodbus (pymodbus.utilities.computeCRC).
// Clean reply: 01 04 04 3F 80 00 00 F6 78 (1.0f); exception 6: 01 84 06 C3 02; the wrong
// checksum has its first byte inverted.
const FaultCase kFaultCases[] = {
    {"drop", "drop=1", {}},
    {"drop for another cell", "cell=2:drop=1", {1, 4, 4, 0x3F, 0x80, 0, 0, 0xF6, 0x78}},
    {"never", "drop=0", {1, 4, 4, 0x3F, 0x80, 0, 0, 0xF6, 0x78}},
    {"crc", "crc=1", {1, 4, 4, 0x3F, 0x80, 0, 0, 0x09, 0x78}},
    {"exception", "exception=6:1", {1, 0x84, 6, 0xC3, 0x02}},
};

TEST(SessionFaults, EachFaultChangesTheReplyAsItSays) {
    for (const FaultCase& f : kFaultCases) {
        Config c = cells(2);
        std::string error;
        c.faults.push_back(*parseFault(f.option, error));
        Session s(c, kT0, nullptr);
        s.receive(kReadInput1, kT0);
        EXPECT_EQ(s.takeDue(kT0), f.reply1) << f.name;
    }
}

TEST(SessionFaults, GarbageComesBeforeAnIntactReply) {
    Config c = cells(1);
    c.faults.push_back(FaultRule{FaultKind::Garbage, 1.0, 0, 0, 0});
    Session s(c, kT0, nullptr);
    s.receive(kReadInput1, kT0);
    const Bytes out = s.takeDue(kT0);
    const Bytes clean{1, 4, 4, 0x3F, 0x80, 0, 0, 0xF6, 0x78};
    ASSERT_GE(out.size(), clean.size() + 1);
    EXPECT_LE(out.size(), clean.size() + 4);
    EXPECT_TRUE(std::equal(clean.rbegin(), clean.rend(), out.rbegin()));
}

TEST(SessionFaults, DelayHoldsTheReplyBack) {
    Config c = cells(1);
    c.faults.push_back(FaultRule{FaultKind::Delay, 1.0, 300, 0, 0});
    Session s(c, kT0, nullptr);
    s.receive(kReadInput1, kT0);
    EXPECT_EQ(s.nextDeadline(), kT0 + 300ms);
    EXPECT_TRUE(s.takeDue(kT0 + 299ms).empty());
    EXPECT_EQ(s.takeDue(kT0 + 300ms).size(), 9U);
}

std::vector<FaultDecision> draws(std::uint64_t seed, Framing framing = Framing::Rtu) {
    Faults faults(
        {FaultRule{FaultKind::Drop, 0.5, 0, 0, 0}, FaultRule{FaultKind::Garbage, 0.5, 0, 0, 0}},
        seed, framing);
    std::vector<FaultDecision> d;
    for (int i = 0; i < 200; ++i) {
        d.push_back(faults.decide(1 + i % 2));
    }
    return d;
}

bool same(const std::vector<FaultDecision>& a, const std::vector<FaultDecision>& b) {
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].drop != b[i].drop || a[i].garbage != b[i].garbage) {
            return false;
        }
    }
    return true;
}

TEST(Faults, SameSeedSameDecisionsOtherSeedOthers) {
    EXPECT_TRUE(same(draws(7), draws(7)));
    EXPECT_FALSE(same(draws(7), draws(8)));
    int drops = 0;
    for (const auto& d : draws(7)) {
        drops += d.drop ? 1 : 0;
    }
    EXPECT_GT(drops, 50); // about half of 200
    EXPECT_LT(drops, 150);
}

TEST(Faults, AsciiNoiseNeverOpensAFrame) {
    for (const auto& d : draws(3, Framing::Ascii)) {
        for (std::uint8_t b : d.garbage) {
            EXPECT_NE(b, ':');
        }
    }
}

TEST(FrameLog, OneLineWithTimesDirectionBytesAndVerdict) {
    const TimePoint first = TimePoint{} + 12s + 345us;
    EXPECT_EQ(formatLogLine(first, first + 2ms, Direction::Rx, Bytes{0x01, 0xAB}, "bad crc"),
              "12.000345 12.002345 rx | 01 AB | bad crc");
}

struct OptionCase {
    std::vector<std::string_view> args;
    const char* error; // nullptr: accepted
};

const OptionCase kOptionCases[] = {
    {{"--link", "COM5"}, nullptr},
    {{"--device", "/dev/ttyUSB0", "--baud", "9600", "--parity", "N", "--stop-bits", "2"}, nullptr},
    {{"--link=COM5", "--cells", "3", "--serials", "7,8,9", "--addresses", "0,0,5"}, nullptr},
    {{"--link", "COM5", "--fault", "cell=2:drop=0.5", "--fault", "delay=20:0.1", "--fault",
      "exception=6:1", "--seed", "42", "--value-kind", "count", "--value", "12345"},
     nullptr},
    {{}, "--link"},
    {{"--link", "COM5", "--device", "/dev/ttyS0"}, "--link"},
    {{"--link", "a/b"}, "bad --link"},
    {{"--link", "COM5", "--cells", "248"}, "bad --cells"},
    {{"--link", "COM5", "--cells", "2", "--serials", "5"}, "one serial number per cell"},
    {{"--link", "COM5", "--cells", "2", "--serials", "5,5"}, "given twice"},
    {{"--link", "COM5", "--cells", "2", "--addresses", "3,3"}, "given twice"},
    {{"--link", "COM5", "--cells", "1", "--addresses", "248"}, "bad address"},
    {{"--link", "COM5", "--fault", "drop=1.5"}, "bad fault"},
    {{"--link", "COM5", "--fault", "exception=6"}, "bad fault"},
    {{"--link", "COM5", "--fault", "melt=1"}, "unknown fault"},
    {{"--link", "COM5", "--fault", "echo", "--line-timing"}, nullptr},
    {{"--link", "COM5", "--fault", "cell=1:echo"}, "unknown fault"},
    {{"--link", "COM5", "--cells", "2", "--fault", "cell=3:drop=1"}, "cell 3"},
    {{"--link", "COM5", "--value-kind", "count", "--value", "1.5"}, "bad value"},
    {{"--link", "COM5", "--mode", "tcp"}, "bad --mode"},
    {{"--link", "COM5", "--model", "0123456789012345678901234567890123456789X"}, "40"},
    {{"--link", "COM5", "--baud"}, "needs a value"},
    {{"--link", "COM5", "--frobnicate", "1"}, "unknown option"},
};

TEST(Options, AcceptsGoodCommandLinesAndNamesTheFault) {
    for (const OptionCase& c : kOptionCases) {
        const ParsedOptions p = parseOptions(c.args);
        const std::string line = c.args.empty() ? "(none)" : std::string(c.args[0]);
        if (c.error == nullptr) {
            EXPECT_TRUE(p.config.has_value()) << line << ": " << p.error;
        } else {
            EXPECT_FALSE(p.config.has_value()) << line;
            EXPECT_NE(p.error.find(c.error), std::string::npos) << line << ": " << p.error;
        }
    }
}

} // namespace
} // namespace dlcsim
