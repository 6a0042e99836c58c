// Test fixtures for ports: a pseudo-terminal pair whose slave is linked into a private ports
// folder under a port name no other test uses, and a helper process that drives a CommPort
// of its own by line commands.
#ifndef TAVRIN_TESTS_PORTTESTSUPPORT_H
#define TAVRIN_TESTS_PORTTESTSUPPORT_H

#include "portshare/UniqueFd.h"

#include <chrono>
#include <cstddef>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tavrin::test {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::byte>;

Clock::time_point in(std::chrono::milliseconds ms);
Bytes bytesOf(std::initializer_list<int> values);
std::string hexOf(const Bytes& bytes);

// The far end of a port: the pty master. The slave is what the port opens.
class PtyPair {
public:
    PtyPair();
    const std::string& slavePath() const { return m_slavePath; }
    void write(const Bytes& bytes);
    // Exactly `count` bytes, or fewer if the deadline passes first.
    Bytes read(std::size_t count, Clock::time_point deadline);
    void closeMaster() { m_master.reset(); }
    // Non-blocking, for a peer that writes on its own terms.
    int masterFd() const { return m_master.get(); }

private:
    UniqueFd m_master;
    std::string m_slavePath;
};

// A ports folder of its own ($TAVRIN_PORTS, set for this process and its children) and a
// port prefix of letters unique to this process, so that named objects of tests running in
// parallel never meet.
class PortsFolder {
public:
    PortsFolder();
    ~PortsFolder();
    PortsFolder(const PortsFolder&) = delete;
    PortsFolder& operator=(const PortsFolder&) = delete;

    const std::string& path() const { return m_path; }
    const std::string& prefix() const { return m_prefix; }
    std::string portName(int number) const { return m_prefix + std::to_string(number); }
    // Links <prefix><number> to `target`, replacing an older link.
    void link(int number, const std::string& target);
    void unlink(int number);

private:
    std::string m_path;
    std::string m_prefix;
};

// A child process running the commport helper (or another helper program): one command per
// line in, one answer per line out (see commport_helper.cpp).
class Helper {
public:
    Helper(const std::string& prefix, int number, const std::string& settings);
    // Another helper program speaking the same line protocol.
    Helper(const std::string& program, const std::string& prefix, int number,
           const std::string& settings);
    ~Helper();
    Helper(const Helper&) = delete;
    Helper& operator=(const Helper&) = delete;

    std::string call(const std::string& command,
                     std::chrono::milliseconds timeout = std::chrono::seconds(10));
    pid_t pid() const { return m_pid; }
    void kill(); // SIGKILL, and reaps it

private:
    pid_t m_pid = -1;
    UniqueFd m_toChild;
    UniqueFd m_fromChild;
    std::string m_pending;
};

} // namespace tavrin::test

#endif
