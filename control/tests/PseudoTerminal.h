// A pseudo-terminal pair in raw mode for talking to a serial peer without hardware: the peer
// opens slavePath() as its serial device, the test reads and writes the master side.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace tavrin::test {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd();
    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd = -1;
};

class PseudoTerminal {
public:
    // Throws std::runtime_error when the system has no pseudo-terminal to give.
    PseudoTerminal();

    const std::string& slavePath() const { return m_slavePath; }

    bool write(std::span<const std::uint8_t> bytes);
    // Reads from the master side until `done` says so or the deadline passes; returns what
    // arrived either way.
    std::vector<std::uint8_t>
    readUntil(std::chrono::milliseconds timeout,
              const std::function<bool(const std::vector<std::uint8_t>&)>& done);

private:
    UniqueFd m_master;
    // Held open so the line does not hang up between the peer's opens and closes.
    UniqueFd m_slave;
    std::string m_slavePath;
};

// Waits until fd is readable or the timeout passes.
bool waitReadable(int fd, std::chrono::milliseconds timeout);

} // namespace tavrin::test
