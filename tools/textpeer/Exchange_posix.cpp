#include "Escapes.h"
#include "Exchange.h"
#include "Line.h"
#include "Signals.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <optional>
#include <poll.h>
#include <sys/inotify.h>
#include <termios.h>
#include <unistd.h>

namespace textpeer {
namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

// The commands in the order they go out: the command line's list `repeat` times over, or the
// lines of standard input, each `repeat` times.
class Commands {
public:
    explicit Commands(const PeerConfig& config)
        : m_list(config.commands), m_repeat(config.repeat), m_fromInput(config.commands.empty()) {}

    bool fromInput() const { return m_fromInput; }

    std::optional<std::string> next() {
        if (m_fromInput) {
            if (m_lines.empty()) {
                return std::nullopt;
            }
            std::string line = m_lines.front();
            if (m_repeat != 0 && ++m_sentOfLine >= m_repeat) {
                m_lines.pop_front();
                m_sentOfLine = 0;
            }
            return line;
        }
        if (m_list.empty() || (m_repeat != 0 && m_round >= m_repeat)) {
            return std::nullopt;
        }
        std::string command = m_list[m_at];
        if (++m_at == m_list.size()) {
            m_at = 0;
            ++m_round;
        }
        return command;
    }

    // No command will come any more.
    bool done() const {
        if (m_fromInput) {
            return m_inputEnded && m_lines.empty();
        }
        return m_list.empty() || (m_repeat != 0 && m_round >= m_repeat);
    }

    // Bytes from standard input; a line ends at LF, with a CR before it dropped.
    void input(std::string_view bytes) {
        m_partial += bytes;
        std::size_t end = 0;
        while ((end = m_partial.find('\n')) != std::string::npos) {
            std::string line = m_partial.substr(0, end);
            m_partial.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            if (auto command = unescape(line)) {
                m_lines.push_back(std::move(*command));
            } else {
                std::fprintf(stderr, "textpeer: bad escape in '%s', not sent\n", line.c_str());
            }
        }
    }
    void endOfInput() {
        if (!m_partial.empty()) {
            input("\n");
        }
        m_inputEnded = true;
    }

private:
    std::vector<std::string> m_list;
    long m_repeat;
    bool m_fromInput;
    std::size_t m_at = 0;
    long m_round = 0;
    std::deque<std::string> m_lines;
    long m_sentOfLine = 0;
    std::string m_partial;
    bool m_inputEnded = false;
};

struct Sent {
    std::string command;
    Clock::time_point at;
};

struct Response {
    std::string bytes;
    Clock::time_point first;
    Clock::time_point last;
    std::optional<Sent> to; // the last command sent before its first character
};

void printLine(const std::string& text) {
    std::fputs(text.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::string quoted(std::string_view bytes) {
    return "\"" + escape(bytes) + "\"";
}

std::string millis(Clock::duration d) {
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%.1f", Ms(d).count());
    return text.data();
}

// Reads what inotify reports on the slave side of our pseudo-terminal: an open is the program
// under test connecting, a close its leaving.
bool peerOpened(int fd, const std::string& name, bool opened) {
    alignas(inotify_event) std::array<char, 4096> events{};
    for (;;) {
        const ssize_t n = ::read(fd, events.data(), events.size());
        if (n <= 0) {
            return opened;
        }
        for (ssize_t at = 0; at < n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(events.data() + at);
            if ((e->mask & IN_OPEN) != 0) {
                opened = true;
                printLine("textpeer: " + name + " opened");
            }
            if ((e->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) != 0) {
                printLine("textpeer: " + name + " closed");
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
        }
    }
}

} // namespace

bool exchange(const PeerConfig& config, dlcsim::Line& line, dlcsim::StopSignals& signals,
              const PeerWatch& watch, Counters& counters, std::string& error) {
    const auto timeout = std::chrono::milliseconds(config.timeoutMs);
    const auto quiet = std::chrono::milliseconds(config.quietMs);
    const auto interval = std::chrono::milliseconds(std::max(config.intervalMs, 0));
    Commands commands(config);
    bool inputOpen = commands.fromInput();
    // Sending waits for the program under test to open our pseudo-terminal.
    bool opened = watch.fd < 0;

    std::optional<Sent> awaited; // waiting for its response (not with --no-wait)
    std::optional<Sent> lastSent;
    std::optional<Response> response;
    auto nextSend = Clock::now();

    auto finishResponse = [&] {
        const Response& r = *response;
        if (r.to) {
            printLine(quoted(r.to->command) + " -> " + quoted(r.bytes) + " after " +
                      millis(r.first - r.to->at) + " ms");
        } else {
            printLine("unasked -> " + quoted(r.bytes));
        }
        ++counters.responses;
        response.reset();
        if (awaited) {
            awaited.reset();
            nextSend = std::max(nextSend, Clock::now());
        }
    };

    for (;;) {
        auto now = Clock::now();
        if (response && now >= response->last + quiet) {
            finishResponse();
        }
        if (awaited && !response && now >= awaited->at + timeout) {
            printLine(quoted(awaited->command) + " -> nothing within " +
                      std::to_string(config.timeoutMs) + " ms");
            ++counters.unanswered;
            awaited.reset();
            nextSend = std::max(nextSend, now);
        }
        if (opened && (!awaited || config.noWait) && now >= nextSend) {
            if (auto command = commands.next()) {
                const std::string bytes = *command + config.terminator;
                line.write({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
                if (!line.isPty()) {
                    // A device's write returns once the driver holds the bytes; the delay
                    // counts from when the last of them has left the line. A pseudo-terminal
                    // has no line to wait for.
                    while (::tcdrain(line.fd()) != 0 && errno == EINTR) {
                    }
                }
                now = Clock::now();
                ++counters.sent;
                lastSent = Sent{bytes, now};
                if (!config.noWait) {
                    awaited = lastSent;
                }
                nextSend = now + interval;
                continue;
            }
        }
        // With --no-wait the last commands' responses get their time-out to arrive.
        const bool tailOver = !config.noWait || !lastSent || now >= lastSent->at + timeout;
        if (commands.done() && !awaited && !response && tailOver) {
            return true;
        }

        std::optional<Clock::time_point> wake;
        auto sooner = [&](Clock::time_point t) { wake = wake ? std::min(*wake, t) : t; };
        if (response) {
            sooner(response->last + quiet);
        }
        if (awaited && !response) {
            sooner(awaited->at + timeout);
        }
        if (opened && (!awaited || config.noWait) && !commands.done()) {
            sooner(nextSend);
        }
        if (config.noWait && lastSent && commands.done()) {
            sooner(lastSent->at + timeout);
        }
        int waitMs = -1;
        if (wake) {
            waitMs = static_cast<int>(
                std::chrono::ceil<std::chrono::milliseconds>(*wake - Clock::now()).count());
            waitMs = std::max(waitMs, 0);
        }

        std::array<pollfd, 5> fds{};
        nfds_t count = 0;
        const auto add = [&](int fd) -> int {
            if (fd < 0) {
                return -1;
            }
            fds[count] = pollfd{fd, POLLIN, 0};
            return static_cast<int>(count++);
        };
        const int lineAt = add(line.fd());
        const int signalAt = add(signals.fd());
        const int inputAt = add(inputOpen ? STDIN_FILENO : -1);
        const int watchAt = add(watch.fd);
        const int peerAt = add(line.peerEventFd());
        if (::poll(fds.data(), count, waitMs) < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = std::string("poll: ") + std::strerror(errno);
            return false;
        }
        const auto ready = [&](int at) {
            return at >= 0 && fds[static_cast<std::size_t>(at)].revents != 0;
        };
        if (ready(signalAt) && signals.take() != 0) {
            return true;
        }
        if (ready(watchAt)) {
            opened = peerOpened(watch.fd, watch.name, opened);
        }
        if (ready(peerAt)) {
            line.onPeerEvent();
        }
        if (ready(inputAt)) {
            std::array<char, 4096> buffer{};
            const ssize_t n = ::read(STDIN_FILENO, buffer.data(), buffer.size());
            if (n > 0) {
                commands.input({buffer.data(), static_cast<std::size_t>(n)});
            } else if (n == 0 || errno != EINTR) {
                commands.endOfInput();
                inputOpen = false;
            }
        }
        if (ready(lineAt)) {
            std::array<std::uint8_t, 4096> buffer{};
            const long n = line.read(buffer);
            if (n < 0) {
                error = std::string("reading the line: ") + std::strerror(errno);
                return false;
            }
            if (n > 0) {
                now = Clock::now();
                if (!response) {
                    response = Response{{}, now, now, awaited ? awaited : lastSent};
                }
                response->bytes.append(reinterpret_cast<const char*>(buffer.data()),
                                       static_cast<std::size_t>(n));
                response->last = now;
                if (!config.terminator.empty() && response->bytes.ends_with(config.terminator)) {
                    finishResponse();
                }
            } else if ((fds[static_cast<std::size_t>(lineAt)].revents & (POLLHUP | POLLERR)) != 0) {
                error = "the line hung up";
                return false;
            }
        }
    }
}

} // namespace textpeer
