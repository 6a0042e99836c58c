// The exchange with the device under test: commands out on schedule, responses in, each
// printed with its delay.
#pragma once

#include "Options.h"

#include <string>

namespace dlcsim {
class Line;
class StopSignals;
} // namespace dlcsim

namespace textpeer {

struct Counters {
    long sent = 0;
    long responses = 0;
    long unanswered = 0;
};

// Watches the other side of a pseudo-terminal we created: who opens and closes it.
struct PeerWatch {
    int fd = -1; // inotify on the slave side; -1 when the line is a device of its own
    std::string name;
};

// Runs until every command is sent and answered or timed out (standard input: until it ends),
// or a stop signal. Prints one line per response on standard output. False with `error` set
// when the line fails.
bool exchange(const PeerConfig& config, dlcsim::Line& line, dlcsim::StopSignals& signals,
              const PeerWatch& watch, Counters& counters, std::string& error);

} // namespace textpeer
