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

void printThroughput(const std::string& who, const LineSpec& line, double perSecond,
                     const LineUse& use, int failures, double cpuMicrosPerTransaction) {
    std::printf("throughput %s %d %.1f %.1f %.3f %ld %d %.1f\n", who.c_str(), line.baud, perSecond,
                use.limitPerSecond(), use.smallestGapMs, use.frames, failures,
                cpuMicrosPerTransaction);
    std::fflush(stdout);
}

LineUse lineUseInLog(const std::string& path, const LineSpec& line) {
    // Each line: "<first character's start s> <last character's end s> rx|tx | bytes | verdict".
    std::ifstream in(path);
    LineUse use;
    const double character = line.characterSeconds();
    const double silence = line.silenceSeconds();
    double previousEnd = -1;
    for (std::string text; std::getline(in, text);) {
        std::istringstream fields(text);
        double first = 0;
        double last = 0;
        std::string direction;
        if (!(fields >> first >> last >> direction)) {
            continue;
        }
        const bool reply = direction == "tx";
        const std::size_t open = text.find(" | ");
        const std::size_t close = text.rfind(" | ");
        long bytes = 0;
        if (open != std::string::npos && close > open) {
            std::istringstream hex(text.substr(open + 3, close - open - 3));
            for (std::string b; hex >> b;) {
                ++bytes;
            }
        }
        if (previousEnd >= 0) {
            const double gap = std::max(0.0, first - previousEnd);
            if (use.smallestGapMs < 0 || gap * 1000 < use.smallestGapMs) {
                use.smallestGapMs = gap * 1000;
            }
            // The slave's turnaround is the slave's: it counts as it was. The master's silence
            // counts up to what the line needs.
            use.lineSeconds += reply ? gap : std::min(gap, silence);
        }
        // Likewise a reply takes the time the slave took; a request what the wire needs.
        use.lineSeconds += reply ? last - first : static_cast<double>(bytes) * character;
        previousEnd = last;
        ++use.frames;
        use.replies += reply ? 1 : 0;
    }
    // No silence after the last reply: the run's clock stops at it, and a limit that counted one
    // could be beaten by a master that skipped every other silence.
    return use;
}

} // namespace tavrin::bench
