#include "EventLoop.h"
#include "Line.h"
#include "Modem.h"
#include "Session.h"
#include "Signals.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/prctl.h>
#include <time.h>

namespace dlcsim {
namespace {

// Session or Modem: receive, expire, nextDeadline, takeDue.
template <class Responder>
bool serveLine(Responder& session, Line& line, StopSignals& signals, std::string& error) {
    // Paced output is due every 286 us at 38400 baud; the default 50 us timer slack would
    // stretch the characters noticeably.
    prctl(PR_SET_TIMERSLACK, 1000UL);
    std::array<std::uint8_t, 4096> buffer{};
    enum : std::size_t { kSignals, kLine, kPeer };
    std::array<pollfd, 3> fds{};
    fds[kSignals] = {signals.fd(), POLLIN, 0};
    fds[kLine] = {line.fd(), POLLIN, 0};
    fds[kPeer] = {line.peerEventFd(), POLLIN, 0};
    const nfds_t count = line.peerEventFd() >= 0 ? 3 : 2;
    while (true) {
        timespec timeout{};
        timespec* wait = nullptr;
        if (const auto deadline = session.nextDeadline()) {
            const auto left = std::max(Clock::duration::zero(), *deadline - Clock::now());
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            timeout.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
            timeout.tv_nsec = static_cast<long>(ns % 1'000'000'000);
            wait = &timeout;
        }
        if (ppoll(fds.data(), count, wait, nullptr) < 0 && errno != EINTR) {
            error = std::string("ppoll: ") + std::strerror(errno);
            return false;
        }
        if ((fds[kSignals].revents & POLLIN) != 0 && signals.take() != 0) {
            return true;
        }
        if (count > kPeer && (fds[kPeer].revents & POLLIN) != 0) {
            line.onPeerEvent();
        }
        if ((fds[kLine].revents & POLLIN) != 0) {
            const long n = line.read(buffer);
            if (n < 0) {
                error = std::string("read ") + line.peerPath() + ": " + std::strerror(errno);
                return false;
            }
            session.receive(std::span(buffer).first(static_cast<std::size_t>(n)), Clock::now());
        } else if ((fds[kLine].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            // A pty never gets here (we hold its other side); a device that was unplugged does.
            error = "line " + line.peerPath() + " hung up";
            return false;
        }
        const TimePoint now = Clock::now();
        session.expire(now);
        const std::vector<std::uint8_t> out = session.takeDue(now);
        if (!out.empty()) {
            line.write(out);
        }
    }
}

} // namespace

bool serve(Session& session, Line& line, StopSignals& signals, std::string& error) {
    return serveLine(session, line, signals, error);
}

bool serve(Modem& modem, Line& line, StopSignals& signals, std::string& error) {
    return serveLine(modem, line, signals, error);
}

} // namespace dlcsim
