#include "BenchSupport.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/resource.h>

namespace tavrin::bench {
namespace {

CpuTime fromUsage(const rusage& u) {
    CpuTime t;
    t.user = static_cast<double>(u.ru_utime.tv_sec) + static_cast<double>(u.ru_utime.tv_usec) / 1e6;
    t.system =
        static_cast<double>(u.ru_stime.tv_sec) + static_cast<double>(u.ru_stime.tv_usec) / 1e6;
    t.voluntarySwitches = u.ru_nvcsw;
    t.involuntarySwitches = u.ru_nivcsw;
    return t;
}

} // namespace

CpuTime threadCpu() {
    rusage u{};
    getrusage(RUSAGE_THREAD, &u);
    return fromUsage(u);
}

CpuTime processCpu() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return fromUsage(u);
}

long residentKib() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

double RoundTrips::percentile(double p) const {
    if (micros.empty()) {
        return 0;
    }
    std::vector<double> sorted = micros;
    std::sort(sorted.begin(), sorted.end());
    const auto last = static_cast<double>(sorted.size() - 1);
    return sorted[static_cast<std::size_t>(p / 100.0 * last + 0.5)];
}

void printLatency(const std::string& who, const RoundTrips& trips, double cpuSeconds,
                  int failures) {
    const double perTransaction =
        trips.micros.empty() ? 0 : cpuSeconds * 1e6 / static_cast<double>(trips.micros.size());
    std::printf("latency %s %.1f %.1f %.1f %d\n", who.c_str(), trips.percentile(50),
                trips.percentile(99), perTransaction, failures);
    std::fflush(stdout);
}

void printThroughput(const std::string& who, double perSecond, double smallestGapMs, long frames,
                     int failures) {
    std::printf("throughput %s %.1f %.3f %ld %d\n", who.c_str(), perSecond, smallestGapMs, frames,
                failures);
    std::fflush(stdout);
}

Gaps gapsInLog(const std::string& path) {
    // Each line: "<first byte s> <last byte s> rx|tx | bytes | verdict".
    std::ifstream in(path);
    Gaps gaps;
    double previousLast = -1;
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        double first = 0;
        double last = 0;
        if (!(fields >> first >> last)) {
            continue;
        }
        if (previousLast >= 0) {
            const double gapMs = (first - previousLast) * 1000.0;
            if (gaps.smallestMs < 0 || gapMs < gaps.smallestMs) {
                gaps.smallestMs = gapMs;
            }
        }
        previousLast = last;
        ++gaps.frames;
    }
    return gaps;
}

} // namespace tavrin::bench
