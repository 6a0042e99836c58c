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

// One result line: "throughput <who> <transactions/s> <smallest gap ms> <frames> <failures>".
void printThroughput(const std::string& who, double perSecond, double smallestGapMs, long frames,
                     int failures);

// The smallest time between the last byte of one frame and the first of the next in a dlcsim
// frame log, in ms (negative when the log has fewer than two frames), and the frame count.
struct Gaps {
    double smallestMs = -1;
    long frames = 0;
};
Gaps gapsInLog(const std::string& path);

} // namespace tavrin::bench

#endif
