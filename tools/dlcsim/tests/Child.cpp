#include "Child.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <string_view>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace dlcsim::test {
namespace {

using Clock = std::chrono::steady_clock;

struct Spawned {
    pid_t pid = -1;
    int out = -1;
};

Spawned spawn(const std::vector<std::string>& argv, const std::string& portsFolder) {
    // Everything the child needs is built before fork: a test process may have other threads,
    // and the child may only make async-signal-safe calls until exec.
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    const std::string portsVariable = "TAVRIN_PORTS=" + portsFolder;
    std::vector<char*> env;
    for (char** e = environ; *e != nullptr; ++e) {
        if (portsFolder.empty() || std::string_view(*e).substr(0, 13) != "TAVRIN_PORTS=") {
            env.push_back(*e);
        }
    }
    if (!portsFolder.empty()) {
        env.push_back(const_cast<char*>(portsVariable.c_str()));
    }
    env.push_back(nullptr);
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        return {};
    }
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        if (portsFolder.empty()) {
            dup2(pipeFds[1], STDERR_FILENO); // a master's error messages count as its output
        }
        execvpe(args[0], args.data(), env.data());
        _exit(127);
    }
    close(pipeFds[1]);
    return {pid, pipeFds[0]};
}

// Reads until `until` returns true for what has come, EOF, or the deadline.
bool readUntil(int fd, std::string& text, Clock::time_point deadline,
               bool (*until)(const std::string&)) {
    char buffer[4096];
    while (!until(text)) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) {
            continue;
        }
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            return n == 0; // EOF
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
}

bool never(const std::string&) {
    return false;
}
bool hasLine(const std::string& t) {
    return t.find('\n') != std::string::npos;
}

// Waits for the child's exit (its pidfd turns readable) until the deadline, then kills it.
int reap(pid_t pid, Clock::time_point deadline) {
    const int fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (fd >= 0) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(std::max<long>(0, left.count()))) <= 0) {
            kill(pid, SIGKILL);
        }
        close(fd);
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

Finished runProgram(const std::vector<std::string>& argv, std::chrono::milliseconds deadline) {
    const auto until = Clock::now() + deadline;
    const Spawned s = spawn(argv, "");
    Finished f;
    readUntil(s.out, f.output, until, never);
    close(s.out);
    f.status = reap(s.pid, until);
    return f;
}

Simulator::Simulator(std::vector<std::string> args, Placement where) : m_where(std::move(where)) {
    if (m_where.portsFolder.empty() || m_where.logPath.empty()) {
        char root[] = "/tmp/dlcsim-test-XXXXXX";
        if (mkdtemp(root) == nullptr) {
            return;
        }
        m_root = root;
    }
    if (m_where.portsFolder.empty()) {
        m_where.portsFolder = m_root + "/ports";
    }
    if (m_where.linkName.empty()) {
        m_where.linkName = "COM5";
    }
    if (m_where.logPath.empty()) {
        m_where.logPath = m_root + "/frames.log";
    }
    args.insert(args.begin(), {DLCSIM_PATH, "--link", m_where.linkName, "--log", m_where.logPath});
    const Spawned s = spawn(args, m_where.portsFolder);
    m_pid = s.pid;
    m_out = s.out;
    std::string text;
    readUntil(m_out, text, Clock::now() + std::chrono::seconds(10), hasLine);
    const std::size_t end = text.find('\n');
    if (end == std::string::npos) {
        return;
    }
    m_readyLine = text.substr(0, end);
    const std::string arrow = " -> ";
    const std::size_t at = m_readyLine.find(arrow);
    if (at != std::string::npos) {
        m_pts = m_readyLine.substr(at + arrow.size());
    }
}

Simulator::~Simulator() {
    if (m_pid > 0) {
        stop(SIGKILL);
    }
    if (!m_root.empty()) {
        std::filesystem::remove_all(m_root);
    }
}

std::string Simulator::log() const {
    std::ifstream in(logPath());
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

Finished Simulator::stop(int signal) {
    Finished f;
    if (m_pid <= 0) {
        return f;
    }
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    kill(m_pid, signal);
    readUntil(m_out, f.output, deadline, never);
    close(m_out);
    f.status = reap(m_pid, deadline);
    m_pid = -1;
    return f;
}

} // namespace dlcsim::test
