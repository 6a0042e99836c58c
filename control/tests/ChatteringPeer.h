// A far end that never falls silent: after each request it sends noise without pause, and its
// answer only behind a given amount of noise, then noise again until the next request. A
// reader that looks at its limit only when a read finds the line empty reads through the noise
// and takes the late answer for a timely one.
#ifndef TAVRIN_TESTS_CHATTERINGPEER_H
#define TAVRIN_TESTS_CHATTERINGPEER_H

#include "PortTestSupport.h"
#include "commport/CommPort.h"
#include "engine/StopSignal.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>

namespace tavrin::test {

class ChatteringPeer {
public:
    // Called with each byte the peer receives; an answer restarts the noise in front of it.
    using Answerer = std::function<std::optional<std::string>(char)>;

    // The noise is bytes with the high bit set: none is a letter of a modem's answer word or
    // the ':' that begins an ASCII frame. The peer runs on processor `cpu`.
    ChatteringPeer(int master, std::size_t noiseBeforeAnswer, std::size_t cpu, Answerer answerer);
    ~ChatteringPeer();
    ChatteringPeer(const ChatteringPeer&) = delete;
    ChatteringPeer& operator=(const ChatteringPeer&) = delete;

private:
    void run(int master, std::size_t noiseBeforeAnswer);

    std::array<std::uint8_t, 4096> m_noise;
    Answerer m_answerer;
    StopSignal m_stop;
    std::thread m_thread;
};

// Puts the calling thread on `cpu`; a thread that `yields` runs there only when nothing else on
// that processor wants to. A pseudo-terminal wakes its writer only once the reader has nearly
// emptied it: a reader that yields to the peer on the peer's processor seldom finds the line
// empty.
void placeThread(std::size_t cpu, bool yields);
std::size_t firstCpu();

// A port of the control, open at 38400 8N1, on a pseudo-terminal whose far end chatters.
struct ChatteringLine {
    ChatteringLine();
    // Runs `rounds` holding the line, yielding to a peer with `answerer` on the peer's processor,
    // and returns once they are done and the peer has stopped.
    void run(std::size_t noiseBeforeAnswer, ChatteringPeer::Answerer answerer,
             const std::function<void()>& rounds);

    PortsFolder folder;
    PtyPair pty;
    CommPort port;
    bool opened = false;
};

} // namespace tavrin::test

#endif
