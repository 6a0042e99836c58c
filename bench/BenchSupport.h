// What every benchmark program measures and prints: round-trip statistics, CPU time of a
// thread or the process, resident memory, and a frame log's smallest gap.
#ifndef TAVRIN_BENCH_BENCHSUPPORT_H
#define TAVRIN_BENCH_BENCHSUPPORT_H

#include <chrono>
#include <string>
#include <vector>

namespace tavrin::bench {

using Clock = std::chrono::steady_clock;

// Between two requests of a latency run: the line has been silent longer than the 1.75 ms
// interval frames need, so no master has to wait for it.
inline constexpr std::chrono::microseconds kQuietGap{2500};

struct CpuTime {
    double user = 0; // seconds
    double system = 0;
    long voluntarySwitches = 0;
    long involuntarySwitches = 0;
    double total() const { return user + system; }
};
CpuTime threadCpu();
CpuTime processCpu();

long residentKib();

// Median and 99th percentile of round trips in microseconds.
struct RoundTrips {
    std::vector<double> micros;
    void add(Clock::duration d) {
        micros.push_back(std::chrono::duration<double, std::micro>(d).count());
    }
    double percentile(double p) const;
};

// One result line: "latency <who> <median us> <p99 us> <cpu us per transaction> <failures>".
void printLatency(const std::string& who, const RoundTrips& trips, double cpuSeconds, int failures);

// The line a run used: the rate and the bits of one character (11 for 8E1).
struct LineSpec {
    int baud = 38400;
    int bitsPerCharacter = 11;
    double characterSeconds() const { return bitsPerCharacter / static_cast<double>(baud); }
    // 3.5 characters, fixed at 1.75 ms above 19200 baud.
    double silenceSeconds() const { return baud > 19200 ? 1.75e-3 : 3.5 * characterSeconds(); }
    std::string settings() const { return std::to_string(baud) + ",E,8,1"; }
};

// What a dlcsim frame log (with --line-timing: line times) says a run used of the line.
struct LineUse {
    long frames = 0;
    long replies = 0;          // frames the simulator sent
    double smallestGapMs = -1; // between one frame's end and the next one's start
    // The least time the frames of the run needed on the line as the slave answered them:
    // each request's bytes at the character time and the silence before it up to the 3.5
    // characters the line rules ask for (a master that kept less is given what it kept, so
    // that no master can look faster than the wire), and each reply with its turnaround as the
    // slave sent it (a slave's delay is no master's doing).
    double lineSeconds = 0;
    // Transactions per second the frames of the run allow at most.
    double limitPerSecond() const {
        return lineSeconds > 0 ? static_cast<double>(replies) / lineSeconds : 0;
    }
};
LineUse lineUseInLog(const std::string& path, const LineSpec& line);

// One result line: "throughput <who> <baud> <tx/s> <limit tx/s> <smallest gap ms> <frames>
// <failures> <cpu us per transaction>".
void printThroughput(const std::string& who, const LineSpec& line, double perSecond,
                     const LineUse& use, int failures, double cpuMicrosPerTransaction);

} // namespace tavrin::bench

#endif
