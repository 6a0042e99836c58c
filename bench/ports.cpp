// One process driving several ports at once, as a bench PC with several adapters would: N = 1,
// 2, 4 and 8 ports, each with its own dlcsim timing a 38400 baud 8E1 line and its own control,
// all refreshed back to back from one host thread (a control is refreshed again as soon as its
// Complete arrives). The aggregate rate against N times the one-port rate, the line's limit
// for the frames of each run, and the process's CPU time per transaction.
//   bench_ports [seconds [N...]]
#include "BenchControl.h"
#include "BenchPort.h"
#include "BenchSupport.h"
#include "Child.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using namespace tavrin;
using namespace tavrin::bench;

const LineSpec kLine{38400};

void measure(int count, double seconds) {
    BenchPorts ports;
    std::vector<std::unique_ptr<dlcsim::test::Simulator>> sims;
    std::vector<std::unique_ptr<BenchControl>> controls;
    for (int n = 1; n <= count; ++n) {
        sims.push_back(std::make_unique<dlcsim::test::Simulator>(
            std::vector<std::string>{"--line-timing", "--baud", std::to_string(kLine.baud),
                                     "--cells", "1"},
            dlcsim::test::Placement{ports.folder(), ports.name(n),
                                    ports.folder() + "/" + std::to_string(n) + ".log"}));
        if (!sims.back()->ready()) {
            std::fprintf(stderr, "dlcsim did not start: %s\n", sims.back()->readyLine().c_str());
            return;
        }
        controls.push_back(std::make_unique<BenchControl>(ports.prefix(), n, kLine.settings()));
        // One transaction first: threads started, port open, before the clock runs.
        controls.back()->refresh();
    }
    long done = 0;
    int failures = 0;
    const double cpuBefore = processCpu().total();
    const auto start = Clock::now();
    const auto end =
        start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    std::vector<bool> active;
    for (auto& c : controls) {
        active.push_back(c->start());
    }
    while (std::find(active.begin(), active.end(), true) != active.end()) {
        BenchControl::waitAndPump();
        const bool over = Clock::now() >= end;
        for (std::size_t i = 0; i < controls.size(); ++i) {
            if (!active[i] || !controls[i]->completed()) {
                continue;
            }
            if (controls[i]->succeeded()) {
                ++done;
            } else {
                ++failures;
            }
            active[i] = !over && controls[i]->start();
        }
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = processCpu().total() - cpuBefore;
    controls.clear();
    double limit = 0;
    double smallestGap = -1;
    for (int n = 1; n <= count; ++n) {
        sims[static_cast<std::size_t>(n - 1)]->stop(SIGTERM);
        const LineUse use = lineUseInLog(ports.folder() + "/" + std::to_string(n) + ".log", kLine);
        limit += use.limitPerSecond();
        if (smallestGap < 0 || (use.smallestGapMs >= 0 && use.smallestGapMs < smallestGap)) {
            smallestGap = use.smallestGapMs;
        }
    }
    // "ports <N> <tx/s> <sum of the ports' limits tx/s> <cpu us/tx> <smallest gap ms> <failures>"
    std::printf("ports %d %.1f %.1f %.1f %.3f %d\n", count, static_cast<double>(done) / elapsed,
                limit, done > 0 ? cpu * 1e6 / static_cast<double>(done) : 0, smallestGap, failures);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    std::vector<int> counts;
    for (int i = 2; i < argc; ++i) {
        counts.push_back(std::atoi(argv[i]));
    }
    if (counts.empty()) {
        counts = {1, 2, 4, 8};
    }
    for (const int n : counts) {
        measure(n, seconds);
    }
    return 0;
}
