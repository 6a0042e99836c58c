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

// Where a simulator puts its link and frame log. Empty fields: a fresh temporary folder of its
// own (removed with it), the link COM5 and frames.log there.
struct Placement {
    std::string portsFolder;
    std::string linkName;
    std::string logPath;
};

// A running dlcsim serving a link in a ports folder.
class Simulator {
public:
    explicit Simulator(std::vector<std::string> args, Placement where = {});
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    bool ready() const { return !m_pts.empty(); }
    const std::string& readyLine() const { return m_readyLine; }
    std::string link() const { return m_where.portsFolder + "/" + m_where.linkName; }
    const std::string& pts() const { return m_pts; }
    const std::string& logPath() const { return m_where.logPath; }
    std::string log() const;

    // Sends `signal` and collects the rest of its output until it exits.
    Finished stop(int signal);

private:
    std::string m_root; // a folder of its own, when the placement left one to choose
    Placement m_where;
    pid_t m_pid = -1;
    int m_out = -1;
    std::string m_readyLine;
    std::string m_pts;
};

} // namespace dlcsim::test
