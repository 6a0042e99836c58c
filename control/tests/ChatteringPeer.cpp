#include "ChatteringPeer.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sched.h>
#include <unistd.h>

namespace tavrin::test {
namespace {

std::array<std::uint8_t, 4096> highBitNoise() {
    std::array<std::uint8_t, 4096> noise{};
    for (std::size_t i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<std::uint8_t>(0x80U | (i & 0x3FU));
    }
    return noise;
}

} // namespace

ChatteringPeer::ChatteringPeer(int master, std::size_t noiseBeforeAnswer, std::size_t cpu,
                               Answerer answerer)
    : m_noise(highBitNoise()), m_answerer(std::move(answerer)),
      m_thread([this, master, noiseBeforeAnswer, cpu] {
          placeThread(cpu, false);
          run(master, noiseBeforeAnswer);
      }) {}

ChatteringPeer::~ChatteringPeer() {
    m_stop.raise();
    m_thread.join();
}

void ChatteringPeer::run(int master, std::size_t noiseBeforeAnswer) {
    std::size_t sent = 0;     // noise since the last answer was set
    std::string answer;       // due once the noise is out
    std::size_t answerAt = 0; // how much of it has gone
    bool answerDue = false;
    for (;;) {
        pollfd fds[2] = {{master, POLLIN | POLLOUT, 0}, {m_stop.fd(), POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR) {
            return;
        }
        if (fds[1].revents != 0 || (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            return;
        }
        if ((fds[0].revents & POLLIN) != 0) {
            std::array<char, 256> in{};
            const ssize_t n = ::read(master, in.data(), in.size());
            for (ssize_t i = 0; i < n; ++i) {
                if (auto next = m_answerer(in[static_cast<std::size_t>(i)])) {
                    answer = std::move(*next);
                    answerAt = 0;
                    answerDue = true;
                    sent = 0;
                }
            }
        }
        if ((fds[0].revents & POLLOUT) == 0) {
            continue;
        }
        if (answerDue && sent >= noiseBeforeAnswer) {
            const ssize_t n = ::write(master, answer.data() + answerAt, answer.size() - answerAt);
            answerAt += n > 0 ? static_cast<std::size_t>(n) : 0;
            answerDue = answerAt < answer.size();
            continue;
        }
        const std::size_t size =
            answerDue ? std::min(m_noise.size(), noiseBeforeAnswer - sent) : m_noise.size();
        const ssize_t n = ::write(master, m_noise.data(), size);
        sent += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
}

void placeThread(std::size_t cpu, bool yields) {
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(cpu, &set);
    ::sched_setaffinity(0, sizeof set, &set);
    if (yields) {
        const sched_param idle{};
        ::sched_setscheduler(0, SCHED_IDLE, &idle);
    }
}

std::size_t firstCpu() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0) {
        for (std::size_t cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
            if (CPU_ISSET(cpu, &set)) {
                return cpu;
            }
        }
    }
    return 0;
}

ChatteringLine::ChatteringLine() {
    folder.link(1, pty.slavePath());
    opened = port.setPortName(folder.prefix(), 1) && port.setSettings("38400,N,8,1") && port.open();
}

void ChatteringLine::run(std::size_t noiseBeforeAnswer, ChatteringPeer::Answerer answerer,
                         const std::function<void()>& rounds) {
    const std::size_t cpu = firstCpu();
    const ChatteringPeer peer(pty.masterFd(), noiseBeforeAnswer, cpu, std::move(answerer));
    std::thread([&] {
        placeThread(cpu, true);
        NamedMutexGuard line = port.lockPort();
        rounds();
    }).join();
}

} // namespace tavrin::test
