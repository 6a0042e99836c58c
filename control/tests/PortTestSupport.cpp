#include "PortTestSupport.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tavrin::test {
namespace {

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::to_string(errno));
}

bool waitReadable(int fd, Clock::time_point deadline) {
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return false;
        }
        pollfd p{fd, POLLIN, 0};
        const int rc = ::poll(&p, 1, static_cast<int>(left) + 1);
        if (rc > 0) {
            return true;
        }
        if (rc < 0 && errno != EINTR) {
            return false;
        }
    }
}

std::string letters(unsigned long value) {
    std::string s;
    do {
        s += static_cast<char>('a' + value % 26);
        value /= 26;
    } while (value != 0);
    return s;
}

} // namespace

Clock::time_point in(std::chrono::milliseconds ms) {
    return Clock::now() + ms;
}

Bytes bytesOf(std::initializer_list<int> values) {
    Bytes b;
    for (int v : values) {
        b.push_back(static_cast<std::byte>(v));
    }
    return b;
}

std::string hexOf(const Bytes& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string s;
    for (std::byte b : bytes) {
        const auto v = std::to_integer<unsigned>(b);
        s += digits[v >> 4];
        s += digits[v & 15];
    }
    return s;
}

PtyPair::PtyPair() {
    m_master.reset(::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!m_master.valid() || ::grantpt(m_master.get()) != 0 || ::unlockpt(m_master.get()) != 0) {
        fail("pty");
    }
    char name[128];
    if (::ptsname_r(m_master.get(), name, sizeof name) != 0) {
        fail("ptsname");
    }
    m_slavePath = name;
}

void PtyPair::write(const Bytes& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master.get(), bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (errno != EINTR && errno != EAGAIN) {
            fail("pty write");
        }
    }
}

Bytes PtyPair::read(std::size_t count, Clock::time_point deadline) {
    Bytes out;
    while (out.size() < count) {
        std::byte buffer[256];
        const ssize_t n =
            ::read(m_master.get(), buffer, std::min(sizeof buffer, count - out.size()));
        if (n > 0) {
            out.insert(out.end(), buffer, buffer + n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (!waitReadable(m_master.get(), deadline)) {
            break;
        }
    }
    return out;
}

PortsFolder::PortsFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tavrin-ports-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        fail("mkdtemp");
    }
    m_path = pattern;
    ::setenv("TAVRIN_PORTS", m_path.c_str(), 1);
    static unsigned long sequence = 0;
    m_prefix =
        "TST" + letters(static_cast<unsigned long>(::getpid())) + "x" + letters(sequence++) + "P";
}

PortsFolder::~PortsFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

void PortsFolder::link(int number, const std::string& target) {
    unlink(number);
    std::filesystem::create_symlink(target, m_path + "/" + portName(number));
}

void PortsFolder::unlink(int number) {
    std::error_code ignored;
    std::filesystem::remove(m_path + "/" + portName(number), ignored);
}

Helper::Helper(const std::string& prefix, int number, const std::string& settings)
    : Helper(TAVRIN_COMMPORT_HELPER, prefix, number, settings) {}

Helper::Helper(const std::string& program, const std::string& prefix, int number,
               const std::string& settings) {
    int toChild[2];
    int fromChild[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChild, O_CLOEXEC) != 0) {
        fail("pipe");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);
    const std::string numberText = std::to_string(number);
    std::string path = program;
    char* argv[] = {path.data(), const_cast<char*>(prefix.c_str()),
                    const_cast<char*>(numberText.c_str()), const_cast<char*>(settings.c_str()),
                    nullptr};
    const int rc = ::posix_spawn(&m_pid, path.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(toChild[0]);
    ::close(fromChild[1]);
    m_toChild.reset(toChild[1]);
    m_fromChild.reset(fromChild[0]);
    if (rc != 0) {
        errno = rc;
        fail("spawn helper");
    }
}

Helper::~Helper() {
    if (m_pid > 0) {
        m_toChild.reset(); // end of input: the helper closes its port and exits
        int status = 0;
        ::waitpid(m_pid, &status, 0);
    }
}

std::string Helper::call(const std::string& command, std::chrono::milliseconds timeout) {
    const std::string line = command + "\n";
    if (::write(m_toChild.get(), line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
        return "<helper gone>";
    }
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (auto eol = m_pending.find('\n'); eol != std::string::npos) {
            std::string answer = m_pending.substr(0, eol);
            m_pending.erase(0, eol + 1);
            return answer;
        }
        if (!waitReadable(m_fromChild.get(), deadline)) {
            return "<no answer>";
        }
        char buffer[256];
        const ssize_t n = ::read(m_fromChild.get(), buffer, sizeof buffer);
        if (n <= 0) {
            return "<helper gone>";
        }
        m_pending.append(buffer, static_cast<std::size_t>(n));
    }
}

void Helper::kill() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
    }
}

} // namespace tavrin::test
