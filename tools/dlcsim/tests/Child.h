// Child processes for the end-to-end tests: dlcsim itself and command-line masters.
// Every wait has a deadline; nothing sleeps a fixed time.
#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace dlcsim::test {

struct Finished {
    int status = -1; // exit code, or -1 if it did not end in time
    std::string output;
};

// Runs a program to its end, collecting its standard output and error.
Finished runProgram(const std::vector<std::string>& argv,
                    std::chrono::milliseconds deadline = std::chrono::seconds(20));

// A running dlcsim with its own ports folder, serving the link COM5 there.
class Simulator {
public:
    explicit Simulator(std::vector<std::string> args);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    bool ready() const { return !m_pts.empty(); }
    const std::string& readyLine() const { return m_readyLine; }
    std::string link() const { return m_root + "/ports/COM5"; }
    const std::string& pts() const { return m_pts; }
    std::string logPath() const { return m_root + "/frames.log"; }
    std::string log() const;

    // Sends `signal` and collects the rest of its output until it exits.
    Finished stop(int signal);

private:
    std::string m_root; // the ports folder and the frame log live here
    pid_t m_pid = -1;
    int m_out = -1;
    std::string m_readyLine;
    std::string m_pts;
};

} // namespace dlcsim::test
