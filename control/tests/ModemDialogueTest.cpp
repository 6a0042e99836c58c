// The dialogue itself on a pseudo-terminal whose far end is scripted: a modem that never
// falls silent does not keep a timed answer wait beyond its limit.
#include "modem/ModemDialogue.h"

#include "PortTestSupport.h"
#include "commport/CommPort.h"
#include "engine/StopSignal.h"
#include "tavrin/TavrinEnums.h"

#include <array>
#include <cerrno>
#include <gtest/gtest.h>
#include <poll.h>
#include <sched.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tavrin::test {
namespace {

using namespace std::chrono_literals;

// A modem on a noisy line: after each command it sends noise without pause, and its answer
// only once `noiseBeforeAnswer` bytes of noise have gone out ("NO CARRIER" to a dial, "OK"
// to anything else), then noise again until the next command. The amount is far more than
// a reader can take in within the dialogue's answer limits here, so an answer wait that
// keeps to its limit never sees the word.
class ChatteringModem {
public:
    ChatteringModem(int master, std::size_t noiseBeforeAnswer, std::size_t cpu);
    ~ChatteringModem();
    ChatteringModem(const ChatteringModem&) = delete;
    ChatteringModem& operator=(const ChatteringModem&) = delete;

private:
    void run(int master, std::size_t noiseBeforeAnswer);

    StopSignal m_stop;
    std::thread m_thread;
};

// Puts the calling thread on `cpu`; a thread that `yields` runs there only when nothing
// else on that processor wants to.
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

ChatteringModem::ChatteringModem(int master, std::size_t noiseBeforeAnswer, std::size_t cpu)
    : m_thread([this, master, noiseBeforeAnswer, cpu] {
          placeThread(cpu, false);
          run(master, noiseBeforeAnswer);
      }) {}

ChatteringModem::~ChatteringModem() {
    m_stop.raise();
    m_thread.join();
}

void ChatteringModem::run(int master, std::size_t noiseBeforeAnswer) {
    // None of these is a letter of an answer word.
    std::array<std::uint8_t, 4096> noise{};
    for (std::size_t i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<std::uint8_t>(0x80U | (i & 0x3FU));
    }
    std::string line;         // the command being received
    bool dialling = false;    // the last command was a dial
    std::size_t sent = 0;     // noise since the last command byte
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
                const char c = in[static_cast<std::size_t>(i)];
                if (c == '\r') {
                    dialling = line.find("ATD") != std::string::npos;
                    line.clear();
                } else {
                    line += c;
                }
                sent = 0;
                answerDue = true;
                answer = dialling ? "\r\nNO CARRIER\r\n" : "\r\nOK\r\n";
                answerAt = 0;
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
            answerDue ? std::min(noise.size(), noiseBeforeAnswer - sent) : noise.size();
        const ssize_t n = ::write(master, noise.data(), size);
        sent += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
}

// No fixed waits, and answer limits far shorter than the time a reader takes over the
// noise in front of an answer.
modem::ModemTimings quickTimings() {
    modem::ModemTimings t;
    t.settle = 0ms;
    t.escapeGuard = 0ms;
    t.commandAnswer = 10ms;
    t.afterConnect = 0ms;
    t.hangupAnswer = 10ms;
    return t;
}

// A wait that looks at its limit only when a read times out goes on as long as each read
// finds bytes waiting, and then takes the late answer for a timely one: the dial would go
// on to its dial command and end as "NO CARRIER", the hang-up would end as answered. A
// pseudo-terminal wakes its writer only once the reader has nearly emptied it, so the
// reader is put on the modem's processor, running only when the modem need not: then it
// seldom finds the line empty before the answer, and every round is a chance to.
TEST(ModemDialogue, AModemThatNeverFallsSilentDoesNotOutlastTheAnswerLimits) {
    constexpr int kRounds = 4;
    constexpr std::size_t kNoiseBeforeAnswer = 4 << 20;
    PortsFolder folder;
    PtyPair pty;
    folder.link(1, pty.slavePath());
    CommPort port;
    ASSERT_TRUE(port.setPortName(folder.prefix(), 1));
    ASSERT_TRUE(port.setSettings("38400,N,8,1"));
    ASSERT_TRUE(port.open());

    const modem::ModemTimings timings = quickTimings();
    modem::ModemCancel cancel;
    const StopSignal stop;
    modem::ModemDialogue dialogue(port, timings, cancel, stop);
    const std::size_t cpu = firstCpu();
    std::vector<std::uint16_t> results;
    {
        const ChatteringModem modem(pty.masterFd(), kNoiseBeforeAnswer, cpu);
        std::thread([&] {
            placeThread(cpu, true);
            NamedMutexGuard line = port.lockPort();
            for (int round = 0; round < kRounds; ++round) {
                results.push_back(dialogue.dial(modem::dialCommands("", "", "", "")));
                results.push_back(dialogue.hangup());
            }
        }).join();
    }
    ASSERT_EQ(results.size(), 2U * kRounds);
    for (std::size_t i = 0; i < results.size(); i += 2) {
        EXPECT_EQ(results[i], MDM_RES_MODEM_RESP_ATTENTION_CMD) << "dial of round " << i / 2;
        EXPECT_EQ(results[i + 1], TAVRIN_MODEM_RESULT_HANGUP_NO_ANSWER) << "round " << i / 2;
    }
}

} // namespace
} // namespace tavrin::test
